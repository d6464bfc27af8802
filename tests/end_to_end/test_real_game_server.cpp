// "Test server" and "Launch game" against a real dedicated game server on the IPv6 loopback
// address, which real_game_server.sh starts and names in KESTRUNE_GAME_SERVER_PORT.
#include <QCheckBox>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTextDocumentFragment>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <thread>

#include "tests/ui/main_window_fixture.h"

namespace kestrune::test_support {
namespace {

using RealGameServerTest = MainWindowTest;

TEST_F(RealGameServerTest, AnswersTestServerOverIpv6) {
    const char* port = std::getenv("KESTRUNE_GAME_SERVER_PORT");
    if (port == nullptr) {
        GTEST_SKIP() << "started by real_game_server.sh, which names the server's port";
    }
    Create();
    window_->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window_.get()));
    // Typed with its port, which moves into the port field once the focus leaves.
    QLineEdit& server = Get<QLineEdit>("edQ3Server");
    server.setFocus();
    QTest::keyClicks(&server, QString("[::1]:%1").arg(port));
    QTest::keyClick(&server, Qt::Key_Tab);
    EXPECT_EQ(server.text(), "::1");
    EXPECT_EQ(Get<QLineEdit>("edQ3Port").text(), QString(port));

    // The server may still be loading its map: a few tries, 750 ms each at most.
    for (int attempt = 0; attempt < 20 && Message() != "Server is online"; ++attempt) {
        QTest::mouseClick(&Get<QPushButton>("btnTest"), Qt::LeftButton);
        for (int waited = 0; waited < 1500 && Message() == "Waiting for server"; waited += 10) {
            QTest::qWait(10);
        }
    }
    ASSERT_EQ(Message(), "Server is online");
    const QLabel& details = Get<QLabel>("lblServerInfo");
    EXPECT_TRUE(details.text().startsWith("oa_dm1 \u00B7 0/8 players \u00B7 "))
        << details.text().toStdString();
    QString hint = QTextDocumentFragment::fromHtml(details.toolTip()).toPlainText();
    hint.replace(QChar::LineSeparator, '\n');
    EXPECT_TRUE(hint.startsWith(QString("Host name: Kestrune IPv6\nAddress: [::1]:%1\n").arg(port)))
        << hint.toStdString();
    EXPECT_TRUE(messages_.empty());
}

// Debian's game client, started by "Launch game" with the arguments the launcher gives it, joins
// the server over IPv6: the server's log names the client's address and tells it entered.
TEST_F(RealGameServerTest, TheGameClientJoinsThroughLaunchGameOverIpv6) {
    const char* port = std::getenv("KESTRUNE_GAME_SERVER_PORT");
    const char* log = std::getenv("KESTRUNE_GAME_SERVER_LOG");
    const char* display = std::getenv("KESTRUNE_GAME_CLIENT_DISPLAY");
    if (port == nullptr || log == nullptr || display == nullptr) {
        GTEST_SKIP() << "started by real_game_server.sh --with-game-client";
    }
    const char* client = "/usr/lib/ioquake3/ioquake3";
    const char* data = "/usr/lib/openarena";
    if (!std::filesystem::exists(client) ||
        !std::filesystem::exists(std::string(data) + "/baseoa")) {
        GTEST_SKIP() << "Debian's ioquake3 and openarena packages are not installed";
    }
    // What a player's starter for the engine does: the game's data and settings, software
    // rendering on the private display, no sound and no message of the day; then the launcher's
    // arguments.
    const QString starter = folder_.filePath("openarena-ipv6");
    const QString home = folder_.filePath("home");
    QFile file(starter);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(QString("#!/bin/sh\n"
                       "export DISPLAY=%1 HOME=%2 LIBGL_ALWAYS_SOFTWARE=1\n"
                       "exec %3 +set com_basegame baseoa +set fs_basepath %4 +set fs_homepath %2 "
                       "+set com_legacyprotocol 71 +set com_protocol 71 +set cl_motd 0 "
                       "+set s_initsound 0 +set in_nograb 1 +set r_mode 0 +set r_fullscreen 0 "
                       "+set com_introplayed 1 +set name KestruneIPv6 +set net_enabled 3 \"$@\"\n")
                   .arg(display, home, client, data)
                   .toUtf8());
    file.close();
    file.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);

    TForm1& window = Create();
    dialogAnswers_.push_back(starter);
    Trigger("Q3Path");
    Get<QCheckBox>("cbAutojoin").setChecked(false);
    QTest::mouseClick(&Get<QRadioButton>("GroupItem0"), Qt::LeftButton);
    Get<QLineEdit>("edQ3Server").setText("::1");
    Get<QLineEdit>("edQ3Port").setText(port);
    QTest::mouseClick(&Get<QPushButton>("btnLaunchQ3"), Qt::LeftButton);
    EXPECT_EQ(window.StatusPanelText(0), "Quake III started");

    // A software-rendered client on a busy machine takes its time to load the map.
    const auto logHolds = [log](const QByteArray& text) {
        QFile serverLog(log);
        return serverLog.open(QIODevice::ReadOnly) && serverLog.readAll().contains(text);
    };
    const QByteArray entered = "KestruneIPv6^7 entered the game";
    for (int waited = 0; waited < 240'000 && !logHolds(entered); waited += 200) {
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
    }
    EXPECT_TRUE(logHolds("SV packet ::1 : connect"));
    EXPECT_TRUE(logHolds(entered));
    EXPECT_TRUE(messages_.empty());
}

}  // namespace
}  // namespace kestrune::test_support
