// What masters and servers send, read: the master's list datagrams (both families, the end
// marks, cut and foreign datagrams), the info answer, and the addresses and their reach.

#include <gtest/gtest.h>

#include <string>

#include "server_list/info_answer.h"
#include "server_list/master_answer.h"
#include "server_list/server_address.h"

namespace kestrune {
namespace {

using namespace std::string_literals;

const std::string kList = "\xFF\xFF\xFF\xFFgetserversResponse";
const std::string kExtList = "\xFF\xFF\xFF\xFFgetserversExtResponse";
const std::string kEnd = "\\EOT\0\0\0"s;

ServerAddress V6(std::string_view text, std::uint16_t port) {
    return *ParseNumericHost(text, port);
}

TEST(MasterAnswer, ReadsEntriesAndMarks) {
    const ServerAddress a = ServerAddress::Ipv4(192, 0, 2, 1, 27960);
    const ServerAddress b = ServerAddress::Ipv4(198, 51, 100, 7, 27961);
    struct Case {
        const char* what;
        std::string datagram;
        std::optional<MasterAnswer> expected;
    } cases[] = {
        {"two entries, end of list",
         kList + "\\\xC0\x00\x02\x01\x6D\x38"s + "\\\xC6\x33\x64\x07\x6D\x39"s + kEnd,
         MasterAnswer{{a, b}, true}},
        {"a piece that is not the last", kList + "\\\xC0\x00\x02\x01\x6D\x38"s + "\\EOF\0\0\0"s,
         MasterAnswer{{a}, false}},
        {"older master's bare mark", kList + "\\\xC0\x00\x02\x01\x6D\x38\\EOT"s,
         MasterAnswer{{a}, false}},
        {"no mark at all", kList + "\\\xC0\x00\x02\x01\x6D\x38"s, MasterAnswer{{a}, false}},
        {"entry cut short", kList + "\\\xC0\x00\x02\x01\x6D"s, MasterAnswer{{}, false}},
        {"address beginning like the mark", kList + "\\EOT\x05\x6D\x38"s + kEnd,
         MasterAnswer{{ServerAddress::Ipv4(69, 79, 84, 5, 27960)}, true}},
        {"garbage ends reading", kList + "\\\xC0\x00\x02\x01\x6D\x38xyz\\\xC6\x33\x64\x07\x6D\x39"s,
         MasterAnswer{{a}, false}},
        {"line break after the command", kList + "\n\\\xC0\x00\x02\x01\x6D\x38"s + kEnd,
         MasterAnswer{{a}, true}},
        {"IPv6 entry in the extended answer",
         kExtList + "/\x20\x01\x0d\xb8"s + std::string(11, '\0') + "\x01\x6D\x38"s +
             "\\\xC0\x00\x02\x01\x6D\x38"s + kEnd,
         MasterAnswer{{V6("2001:db8::1", 27960), a}, true}},
        {"IPv4-mapped entry is the IPv4 server",
         kExtList + "/"s + std::string(10, '\0') + "\xFF\xFF\xC0\x00\x02\x01\x6D\x38"s + kEnd,
         MasterAnswer{{a}, true}},
        {"IPv6 entry in the plain answer is not read",
         kList + "/\x20\x01\x0d\xb8"s + std::string(11, '\0') + "\x01\x6D\x38"s + kEnd,
         MasterAnswer{{}, false}},
        {"empty list", kList + kEnd, MasterAnswer{{}, true}},
        {"another command", "\xFF\xFF\xFF\xFFgetserversRespons"s, std::nullopt},
        {"no marker", "getserversResponse\\\xC0\x00\x02\x01\x6D\x38"s, std::nullopt},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ParseMasterAnswer(c.datagram), c.expected) << c.what;
    }
    EXPECT_EQ(MasterQuery(68), "\xFF\xFF\xFF\xFFgetservers 68 empty full");
    EXPECT_EQ(MasterQuery(71, true),
              "\xFF\xFF\xFF\xFFgetserversExt Quake3Arena 71 empty full ipv4 ipv6");
}

TEST(InfoAnswer, ReadsTheFieldsTheListShows) {
    const std::string head = "\xFF\xFF\xFF\xFFinfoResponse\n";
    ServerInfo full;
    full.hostName = "Kestrune Arena";
    full.map = "q3dm17";
    full.clients = 5;
    full.humans = 2;
    full.slotCount = 16;
    full.gameType = 4;
    full.needsPassword = true;
    full.game = "osp";
    full.protocol = 68;
    full.challenge = "0a1b2c";
    ServerInfo bare;
    ServerInfo firstKeyCounts;
    firstKeyCounts.hostName = "first";
    firstKeyCounts.clients = 3;
    ServerInfo notCounts;
    notCounts.map = "dm6";
    struct Case {
        const char* what;
        std::string datagram;
        std::optional<ServerInfo> expected;
    } cases[] = {
        {"every field, colour codes removed",
         head + "\\challenge\\0a1b2c\\hostname\\^1Kestrune ^7Arena\\mapname\\q3dm17\\clients\\5"
                "\\g_humanplayers\\2\\sv_maxclients\\16\\gametype\\4\\g_needpass\\1\\game\\osp"
                "\\protocol\\68\\pure\\1",
         full},
        {"the command alone", "\xFF\xFF\xFF\xFFinfoResponse", bare},
        {"keys ignore case, the first counts",
         head + "\\HostName\\first\\hostname\\second\\CLIENTS\\3\\clients\\9", firstKeyCounts},
        {"numbers that are not counts", head + "\\clients\\-1\\sv_maxclients\\1e3\\mapname\\dm6",
         notCounts},
        {"a key without a value at the end", head + "\\mapname\\dm6\\clients", notCounts},
        {"a second line is not read", head + "\\mapname\\dm6\n\\clients\\4", notCounts},
        {"another command", "\xFF\xFF\xFF\xFFinfoResponses\n\\mapname\\dm6", std::nullopt},
        {"status answer", "\xFF\xFF\xFF\xFFstatusResponse\n\\mapname\\dm6", std::nullopt},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ParseInfoResponse(c.datagram), c.expected) << c.what;
    }
    EXPECT_EQ(InfoQuery("abc123"), "\xFF\xFF\xFF\xFFgetinfo abc123");
}

