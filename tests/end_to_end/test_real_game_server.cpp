// "Test server" against a real dedicated game server on the IPv6 loopback address, which
// real_game_server.sh starts and names in KESTRUNE_GAME_SERVER_PORT.
#include <QLineEdit>
#include <QPushButton>
#include <QTextDocumentFragment>

#include <cstdlib>

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
    EXPECT_TRUE(details.text().startsWith("oa_dm1 \u00B7 0/8 players \u00B7 ")) << details.text().toStdString();
    QString hint = QTextDocumentFragment::fromHtml(details.toolTip()).toPlainText();
    hint.replace(QChar::LineSeparator, '\n');
    EXPECT_TRUE(hint.startsWith(QString("Host name: Kestrune IPv6\nAddress: [::1]:%1\n").arg(port)))
        << hint.toStdString();
    EXPECT_TRUE(messages_.empty());
}

}  // namespace
}  // namespace kestrune::test_support
