// The status answer of a game server: answers recorded from a real dedicated server, then
// malformed and hostile ones; and the details line and hint made from them.

#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <iterator>
#include <limits>
#include <string>
#include <vector>

#include "launcher/server_details.h"
#include "launcher/server_probe.h"
#include "launcher/server_status.h"
#include "platform/ip_address.h"

namespace kestrune {
namespace {

using namespace std::chrono_literals;
using namespace std::string_literals;

const std::string kHead = "\xFF\xFF\xFF\xFFstatusResponse\n";

std::string Recorded(const std::string& name) {
    std::ifstream file(std::string(KESTRUNE_TEST_DATA) + "/" + name, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), {}};
}

using Players = std::vector<ServerPlayer>;
const Players kNoOne;

ServerStatus Status(std::optional<std::string> host, std::optional<std::string> map,
                    std::optional<Players> players, std::optional<int> slots,
                    std::optional<int> gameType, std::optional<std::string> mod,
                    std::optional<bool> password) {
    return {host, map, players, slots, gameType, mod, password};
}

struct Case {
    const char* what;
    std::string datagram;
    std::optional<ServerStatus> expected;
};

const Case kCases[] = {
    // Recorded once from a dedicated server on loopback, with bots, a password and a mod.
    {"empty server", Recorded("status-ffa-empty.bin"),
     Status("Kestrune Test ^Server", "oa_dm1", kNoOne, 16, 0, "baseoa", false)},
    {"four bots", Recorded("status-ffa-bots.bin"),
     Status("Bot Arena", "oa_dm4",
            Players{{"Arachna", 0, 0}, {"Jenna", 0, 0}, {"Kyonshi", 1, 0}, {"Metalbot", 0, 0}}, 12,
            0, "baseoa", false)},
    {"password, fs_game not sent", Recorded("status-ctf-password.bin"),
     Status("CTF locked server^", "oa_ctf2",
            Players{{"Grunt", 0, 0}, {"Gargoyle", 0, 0}, {"Angelyss", 0, 0}, {"Andriy", 0, 0}}, 24,
            4, "baseoa", true)},
    {"UTF-8 name", Recorded("status-tdm-utf8.bin"),
     Status("Caf\u00e9 \u00dcn\u00efcode Team Deathmatch \u2014 a server with a very long name "
            "for testing the label",
            "oa_dm2",
            Players{{"Sergei", 1, 0},
                    {"Assassin", 3, 0},
                    {"Kyonshi", 1, 0},
                    {"Jenna", 0, 0},
                    {"Liz", 0, 0},
                    {"Angelyss", 0, 0}},
            8, 3, "baseoa", false)},
    // Not an answer to the query.
    {"no marker", "statusResponse\n\\mapname\\q3dm17\n", std::nullopt},
    {"another command", "\xFF\xFF\xFF\xFFinfoResponse\n\\mapname\\q3dm17\n", std::nullopt},
    {"a longer command", "\xFF\xFF\xFF\xFFstatusResponses\n\\mapname\\q3dm17\n", std::nullopt},
    {"only backslashes", std::string(64, '\\'), std::nullopt},
    // Malformed and hostile answers give what can be read and never more.
    {"no line break", "\xFF\xFF\xFF\xFFstatusResponse", ServerStatus{}},
    {"command in any case", "\xFF\xFF\xFF\xFFSTATUSRESPONSE\n\\MapName\\q3dm17\n",
     Status({}, "q3dm17", kNoOne, {}, {}, {}, {})},
    {"only a backslash", kHead + "\\\n", Status({}, {}, kNoOne, {}, {}, {}, {})},
    {"settings cut short", kHead + "\\mapname\\q3dm17\\sv_maxclients\\1",
     Status({}, "q3dm17", {}, {}, {}, {}, {})},
    {"10,000 keys",
     kHead +
         [] {
             std::string keys;
             for (int i = 0; i < 10000; ++i)
                 keys += "\\k" + std::to_string(i) + "\\v";
             return keys;
         }() +
         "\\sv_maxclients\\16\n",
     Status({}, {}, kNoOne, 16, {}, {}, {})},
    {"NUL and controls in names", kHead + "\\sv_hostname\\Bad\0Na\tme\x7F\n1 0 \"a\0b\"\n"s,
     Status("BadName", {}, Players{{"ab", 1, 0}}, {}, {}, {}, {})},
    {"colour codes at the end", kHead + "\\sv_hostname\\Name^\\mapname\\dm^1\n",
     Status("Name^", "dm", kNoOne, {}, {}, {}, {})},
    {"doubled carets", kHead + "\\sv_hostname\\a^^b ^^^^\n",
     Status("a^ ^^^^", {}, kNoOne, {}, {}, {}, {})},
    {"a code before a UTF-8 character", kHead + "\\sv_hostname\\x^\u00e9y\n",
     Status("xy", {}, kNoOne, {}, {}, {}, {})},
    {"huge and negative numbers",
     kHead + "\\sv_maxclients\\99999999999999999999\\g_gametype\\-1\\g_needpass\\yes\n"
             "99999999999999999999 -1 \"x\"\n-5 -99999999999 \"y\"\n",
     Status({}, {},
            Players{{"x", std::numeric_limits<int>::max(), -1},
                    {"y", -5, std::numeric_limits<int>::min()}},
            {}, {}, {}, {})},
    {"malformed player lines",
     kHead + "\\fs_game\\cpma\\gamename\\baseq3\n1 2 name\n1 \"x\"\nabc\n\n1 2 \"cut",
     Status({}, {}, kNoOne, {}, {}, "cpma", {})},
    {"an empty fs_game", kHead + "\\fs_game\\\\gamename\\osp\n",
     Status({}, {}, kNoOne, {}, {}, "osp", {})},
    {"the first of equal keys", kHead + "\\SV_HOSTNAME\\one\\sv_hostname\\two\\g_needpass\\2\n",
     Status("one", {}, kNoOne, {}, {}, {}, true)},
};

TEST(ServerStatus, ReadsWhatTheAnswerHolds) {
    for (const Case& c : kCases) {
        EXPECT_EQ(ParseStatusResponse(c.datagram), c.expected) << c.what;
    }
}

TEST(ServerStatus, ReadsNothingPastTheDatagram) {
    // The bytes after the datagram would complete the value; they are not read.
    const std::string bytes = kHead + "\\sv_maxclients\\16\\\n";
    const auto status = ParseStatusResponse(std::string_view(bytes).substr(0, bytes.size() - 4));
    EXPECT_EQ(status, Status({}, {}, {}, {}, {}, {}, {}));
}

TEST(ServerStatus, AnAnswerCutShortGivesNoPlayers) {
    // The first 2048 bytes of a full server's answer hold 34 whole player lines: a wrong count.
    const auto cut = ParseStatusResponse(Recorded("status-full-64.bin").substr(0, 2048), true);
    EXPECT_EQ(cut, Status("Full House Sixty-Four", "q3dm6", {}, 64, 0, "baseq3", false));
}

TEST(ServerDetails, LineAndHint) {
    struct Shown {
        std::optional<ServerStatus> status;
        std::chrono::microseconds roundTrip;
        std::string line;
        std::string hint;
    };
    const Shown shown[] = {
        {ParseStatusResponse(Recorded("status-ffa-bots.bin")), 12'300us,
         "oa_dm4 \u00B7 4/12 players (4 bots) \u00B7 12 ms",
         "Host name: Bot Arena\nGame type: Free for all\nMod: baseoa\nPassword needed: no\n"
         "Kyonshi \u00B7 1 \u00B7 bot\nArachna \u00B7 0 \u00B7 bot\nJenna \u00B7 0 \u00B7 bot\n"
         "Metalbot \u00B7 0 \u00B7 bot"},
        {ParseStatusResponse(Recorded("status-ffa-empty.bin")), 1'500us,
         "oa_dm1 \u00B7 0/16 players \u00B7 2 ms",
         "Host name: Kestrune Test ^Server\nGame type: Free for all\nMod: baseoa\n"
         "Password needed: no"},
        {ParseStatusResponse(Recorded("status-full-64.bin")), 3'000us,
         "q3dm6 \u00B7 64/64 players (8 bots) \u00B7 3 ms",
         "Host name: Full House Sixty-Four\nGame type: Free for all\nMod: baseq3\n"
         "Password needed: no\n"
         "<Tx>Fragger_23 of the Arena \u00B7 65 \u00B7 49 ms\n"
         "{FF}Fragger_46 of the Arena \u00B7 64 \u00B7 78 ms\n"
         "=LoS=Fragger_21 of the Arena \u00B7 62 \u00B7 23 ms\n"
         "[RQ]Fragger_44 of the Arena \u00B7 61 \u00B7 52 ms\n"
         "Daemia \u00B7 59 \u00B7 bot\n"
         "{FF}Fragger_42 of the Arena \u00B7 58 \u00B7 26 ms\n"
         "=LoS=Fragger_17 of the Arena \u00B7 56 \u00B7 61 ms\n"
         "[RQ]Fragger_40 of the Arena \u00B7 55 \u00B7 90 ms\n"
         "<Tx>Fragger_63 of the Arena \u00B7 54 \u00B7 29 ms\n"
         "<Tx>Fragger_15 of the Arena \u00B7 53 \u00B7 35 ms\n"
         "{FF}Fragger_38 of the Arena \u00B7 52 \u00B7 64 ms\n"
         "=LoS=Fragger_61 of the Arena \u00B7 51 \u00B7 93 ms\n"
         "=LoS=Fragger_13 of the Arena \u00B7 50 \u00B7 99 ms\n"
         "[RQ]Fragger_36 of the Arena \u00B7 49 \u00B7 38 ms\n"
         "Visor \u00B7 48 \u00B7 bot\n"
         "Anarki \u00B7 47 \u00B7 bot\n"
         "and 48 more"},
        {std::nullopt, 400us, "<1 ms", ""},
        // Equal scores keep the server's order; names are shown like the other texts.
        {Status("Caf\xE9 \x80\x81", {},
                Players{
                    {"b", 5, 30}, {"a", 7, 0}, {std::string(100, 'n'), 5, 999}, {"Jos\xE9", 5, 12}},
                {}, 9, "", {}),
         1'499us, "4 players (1 bot) \u00B7 1 ms",
         "Host name: Caf\u00e9 \u20AC\uFFFD\nGame type: 9\na \u00B7 7 \u00B7 bot\n"
         "b \u00B7 5 \u00B7 30 ms\n" +
             std::string(79, 'n') +
             "\u2026 \u00B7 5 \u00B7 999 ms\nJos\u00e9 \u00B7 5 \u00B7 12 ms"},
        {Status({}, {}, Players{{"solo", 1, 0}}, {}, {}, {}, {}), 1ms,
         "1 player (1 bot) \u00B7 1 ms", "solo \u00B7 1 \u00B7 bot"},
        {Status(std::string(100, 'n'), std::string(3, 'm'), {}, 16, {}, {}, {}), 750'000us,
         "mmm \u00B7 750 ms", "Host name: " + std::string(79, 'n') + "\u2026"},
    };
    for (const Shown& s : shown) {
        EXPECT_EQ(MakeServerDetailsLine(s.status, s.roundTrip).Text(), s.line);
        EXPECT_EQ(ServerDetailsHint(s.status), s.hint);
    }
    EXPECT_EQ(NoGameServerLine(27960).Text(), "No game server on port 27960");
    // The address that answered follows the host name, or stands alone.
    EXPECT_EQ(ServerDetailsHint(Status("Arena", "q3dm17", {}, {}, 0, {}, {}), "[::1]:27960"),
              "Host name: Arena\nAddress: [::1]:27960\nGame type: Free for all");
    EXPECT_EQ(ServerDetailsHint(std::nullopt, "127.0.0.10:27960"), "Address: 127.0.0.10:27960");
}

// A query to an address that holds a byte of 10 shows a fault in reading or comparing the
// sender's text that 127.0.0.1 alone would hide; an IPv4-mapped sender is its IPv4 address.
TEST(ProbeQuery, OnlyTheFirstAnswerFromAQueriedAddressAndPortCounts) {
    struct Case {
        const char* queriedAt;
        const char* from;
        std::int32_t fromPort;
        bool answers;
    };
    const Case cases[] = {
        {"127.0.0.10", "127.0.0.10", 27960, true},
        {"127.0.0.1", "127.0.0.10", 27960, false},
        {"127.0.0.10", "127.0.0.1", 27960, false},
        {"127.0.0.10", "127.0.0.10", 27961, false},
        {"10.0.0.1", "1.0.0.10", 27960, false},
        {"::1", "::1", 27960, true},
        {"::1", "127.0.0.1", 27960, false},
        {"127.0.0.1", "::1", 27960, false},
        {"::ffff:127.0.0.10", "127.0.0.10", 27960, true},
        {"127.0.0.10", "::ffff:127.0.0.10", 27960, true},
        {"2001:db8::a", "2001:db8::a", 27960, true},
        {"2001:db8::a", "2001:db8::a0", 27960, false},
        {"2001:db8::a", "2001:db8::10", 27960, false},
        {"fe80::1%2", "fe80::1%3", 27960, false},
        {"127.0.0.1", "not an address", 27960, false},
    };
    const auto sent = ProbeQuery::Clock::now();
    for (const Case& c : cases) {
        ProbeQuery query;
        query.Sent(*ParseIpAddress(c.queriedAt), 65536 + 27960, sent);  // low 16 bits count
        const auto roundTrip = query.Answer(c.from, c.fromPort, sent + 12ms);
        EXPECT_EQ(roundTrip.has_value(), c.answers) << c.queriedAt << " from " << c.from;
        if (c.answers) {
            EXPECT_EQ(*roundTrip, 12'000us);
            EXPECT_EQ(query.Answer(c.from, c.fromPort, sent + 13ms), std::nullopt)
                << "only the first answer counts";
        }
    }
    EXPECT_EQ(ProbeQuery().Answer("127.0.0.1", 27960, sent), std::nullopt) << "before any query";
}

TEST(ProbeQuery, BothFamiliesOfOneProbeAnswerWithTheirOwnRoundTrip) {
    const auto sent = ProbeQuery::Clock::now();
    ProbeQuery query;
    query.Sent(*ParseIpAddress("::1"), 27960, sent);
    query.AlsoSent(*ParseIpAddress("127.0.0.1"), 27960, sent + 250ms);
    EXPECT_FALSE(query.Answered());
    EXPECT_EQ(query.Answer("127.0.0.1", 27960, sent + 251ms), 1'000us);
    EXPECT_TRUE(query.Answered());
    EXPECT_EQ(query.Answer("::1", 27960, sent + 252ms), std::nullopt);

    // A new probe forgets the old one's queries.
    query.Sent(*ParseIpAddress("::1"), 27960, sent);
    EXPECT_FALSE(query.Answered());
    EXPECT_EQ(query.Answer("127.0.0.1", 27960, sent + 5ms), std::nullopt);

    // Only a closed port where one of the latest probe's queries went counts.
    EXPECT_EQ(query.ClosedPort(), std::nullopt);
    query.PortUnreachable("127.0.0.1", 27960);
    query.PortUnreachable("::1", 27961);
    EXPECT_EQ(query.ClosedPort(), std::nullopt);
    query.PortUnreachable("::1", 27960);
    EXPECT_EQ(query.ClosedPort(), 27960);
    query.Sent(*ParseIpAddress("127.0.0.1"), 27960, sent);
    EXPECT_EQ(query.ClosedPort(), std::nullopt);
}

}  // namespace
}  // namespace kestrune
