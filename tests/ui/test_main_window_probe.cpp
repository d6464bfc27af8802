// "Test server" against a loopback responder of the test's own.
#include <QElapsedTimer>
#include <QEventLoop>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTextDocumentFragment>
#include <QTimer>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <iostream>
#include <memory>
#include <optional>
#include <string>
#include <thread>

#include "launcher/server_probe.h"
#include "net/udp_endpoint.h"
#include "platform/ip_address.h"
#include "platform/udp_socket.h"
#include "tests/ui/main_window_fixture.h"

namespace kestrune::test_support {
namespace {

// A UDP socket on a loopback address of either family (127.0.0.1 unless told) that records
// queries and answers them on request.
class LoopbackResponder {
public:
    explicit LoopbackResponder(const char* address = "127.0.0.1", int port = 0) {
        int error = 0;
        socket_ = UdpSocket::Make(error);
        bound_ = socket_.Bind(*ParseIpAddress(address), static_cast<std::uint16_t>(port)) == 0;
        port_ = socket_.LocalPort();
    }

    bool Bound() const { return bound_; }
    int Port() const { return port_; }

    // The next datagram, waiting at most timeoutMs while the window's events run.
    std::optional<std::string> Receive(int timeoutMs = 2000) {
        for (int waited = 0; waited <= timeoutMs; waited += 5) {
            char buffer[2048];
            const UdpReceiveResult got = socket_.ReceiveFrom(buffer);
            if (got.count >= 0) {
                peer_ = {got.fromAddress, got.fromPort};
                return std::string(buffer, static_cast<std::size_t>(got.count));
            }
            QTest::qWait(5);
        }
        return std::nullopt;
    }

    // Answers whoever sent the last datagram received.
    void Answer(const std::string& bytes) { SendTo(peer_, bytes); }
    // Sends to whoever sent the last datagram another responder received.
    void SendToPeerOf(const LoopbackResponder& other, const std::string& bytes) {
        SendTo(other.peer_, bytes);
    }

private:
    void SendTo(const UdpDestination& to, const std::string& bytes) {
        (void)socket_.SendTo(bytes, to.address, to.port);
    }

    UdpSocket socket_;
    bool bound_ = false;
    int port_ = 0;
    UdpDestination peer_;
};

bool HasIpv6Loopback() {
    return LoopbackResponder("::1").Bound();
}

class ProbeTest : public MainWindowTest {
protected:
    void SetUp() override {
        MainWindowTest::SetUp();
        Create();
        QTest::keyClicks(&Get<QLineEdit>("edQ3Server"), "127.0.0.1");
        QTest::keyClicks(&Get<QLineEdit>("edQ3Port"), QString::number(responder_.Port()));
    }

    void ClickTest() { QTest::mouseClick(&Get<QPushButton>("btnTest"), Qt::LeftButton); }
    QTimer& Timer() { return Get<QTimer>("Timer"); }
    QLabel& ServerInfo() { return Get<QLabel>("lblServerInfo"); }

    // Waits, within a bound, for the message line to show text.
    bool WaitForMessage(const QString& text, int timeoutMs = 3000) {
        for (int waited = 0; waited < timeoutMs && Message() != text; waited += 10) {
            QTest::qWait(10);
        }
        return Message() == text;
    }