TEST(ServerAddress, ReadsWritesAndJudgesAddresses) {
    struct Case {
        const char* text;
        std::optional<std::string> shown;  // nothing: not a numeric host
        AddressReach reach;
    } cases[] = {
        {"192.0.2.1", "192.0.2.1:27960", AddressReach::Public},
        {"0.1.2.3", "0.1.2.3:27960", AddressReach::Unusable},
        {"224.0.0.1", "224.0.0.1:27960", AddressReach::Unusable},
        {"255.255.255.255", "255.255.255.255:27960", AddressReach::Unusable},
        {"127.0.0.1", "127.0.0.1:27960", AddressReach::Local},
        {"10.1.2.3", "10.1.2.3:27960", AddressReach::Local},
        {"172.16.0.1", "172.16.0.1:27960", AddressReach::Local},
        {"172.32.0.1", "172.32.0.1:27960", AddressReach::Public},
        {"192.168.1.1", "192.168.1.1:27960", AddressReach::Local},
        {"169.254.1.1", "169.254.1.1:27960", AddressReach::Local},
        {"2001:db8::1", "[2001:db8::1]:27960", AddressReach::Public},
        {"[2001:DB8:0:0:1:0:0:1]", "[2001:db8::1:0:0:1]:27960", AddressReach::Public},
        {"::1", "[::1]:27960", AddressReach::Local},
        {"::", "[::]:27960", AddressReach::Unusable},
        {"ff02::1", "[ff02::1]:27960", AddressReach::Unusable},
        {"fe80::1", "[fe80::1]:27960", AddressReach::Local},
        {"fd00::5", "[fd00::5]:27960", AddressReach::Local},
        {"::ffff:7f00:1", "127.0.0.1:27960", AddressReach::Local},
        {"[::ffff:8.8.8.8]", "8.8.8.8:27960", AddressReach::Public},
        {"fe80::1%2", std::nullopt, AddressReach::Unusable},
        {"1.2.3", std::nullopt, AddressReach::Unusable},
        {"1.2.3.256", std::nullopt, AddressReach::Unusable},
        {"1:2:3:4:5:6:7:8:9", std::nullopt, AddressReach::Unusable},
        {"1::2::3", std::nullopt, AddressReach::Unusable},
        {"master.example", std::nullopt, AddressReach::Unusable},
    };
    for (const Case& c : cases) {
        const auto address = ParseNumericHost(c.text, 27960);
        ASSERT_EQ(address.has_value(), c.shown.has_value()) << c.text;
        if (address) {
            EXPECT_EQ(address->ToString(), *c.shown) << c.text;
            EXPECT_EQ(ReachOf(*address), c.reach) << c.text;
        }
    }
    EXPECT_EQ(ReachOf(ServerAddress::Ipv4(192, 0, 2, 1, 0)), AddressReach::Unusable);

    struct HostCase {
        const char* text;
        std::optional<HostAndPort> expected;
    } hosts[] = {
        {"master.example:27950", HostAndPort{"master.example", 27950}},
        {"  master.example ", HostAndPort{"master.example", 27900}},
        {"[::1]:27951", HostAndPort{"::1", 27951}},
        {"::1", HostAndPort{"::1", 27900}},
        {"host:0", std::nullopt},
        {"host:65536", std::nullopt},
        {"host:", std::nullopt},
        {":27950", std::nullopt},
        {"[::1", std::nullopt},
    };
    for (const HostCase& c : hosts) {
        EXPECT_EQ(ParseHostAndPort(c.text, 27900), c.expected) << c.text;
    }
}

}  // namespace
}  // namespace kestrune
