// The status answer of a game server: answers recorded from a real dedicated server, then
// malformed and hostile ones; and the details line and hint made from them.

#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <iterator>
#include <string>

#include "launcher/server_details.h"
#include "launcher/server_probe.h"
#include "launcher/server_status.h"

namespace kestrune {
namespace {

using namespace std::chrono_literals;
using namespace std::string_literals;

const std::string kHead = "\xFF\xFF\xFF\xFFstatusResponse\n";

std::string Recorded(const std::string& name) {
    std::ifstream file(std::string(KESTRUNE_TEST_DATA) + "/" + name, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), {}};
}

ServerStatus Status(std::optional<std::string> host, std::optional<std::string> map,
                    std::optional<int> players, std::optional<int> slots,
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
     Status("Kestrune Test ^Server", "oa_dm1", 0, 16, 0, "baseoa", false)},
    {"four bots", Recorded("status-ffa-bots.bin"),
     Status("Bot Arena", "oa_dm4", 4, 12, 0, "baseoa", false)},
    {"password, fs_game not sent", Recorded("status-ctf-password.bin"),
     Status("CTF locked server^", "oa_ctf2", 4, 24, 4, "baseoa", true)},
    {"UTF-8 name", Recorded("status-tdm-utf8.bin"),
     Status("Caf\u00e9 \u00dcn\u00efcode Team Deathmatch \u2014 a server with a very long name "
            "for testing the label",
            "oa_dm2", 6, 8, 3, "baseoa", false)},
    // Not an answer to the query.
    {"no marker", "statusResponse\n\\mapname\\q3dm17\n", std::nullopt},
    {"another command", "\xFF\xFF\xFF\xFFinfoResponse\n\\mapname\\q3dm17\n", std::nullopt},
    {"a longer command", "\xFF\xFF\xFF\xFFstatusResponses\n\\mapname\\q3dm17\n", std::nullopt},
    {"only backslashes", std::string(64, '\\'), std::nullopt},
    // Malformed and hostile answers give what can be read and never more.
    {"no line break", "\xFF\xFF\xFF\xFFstatusResponse", ServerStatus{}},
    {"command in any case", "\xFF\xFF\xFF\xFFSTATUSRESPONSE\n\\MapName\\q3dm17\n",
     Status({}, "q3dm17", 0, {}, {}, {}, {})},
    {"only a backslash", kHead + "\\\n", Status({}, {}, 0, {}, {}, {}, {})},
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
     Status({}, {}, 0, 16, {}, {}, {})},
    {"NUL and controls in names", kHead + "\\sv_hostname\\Bad\0Na\tme\x7F\n1 0 \"a\0b\"\n"s,
     Status("BadName", {}, 1, {}, {}, {}, {})},
    {"colour codes at the end", kHead + "\\sv_hostname\\Name^\\mapname\\dm^1\n",
     Status("Name^", "dm", 0, {}, {}, {}, {})},
    {"doubled carets", kHead + "\\sv_hostname\\a^^b ^^^^\n",
     Status("a^ ^^^^", {}, 0, {}, {}, {}, {})},
    {"a code before a UTF-8 character", kHead + "\\sv_hostname\\x^\u00e9y\n",
     Status("xy", {}, 0, {}, {}, {}, {})},
    {"huge and negative numbers",
     kHead + "\\sv_maxclients\\99999999999999999999\\g_gametype\\-1\\g_needpass\\yes\n"
             "99999999999999999999 -1 \"x\"\n-5 -999 \"y\"\n",
     Status({}, {}, 2, {}, {}, {}, {})},
    {"malformed player lines",
     kHead + "\\fs_game\\cpma\\gamename\\baseq3\n1 2 name\n1 \"x\"\nabc\n\n1 2 \"cut",
     Status({}, {}, 0, {}, {}, "cpma", {})},
    {"an empty fs_game", kHead + "\\fs_game\\\\gamename\\osp\n",
     Status({}, {}, 0, {}, {}, "osp", {})},
    {"the first of equal keys", kHead + "\\SV_HOSTNAME\\one\\sv_hostname\\two\\g_needpass\\2\n",
     Status("one", {}, 0, {}, {}, {}, true)},
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

TEST(ServerDetails, LineAndHint) {
    struct Shown {
        std::optional<ServerStatus> status;
        std::chrono::microseconds roundTrip;
        std::string line;
        std::string hint;
    };
    const Shown shown[] = {
        {ParseStatusResponse(Recorded("status-ffa-bots.bin")), 12'300us,
         "oa_dm4 \u00B7 4/12 players \u00B7 12 ms",
         "Host name: Bot Arena\nGame type: Free for all\nMod: baseoa\nPassword needed: no"},
        {ParseStatusResponse(Recorded("status-ctf-password.bin")), 1'500us,
         "oa_ctf2 \u00B7 4/24 players \u00B7 2 ms",
         "Host name: CTF locked server^\nGame type: Capture the flag\nMod: baseoa\n"
         "Password needed: yes"},
        {std::nullopt, 400us, "<1 ms", ""},
        {Status("Caf\xE9 \x80\x81", {}, 1, {}, 9, "", {}), 1'499us, "1 player \u00B7 1 ms",
         "Host name: Caf\u00e9 \u20AC\uFFFD\nGame type: 9"},
        {Status(std::string(100, 'n'), std::string(3, 'm'), {}, 16, {}, {}, {}), 750'000us,
         "mmm \u00B7 750 ms", "Host name: " + std::string(79, 'n') + "\u2026"},
    };
    for (const Shown& s : shown) {
        EXPECT_EQ(MakeServerDetailsLine(s.status, s.roundTrip).Text(), s.line);
        EXPECT_EQ(ServerDetailsHint(s.status), s.hint);
    }
}

TEST(ProbeQuery, OnlyTheQueriedAddressAndPortAnswer) {
    const auto sent = ProbeQuery::Clock::now();
    ProbeQuery query;
    EXPECT_FALSE(query.IsAnswer("127.0.0.1", 27960)) << "before any query";
    query.Sent(0x0100007F, 65536 + 27960, sent);  // 127.0.0.1; only the low 16 bits count
    EXPECT_TRUE(query.IsAnswer("127.0.0.1", 27960));
    EXPECT_FALSE(query.IsAnswer("127.0.0.1", 27961));
    EXPECT_FALSE(query.IsAnswer("127.0.0.2", 27960));
    EXPECT_EQ(query.RoundTrip(sent + 12ms), 12'000us);
}

}  // namespace
}  // namespace kestrune