    LoopbackResponder responder_;
};

const std::string kQuery(kStatusQuery, kStatusQueryLength);

TEST_F(ProbeTest, AnAnswerShowsTheServerOnline) {
    ClickTest();
    EXPECT_EQ(Message(), "Waiting for server");
    EXPECT_TRUE(Timer().isActive());
    EXPECT_EQ(Timer().interval(), 750);
    // A coarse timer may fire up to 5 % early.
    EXPECT_EQ(Timer().timerType(), Qt::PreciseTimer);
    const auto query = responder_.Receive();
    ASSERT_TRUE(query.has_value());
    EXPECT_EQ(*query, std::string("\xFF\xFF\xFF\xFFgetStatus", 13));
    responder_.Answer("\xFF\xFF\xFF\xFFstatusResponse\n");
    EXPECT_TRUE(WaitForMessage("Server is online"));
    EXPECT_FALSE(Timer().isActive());
    EXPECT_TRUE(messages_.empty());
}

TEST_F(ProbeTest, SilenceEndsInATimeOutNotBefore750Milliseconds) {
    QElapsedTimer clock;
    clock.start();
    ClickTest();
    ASSERT_EQ(responder_.Receive(), kQuery);
    EXPECT_EQ(Message(), "Waiting for server");
    EXPECT_TRUE(WaitForMessage("Server time out", 10'000));
    EXPECT_GE(clock.elapsed(), 750);
    EXPECT_FALSE(Timer().isActive());
}

TEST_F(ProbeTest, AZeroByteOrEmptyAnswerIsNoAnswer) {
    ClickTest();
    ASSERT_EQ(responder_.Receive(), kQuery);
    responder_.Answer(std::string(1, '\0'));
    responder_.Answer(std::string());
    responder_.Answer(std::string("\0online", 7));
    EXPECT_TRUE(WaitForMessage("Server time out"));
}

TEST_F(ProbeTest, ALateAnswerStillShowsOnline) {
    ClickTest();
    ASSERT_EQ(responder_.Receive(), kQuery);
    ASSERT_TRUE(WaitForMessage("Server time out"));
    responder_.Answer("x");
    EXPECT_TRUE(WaitForMessage("Server is online"));
    EXPECT_FALSE(Timer().isActive());
}

TEST_F(ProbeTest, ASecondClickWhileWaitingSendsAgainButKeepsTheDeadline) {
    // A long interval keeps the wait going however busy the machine is.
    Timer().setInterval(60'000);
    ClickTest();
    ASSERT_EQ(responder_.Receive(), kQuery);
    QTest::qWait(50);
    ASSERT_TRUE(Timer().isActive());
    const int remainingBefore = Timer().remainingTime();
    ASSERT_LT(remainingBefore, 60'000);
    ClickTest();
    ASSERT_EQ(responder_.Receive(), kQuery);
    EXPECT_TRUE(Timer().isActive());
    EXPECT_LE(Timer().remainingTime(), remainingBefore) << "the second click restarted the wait";
    EXPECT_EQ(Message(), "Waiting for server");
}

TEST_F(ProbeTest, ARefusedPortTextStopsBeforeSending) {
    QLineEdit& port = Get<QLineEdit>("edQ3Port");
    for (const char* text : {"27960x", "", "0x"}) {
        port.setText(text);
        ClickTest();
        EXPECT_EQ(Message(), "Program ready");
        EXPECT_FALSE(Timer().isActive());
    }
    ASSERT_EQ(messages_.size(), 3u);
    EXPECT_EQ(messages_[0], "'27960x' is not a valid integer value.");
    EXPECT_EQ(messages_[1], "'' is not a valid integer value.");
    EXPECT_FALSE(responder_.Receive(100).has_value());
    // A hexadecimal port is a number like any other.
    port.setText(QString("$%1").arg(responder_.Port(), 0, 16));
    ClickTest();
    EXPECT_EQ(responder_.Receive(), kQuery);
}

TEST_F(ProbeTest, AHostThatCannotBeFoundIsReportedAndNothingWaits) {
    Get<QLineEdit>("edQ3Server").setText("no-such-server.invalid");
    ClickTest();
    for (int waited = 0; waited < 3000 && messages_.empty(); waited += 10) {
        QTest::qWait(10);
    }
    ASSERT_EQ(messages_.size(), 1u);
    EXPECT_EQ(messages_[0], "Host Lookup Canceled.");
    EXPECT_EQ(Message(), "Program ready");
    EXPECT_FALSE(Timer().isActive());
    // The window goes on working.
    Get<QLineEdit>("edQ3Server").setText("127.0.0.1");
    ClickTest();
    EXPECT_EQ(responder_.Receive(), kQuery);
}

TEST_F(ProbeTest, ClosingDuringASlowLookupEndsTheWaitAndTheProgramAtOnce) {
    // A lookup held open until the test lets it go (at most 10 s); it outlives the test's frame.
    struct Lookup {
        std::atomic<bool> released = false;
        std::atomic<bool> finished = false;
    };
    auto lookup = std::make_shared<Lookup>();
    Get<TUDPEndpoint>("UDP").SetHostLookup([lookup](const std::string&) {
        for (int waited = 0; !lookup->released && waited < 10'000; ++waited) {
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        lookup->finished = true;
        return HostLookupResult{0, {IpAddress::V4(htonl(INADDR_LOOPBACK))}};
    });
    Get<QLineEdit>("edQ3Server").setText("slow.test");
    // The program's own loop: it ends once the main window has closed.
    QEventLoop program;
    QSignalSpy closed(window_.get(), &TForm1::closed);
    QObject::connect(window_.get(), &TForm1::closed, &program, &QEventLoop::quit,
                     Qt::QueuedConnection);
    QTimer::singleShot(0, window_.get(), [this] { ClickTest(); });
    QTimer::singleShot(100, window_.get(), [this] { window_->close(); });
    program.exec();
    EXPECT_FALSE(lookup->finished) << "the program waited for the lookup to end";
    lookup->released = true;
    EXPECT_EQ(closed.count(), 1);
    EXPECT_FALSE(window_->isVisible());
    EXPECT_EQ(SavedValue("Q3Server"), "slow.test");
    EXPECT_EQ(Message(), "Program ready");
    EXPECT_TRUE(messages_.empty()) << messages_.front().toStdString();
}

TEST_F(ProbeTest, TheAnswerFillsTheServerDetails) {
    const QLabel& info = ServerInfo();
    EXPECT_EQ(info.text(), "");
    EXPECT_NE(info.palette().color(QPalette::WindowText), QColor(Qt::blue));
    EXPECT_EQ(info.font(), window_->font());
    const QRect client = Get<QWidget>("ClientArea").rect();
    EXPECT_TRUE(client.contains(info.geometry())) << "inside the window";
    const QLabel& message = Get<QLabel>("Label1");
    EXPECT_GT(info.x(), message.x() + message.fontMetrics().horizontalAdvance(
                                          "The specified path was not found."));
    struct Answer {
        std::string statusLine;  // after the head
        QString line;            // the round trip replaced by "N ms"
        QString hint;            // as plain text
    };
    const std::string head = "\xFF\xFF\xFF\xFFstatusResponse\n";
    const Answer answers[] = {
        {"\\sv_hostname\\^1<b>Test</b>\\mapname\\oa_dm1\\sv_maxclients\\16\\g_gametype\\4"
         "\\g_needpass\\1\n0 5 \"a\"\n3 0 \"b\"\n1 0 \"c\"\n",
         "oa_dm1 \u00B7 3/16 players (2 bots) \u00B7 N ms",
         "Host name: <b>Test</b>\nAddress: 127.0.0.1:@\nGame type: Capture the flag\n"
         "Password needed: yes\n"
         "b \u00B7 3 \u00B7 bot\nc \u00B7 1 \u00B7 bot\na \u00B7 0 \u00B7 5 ms"},
        {"\\mapname\\" + std::string(300, 'm') + "\n", QString(), QString()},
        {"", "N ms", "Address: 127.0.0.1:@"},
    };
    for (const Answer& answer : answers) {
        ClickTest();
        ASSERT_EQ(responder_.Receive(), kQuery);
        responder_.Answer(answer.statusLine.empty() ? std::string("\x01")
                                                    : head + answer.statusLine);
        ASSERT_TRUE(WaitForMessage("Server is online"));
        QString line = info.text();
        line.replace(QRegularExpression("(<1|[0-9]+) ms$"), "N ms");
        if (answer.line.isNull()) {
            // A long map is cut with an ellipsis; the figures stay, and all within the label.
            EXPECT_TRUE(line.endsWith(QString::fromUtf8("m\u2026 \u00B7 0 players \u00B7 N ms")))
                << line.toStdString();
            EXPECT_LE(info.fontMetrics().horizontalAdvance(info.text()), info.width());
        } else {
            EXPECT_EQ(line, answer.line);
            // The hint shows the server's words as they are, never as markup.
            QString hint = QTextDocumentFragment::fromHtml(info.toolTip()).toPlainText();
            // The address that answered, with the responder's port for "@".
            EXPECT_EQ(hint.replace(QChar::LineSeparator, '\n'),
                      QString(answer.hint).replace("@", QString::number(responder_.Port())));
        }
    }
}

TEST_F(ProbeTest, AClosedPortIsNamedOnceTheWaitHasTimedOut) {
    const int closedPort = [] {
        LoopbackResponder gone;
        return gone.Port();
    }();
    Get<QLineEdit>("edQ3Port").setText(QString::number(closedPort));
    // A long wait, which a busy machine cannot outlast before the check; then a short one.
    Timer().setInterval(60'000);
    ClickTest();
    QTest::qWait(100);
    EXPECT_EQ(Message(), "Waiting for server");
    EXPECT_EQ(ServerInfo().text(), "");
    Timer().setInterval(1);
    ASSERT_TRUE(WaitForMessage("Server time out"));
    EXPECT_EQ(ServerInfo().text(), QString("No game server on port %1").arg(closedPort));
    EXPECT_EQ(ServerInfo().toolTip(), "");
}

TEST_F(ProbeTest, ANewTestAndATimeOutClearTheDetails) {
    ClickTest();
    ASSERT_EQ(responder_.Receive(), kQuery);
    responder_.Answer("\xFF\xFF\xFF\xFFstatusResponse\n\\sv_hostname\\x\\mapname\\dm\n");
    ASSERT_TRUE(WaitForMessage("Server is online"));
    ASSERT_FALSE(ServerInfo().text().isEmpty());
    ASSERT_FALSE(ServerInfo().toolTip().isEmpty());
    ClickTest();
    EXPECT_EQ(ServerInfo().text(), "");
    EXPECT_EQ(ServerInfo().toolTip(), "");
    ASSERT_TRUE(WaitForMessage("Server time out"));
    EXPECT_EQ(ServerInfo().text(), "");
}

TEST_F(ProbeTest, ADatagramFromElsewhereIsIgnored) {
    LoopbackResponder stray;
    // A long wait, which a busy machine cannot outlast before the check; then a short one.
    Timer().setInterval(60'000);
    ClickTest();
    ASSERT_EQ(responder_.Receive(), kQuery);
    stray.SendToPeerOf(responder_, "\xFF\xFF\xFF\xFFstatusResponse\n\\mapname\\stray\n");
    QTest::qWait(100);
    EXPECT_EQ(Message(), "Waiting for server");
    EXPECT_TRUE(Timer().isActive());
    EXPECT_EQ(ServerInfo().text(), "");
    Timer().setInterval(1);
    ASSERT_TRUE(WaitForMessage("Server time out"));
    // Nor does it count after the time-out.
    stray.SendToPeerOf(responder_, "x");
    QTest::qWait(100);
    EXPECT_EQ(Message(), "Server time out");
}

// An address holding a byte of 10 shows a fault in reading or comparing senders that
// 127.0.0.1 alone would hide. The stray answers from the queried port of another address.
TEST_F(ProbeTest, OnlyTheQueriedAddressAnswersOnEitherFamily) {
    struct Case {
        const char* typed;
        const char* serverAt;
        const char* answerFrom;  // nullptr: the server itself answers
        bool online;
    };
    const Case cases[] = {
        {"127.0.0.10", "127.0.0.10", nullptr, true},
        {"127.0.0.1", "127.0.0.1", "127.0.0.10", false},
        {"::ffff:127.0.0.10", "127.0.0.10", nullptr, true},
        {"127.0.0.10", "::ffff:127.0.0.10", nullptr, true},
        {"::1", "::1", nullptr, true},
        {"[::1]", "::1", nullptr, true},
        {"::1", "::1", "127.0.0.1", false},
        {"127.0.0.1", "127.0.0.1", "::1", false},
        {"::ffff:127.0.0.1", "127.0.0.1", "::ffff:127.0.0.10", false},
    };
    const bool ipv6 = HasIpv6Loopback();
    for (const Case& c : cases) {
        const std::string all =
            std::string(c.typed) + c.serverAt + (c.answerFrom ? c.answerFrom : "");
        if (!ipv6 && all.find("::1") != std::string::npos) {
            std::cout << "no IPv6 loopback here: " << c.typed << " is not tried\n";
            continue;
        }
        LoopbackResponder server(c.serverAt);
        ASSERT_TRUE(server.Bound()) << c.serverAt;
        std::optional<LoopbackResponder> stray;
        if (c.answerFrom != nullptr) {
            stray.emplace(c.answerFrom, server.Port());
            ASSERT_TRUE(stray->Bound()) << c.answerFrom;
        }
        Get<QLineEdit>("edQ3Server").setText(c.typed);
        Get<QLineEdit>("edQ3Port").setText(QString::number(server.Port()));
        ClickTest();
        ASSERT_EQ(server.Receive(), kQuery) << c.typed;
        const std::string answer = "\xFF\xFF\xFF\xFFstatusResponse\n\\mapname\\oa_dm1\n";
        stray ? stray->SendToPeerOf(server, answer) : server.Answer(answer);
        if (c.online) {
            EXPECT_TRUE(WaitForMessage("Server is online")) << c.typed;
        } else {
            QTest::qWait(100);
            EXPECT_EQ(Message(), "Waiting for server") << c.typed << " from " << c.answerFrom;
            EXPECT_TRUE(WaitForMessage("Server time out"));
        }
    }
}

// A host of both families: the query goes to the first address, and 250 ms later to the other
// one; the first answer wins, and the hint names who gave it.
TEST_F(ProbeTest, AHostOfBothFamiliesIsAskedOnTheOtherAfterAQuarterSecond) {
    if (!HasIpv6Loopback()) {
        GTEST_SKIP() << "no IPv6 loopback here";
    }
    LoopbackResponder server("127.0.0.10");
    Get<TUDPEndpoint>("UDP").SetHostLookup([](const std::string&) {
        return HostLookupResult{0, {*ParseIpAddress("::1"), *ParseIpAddress("127.0.0.10")}};
    });
    Get<QLineEdit>("edQ3Server").setText(QString("both.test:%1").arg(server.Port()));
    QElapsedTimer clock;
    clock.start();
    ClickTest();
    ASSERT_EQ(server.Receive(), kQuery);
    EXPECT_GE(clock.elapsed(), 250);
    EXPECT_EQ(Get<QLineEdit>("edQ3Server").text(), "both.test");
    server.Answer("\xFF\xFF\xFF\xFFstatusResponse\n\\mapname\\oa_dm1\n");
    ASSERT_TRUE(WaitForMessage("Server is online"));
    EXPECT_EQ(QTextDocumentFragment::fromHtml(ServerInfo().toolTip()).toPlainText(),
              QString("Address: 127.0.0.10:%1").arg(server.Port()));
    EXPECT_LT(clock.elapsed(), 750);
}

}  // namespace
}  // namespace kestrune::test_support
