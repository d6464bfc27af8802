// The list's rows: made from answers, shown in columns, sorted and filtered; and the masters,
// favourites and recent servers the settings file keeps.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "server_list/server_list_settings.h"
#include "server_list/server_rows.h"
#include "tests/support/files.h"

namespace kestrune {
namespace {

using test_support::TempFolder;

ServerRow Row(int n, std::string name, std::string map, std::string game, int humans,
              std::optional<int> bots, int slots, bool password, int ping) {
    ServerRow row;
    row.address = ServerAddress::Ipv4(192, 0, 2, static_cast<std::uint8_t>(n), 27960);
    row.name = std::move(name);
    row.map = std::move(map);
    row.game = std::move(game);
    row.humans = humans;
    row.bots = bots;
    row.slotCount = slots;
    row.needsPassword = password;
    row.pingMs = ping;
    return row;
}

RowFilter Filter(bool hideEmpty, bool hideFull, bool hidePassword, std::optional<std::string> mod,
                 std::string text) {
    return RowFilter{hideEmpty, hideFull, hidePassword, std::move(mod), std::move(text)};
}

TEST(ServerRows, MadeFromAnswersAndShownInColumns) {
    ServerInfo info;
    info.hostName = "Caf\xE9 " + std::string(100, 'x');  // Windows-1252, too long
    info.map = "q3dm17";
    info.clients = 5;
    info.humans = 7;  // more humans than clients: held to the clients
    info.slotCount = 16;
    info.gameType = 4;
    info.needsPassword = true;
    info.game = "BaseQ3";
    const ServerRow row = MakeServerRow(ServerAddress::Ipv4(192, 0, 2, 1, 27960), info, 42);
    EXPECT_EQ(row.name, "Caf\u00e9 " + std::string(58, 'x') + "\u2026");
    EXPECT_EQ(row.game, "");
    EXPECT_EQ(row.humans, 5);
    EXPECT_EQ(row.bots, 0);
    const std::pair<ServerColumn, std::string> columns[] = {
        {ServerColumn::Map, "q3dm17"},          {ServerColumn::Players, "5+0/16"},
        {ServerColumn::Ping, "42"},             {ServerColumn::GameType, "Capture the flag"},
        {ServerColumn::Mod, ""},                {ServerColumn::Lock, "yes"},
        {ServerColumn::Address, "192.0.2.1:27960"},
    };
    for (const auto& [column, text] : columns) {
        EXPECT_EQ(ColumnText(row, column), text) << static_cast<int>(column);
    }
    info.humans.reset();
    info.game = "osp";
    const ServerRow untold = MakeServerRow(ServerAddress::Ipv4(192, 0, 2, 1, 27960), info, 42);
    EXPECT_EQ(ColumnText(untold, ServerColumn::Players), "5/16");
    EXPECT_EQ(ColumnText(untold, ServerColumn::Mod), "osp");
    EXPECT_EQ(GameTypeName(42), "42");
}

TEST(ServerRows, SortedAndFiltered) {
    const std::vector<ServerRow> rows = {
        Row(1, "alpha", "q3dm6", "", 0, 4, 8, false, 80),   // bots only
        Row(2, "Bravo", "q3dm17", "osp", 8, 0, 8, false, 20),  // full
        Row(3, "charlie", "q3tourney2", "osp", 2, 1, 16, true, 50),
        Row(4, "delta", "ctf1", "", 0, std::nullopt, 12, false, 20),  // empty
    };
    struct Case {
        const char* what;
        RowFilter filter;
        ServerColumn column;
        bool descending;
        std::vector<std::size_t> expected;
    } cases[] = {
        {"by ping, ties by address", {}, ServerColumn::Ping, false, {1, 3, 2, 0}},
        {"by name ignoring case, descending", {}, ServerColumn::Name, true, {3, 2, 1, 0}},
        {"by players", {}, ServerColumn::Players, false, {3, 0, 2, 1}},
        {"by mod", {}, ServerColumn::Mod, false, {0, 3, 1, 2}},
        {"hide empty (bots are no players)", Filter(true, false, false, {}, ""), ServerColumn::Ping, false,
         {1, 2}},
        {"hide full", Filter(false, true, false, {}, ""), ServerColumn::Ping, false, {3, 2, 0}},
        {"hide password", Filter(false, false, true, {}, ""), ServerColumn::Ping, false, {1, 3, 0}},
        {"only osp", Filter(false, false, false, "OSP", ""), ServerColumn::Ping, false, {1, 2}},
        {"only the plain game", Filter(false, false, false, "baseq3", ""), ServerColumn::Ping, false, {3, 0}},
        {"text in a map", Filter(false, false, false, {}, "TOURNEY"), ServerColumn::Ping, false, {2}},
        {"text in an address", Filter(false, false, false, {}, "2.4:"), ServerColumn::Ping, false, {3}},
        {"text in a mod", Filter(false, false, false, {}, "os"), ServerColumn::Name, false, {1, 2}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ShownRows(rows, c.filter, c.column, c.descending), c.expected) << c.what;
    }
}

// The real masters' names are only compared here; no test ever sends to them: every test that
// refreshes names a master of its own on loopback first.
TEST(ServerListSettings, DefaultMastersAreOnlyNamed) {
    EXPECT_EQ(DefaultMasters().front(), (MasterEntry{"master.quake3arena.com", 27950, 68}));
}

TEST(ServerListSettings, KeepsMastersFavouritesAndRecent) {
    TempFolder folder;
    const std::string path = (folder.path() / "kestrune.ini").string();
    const std::string before =
        "[Quake3]\r\nQ3Server=example\r\n; note\r\n[Masters]\r\n1=127.0.0.1:27999 71\r\n"
        "2=[::1]\r\n3=bad:port\r\n4=\r\n5=never.invalid\r\n";
    test_support::WriteFile(path, before);
    ServerListSettings settings(path);
    EXPECT_EQ(settings.Masters(), (std::vector<MasterEntry>{{"127.0.0.1", 27999, 71},
                                                           {"::1", 27950, 68}}));
    EXPECT_EQ(ServerListSettings((folder.path() / "none.ini").string()).Masters().size(), 5u);

    EXPECT_TRUE(settings.AddFavourite({"192.0.2.1", 27960}));
    EXPECT_TRUE(settings.AddFavourite({"::1", 27961}));
    EXPECT_TRUE(settings.AddFavourite({"192.0.2.1", 27960}));
    EXPECT_TRUE(settings.RemoveFavourite({"192.0.2.1", 27960}));
    EXPECT_EQ(settings.Favourites(), (std::vector<KeptServer>{{"::1", 27961}}));
    for (int n = 1; n <= 12; ++n) {
        EXPECT_TRUE(settings.AddRecent({"host" + std::to_string(n), 27960}));
    }
    EXPECT_TRUE(settings.AddRecent({"HOST5", 27960}));
    const std::vector<KeptServer> recent = settings.Recent();
    ASSERT_EQ(recent.size(), 10u);
    EXPECT_EQ(recent[0], (KeptServer{"HOST5", 27960}));
    EXPECT_EQ(recent[1], (KeptServer{"host12", 27960}));
    EXPECT_EQ(recent[9], (KeptServer{"host3", 27960}));
    // The lines before stay as they were, the masters untouched.
    const std::string after = test_support::ReadFile(path);
    EXPECT_TRUE(after.starts_with(before)) << after;
    EXPECT_NE(after.find("[Favourites]\r\n1=[::1]:27961\r\n2=\r\n"), std::string::npos) << after;
}

}  // namespace
}  // namespace kestrune
