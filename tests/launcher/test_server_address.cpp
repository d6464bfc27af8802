// The forms of a server's address: the server field's text taken apart, and addresses of both
// families read and written.

#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "launcher/server_address.h"
#include "platform/ip_address.h"

namespace kestrune {
namespace {

TEST(ServerField, TakesEveryFormAPlayerTypesAndNeverSplitsABareIpv6Address) {
    struct Case {
        const char* typed;
        ServerField expected;
        bool ipv6;
    };
    const Case cases[] = {
        {"q3.example.invalid", {"q3.example.invalid", ""}, false},
        {"q3.example.invalid:27961", {"q3.example.invalid", "27961"}, false},
        {"10.0.0.10", {"10.0.0.10", ""}, false},
        {"10.0.0.10:27961", {"10.0.0.10", "27961"}, false},
        {"2001:db8::1", {"2001:db8::1", ""}, true},
        {"::1", {"::1", ""}, true},
        {"2001:db8::1:2796", {"2001:db8::1:2796", ""}, true},
        {"[2001:db8::1]", {"2001:db8::1", ""}, true},
        {"[::1]:27961", {"::1", "27961"}, true},
        {"[::ffff:127.0.0.10]:65535", {"::ffff:127.0.0.10", "65535"}, true},
        {"fe80::1%eth0", {"fe80::1%eth0", ""}, true},
        {"[fe80::1%3]:27960", {"fe80::1%3", "27960"}, true},
        // Not a port: kept as typed.
        {"host:", {"host:", ""}, false},
        {"host:65536", {"host:65536", ""}, false},
        {"host:123456", {"host:123456", ""}, false},
        {"host:27 960", {"host:27 960", ""}, false},
        {"host:-1", {"host:-1", ""}, false},
        {":27960", {":27960", ""}, false},
        {"[::1]:", {"[::1]:", ""}, false},
        {"[::1]x", {"[::1]x", ""}, false},
        {"[::1", {"[::1", ""}, false},
        {"", {"", ""}, false},
    };
    for (const Case& c : cases) {
        const ServerField field = SplitServerField(c.typed);
        EXPECT_EQ(field, c.expected) << c.typed << " gave " << field.host << " | " << field.port;
        EXPECT_EQ(IsIpv6Host(field.host), c.ipv6) << c.typed;
    }
    EXPECT_EQ(HostBeforePort("::1"), "[::1]");
    EXPECT_EQ(HostBeforePort("10.0.0.10"), "10.0.0.10");
}

TEST(IpAddress, ReadsEverySpellingAndWritesTheCanonicalText) {
    struct Case {
        const char* text;
        const char* written;  // nullptr: not an address
        bool ipv6;
    };
    const Case cases[] = {
        {"127.0.0.1", "127.0.0.1", false},
        {"127.0.0.10", "127.0.0.10", false},
        {"10.100.0.255", "10.100.0.255", false},
        {"192.168.0.10", "192.168.0.10", false},
        {"0.0.0.0", "0.0.0.0", false},
        {"::1", "::1", true},
        {"::", "::", true},
        {"0:0:0:0:0:0:0:1", "::1", true},
        {"2001:DB8:0:0:0:0:0:A", "2001:db8::a", true},
        {"2001:0db8:0000:0000:0001:0000:0000:0010", "2001:db8::1:0:0:10", true},
        {"2001:db8:0:0:1:0:0:1", "2001:db8::1:0:0:1", true},
        {"2001:db8:0:1:0:0:0:1", "2001:db8:0:1::1", true},
        {"2001:db8:a:b:c:d:e:0", "2001:db8:a:b:c:d:e:0", true},
        {"2001:db8::a:b:c:d:e", "2001:db8:0:a:b:c:d:e", true},
        {"1::", "1::", true},
        {"fe80::1%3", "fe80::1%3", true},
        {"::ffff:127.0.0.10", "127.0.0.10", false},
        {"::FFFF:7f00:a", "127.0.0.10", false},
        {"64:ff9b::10.0.0.10", "64:ff9b::a00:a", true},
        // Not addresses.
        {"127.1", nullptr, false},
        {"1.2.3.256", nullptr, false},
        {"1.2.3.4.", nullptr, false},
        {"01234.1.1.1", nullptr, false},
        {"", nullptr, false},
        {":", nullptr, false},
        {":::", nullptr, false},
        {"1::2::3", nullptr, false},
        {"1:2:3:4:5:6:7:8:9", nullptr, false},
        {"1:2:3:4:5:6:7:8::", nullptr, false},
        {"1:2:3:4:5:6:7", nullptr, false},
        {"12345::", nullptr, false},
        {"g::1", nullptr, false},
        {"::1:", nullptr, false},
        {":1::", nullptr, false},
        {"::1.2.3.4:5", nullptr, false},
        {"fe80::1%", nullptr, false},
        {"fe80::1%eth0", nullptr, false},
        {"[::1]", nullptr, false},
        {"localhost", nullptr, false},
    };
    for (const Case& c : cases) {
        const std::optional<IpAddress> address = ParseIpAddress(c.text);
        ASSERT_EQ(address.has_value(), c.written != nullptr) << c.text;
        if (address) {
            EXPECT_EQ(FormatIpAddress(*address), c.written) << c.text;
            EXPECT_EQ(address->IsV6(), c.ipv6) << c.text;
            EXPECT_EQ(ParseIpAddress(c.written), address) << "written back: " << c.written;
        }
    }
    EXPECT_EQ(FormatIpEndpoint(*ParseIpAddress("::1"), 27960), "[::1]:27960");
    EXPECT_EQ(FormatIpEndpoint(*ParseIpAddress("::ffff:10.0.0.10"), 27961), "10.0.0.10:27961");
    EXPECT_TRUE(ParseIpAddress("::")->IsNull());
    EXPECT_TRUE(ParseIpAddress("0.0.0.0")->IsNull());
    EXPECT_FALSE(ParseIpAddress("::ffff:0.0.0.1")->IsNull());
}

}  // namespace
}  // namespace kestrune
