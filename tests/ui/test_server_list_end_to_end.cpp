// The server list against three real dedicated servers on loopback, which report to the tests'
// master stand-in. The window must list the three with their own names, maps and player counts;
// a choice fills the main window's fields, and "Launch game" starts the game at that server.

#include <QComboBox>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QTableView>

#include <filesystem>
#include <map>

#include "tests/support/master_stand_in.h"
#include "tests/ui/main_window_fixture.h"
#include "ui/server_list_window.h"

namespace kestrune::test_support {
namespace {

constexpr const char* kServerProgram = "/usr/lib/ioquake3/ioq3ded";
constexpr const char* kGameData = "/usr/lib/openarena-server";

class ServerListEndToEnd : public MainWindowTest {
protected:
    void TearDown() override {
        for (auto& server : servers_) {
            server->kill();
            server->waitForFinished(5000);
        }
        MainWindowTest::TearDown();
    }

    void StartServer(const QString& name, const QString& map, int bots, std::uint16_t master) {
        auto server = std::make_unique<QProcess>();
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("HOME", folder_.path());
        server->setProcessEnvironment(environment);
        server->setProgram(kServerProgram);
        server->setArguments({
            "+set", "com_basegame", "baseoa", "+set", "fs_basepath", kGameData,
            "+set", "com_homepath", ".openarena", "+set", "com_legacyprotocol", "71",
            "+set", "com_protocol", "71", "+set", "dedicated", "2",
            "+set", "net_ip", "127.0.0.1", "+set", "net_enabled", "1",
            "+set", "net_port", QString::number(FreeUdpPort()),
            "+set", "sv_master1", QString("127.0.0.1:%1").arg(master),
            "+set", "sv_master2", "", "+set", "sv_master3", "",
            "+set", "sv_hostname", name, "+set", "sv_maxclients", "12", "+map", map});
        for (const char* bot : {"Angelyss", "Jenna"}) {
            if (bots-- > 0) {
                server->setArguments(server->arguments() << "+addbot" << bot);
            }
        }
        // A heartbeat at once rather than at the next interval.
        server->setArguments(server->arguments() << "+heartbeat");
        server->setStandardOutputFile(QProcess::nullDevice());
        server->setStandardErrorFile(QProcess::nullDevice());
        server->start();
        ASSERT_TRUE(server->waitForStarted(10000));
        servers_.push_back(std::move(server));
    }

    std::vector<std::unique_ptr<QProcess>> servers_;
};

TEST_F(ServerListEndToEnd, ListsRealServersAndLaunchesTheChosenOne) {
    if (!std::filesystem::exists(kServerProgram) || !std::filesystem::exists(kGameData)) {
        GTEST_SKIP() << "the ioquake3-server and openarena-server packages are not installed";
    }
    MasterStandIn master;
    StartServer("^2Green ^7Room", "oa_dm1", 0, master.Port());
    StartServer("Bot Yard", "oa_dm4", 2, master.Port());
    StartServer("Third Place", "oa_ctf2", 0, master.Port());
    for (int i = 0; i < 600 && master.Known() < 3; ++i) {
        QTest::qWait(50);
    }
    ASSERT_EQ(master.Known(), 3u) << "the servers did not all report to the master";

    WriteSettings("[TeamSpeak]\r\nAutojoin=0\r\n[Quake3]\r\nQ3Executable=/usr/games/openarena\r\n"
                  "[Masters]\r\n1=127.0.0.1:" + QByteArray::number(master.Port()) + " 71\r\n");
    Create();
    std::vector<std::string> started;
    window_->SetProgramRunner(
        [&](std::string_view, std::string_view parameters, std::string_view, std::string_view) {
            started.emplace_back(parameters);
            return LaunchResult{};
        });
    Trigger("FindServer1");
    auto* list = window_->findChild<ServerListWindow*>("ServerListWindow");
    ASSERT_NE(list, nullptr);
    for (int i = 0; i < 1000 && list->Refreshing(); ++i) {
        QTest::qWait(10);
    }
    EXPECT_EQ(list->ProgressText(), "3 of 3 servers answered");
    const auto* model = list->Table().model();
    std::map<QString, std::pair<QString, QString>> shown;  // name: map, players
    int botYard = -1;
    for (int row = 0; row < model->rowCount(); ++row) {
        const auto text = [&](ServerColumn column) {
            return model->index(row, static_cast<int>(column)).data().toString();
        };
        shown[text(ServerColumn::Name)] = {text(ServerColumn::Map), text(ServerColumn::Players)};
        if (text(ServerColumn::Name) == "Bot Yard") {
            botYard = row;
        }
    }
    const std::map<QString, std::pair<QString, QString>> expected = {
        {"Green Room", {"oa_dm1", "0+0/12"}},
        {"Bot Yard", {"oa_dm4", "0+2/12"}},
        {"Third Place", {"oa_ctf2", "0+0/12"}},
    };
    EXPECT_EQ(shown, expected);
    ASSERT_GE(botYard, 0);

    list->Table().selectRow(botYard);
    QTest::keyClick(&list->Table(), Qt::Key_Return);
    const QString port = Get<QLineEdit>("edQ3Port").text();
    EXPECT_EQ(Get<QLineEdit>("edQ3Server").text(), "127.0.0.1");
    Get<QPushButton>("btnLaunchQ3").click();
    ASSERT_EQ(started.size(), 1u);
    EXPECT_NE(started[0].find("+connect 127.0.0.1:" + port.toStdString()), std::string::npos)
        << started[0];
}

}  // namespace
}  // namespace kestrune::test_support
