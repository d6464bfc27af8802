// "Test server" against a loopback responder of the test's own.
#include <QElapsedTimer>
#include <QEventLoop>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTimer>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <memory>
#include <optional>
#include <string>
#include <thread>

#include "launcher/server_probe.h"
#include "net/udp_endpoint.h"
#include "tests/ui/main_window_fixture.h"

namespace kestrune::test_support {
namespace {

// A UDP socket on 127.0.0.1 that records queries and answers them on request.
class LoopbackResponder {
public:
    LoopbackResponder() {
        fd_ = ::socket(AF_INET, SOCK_DGRAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        ::bind(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address);
        socklen_t length = sizeof address;
        ::getsockname(fd_, reinterpret_cast<sockaddr*>(&address), &length);
        port_ = ntohs(address.sin_port);
    }
    ~LoopbackResponder() { ::close(fd_); }
    LoopbackResponder(const LoopbackResponder&) = delete;
    LoopbackResponder& operator=(const LoopbackResponder&) = delete;

    int Port() const { return port_; }

    // The next datagram, waiting at most timeoutMs while the window's events run.
    std::optional<std::string> Receive(int timeoutMs = 2000) {
        for (int waited = 0; waited <= timeoutMs; waited += 5) {
            char buffer[2048];
            socklen_t length = sizeof peer_;
            const ssize_t got = ::recvfrom(fd_, buffer, sizeof buffer, 0,
                                           reinterpret_cast<sockaddr*>(&peer_), &length);
            if (got >= 0) {
                return std::string(buffer, static_cast<std::size_t>(got));
            }
            QTest::qWait(5);
        }
        return std::nullopt;
    }

    // Answers whoever sent the last datagram received.
    void Answer(const std::string& bytes) {
        ::sendto(fd_, bytes.data(), bytes.size(), 0, reinterpret_cast<sockaddr*>(&peer_),
                 sizeof peer_);
    }

private:
    int fd_ = -1;
    int port_ = 0;
    sockaddr_in peer_{};
};

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
        return HostLookupResult{0, htonl(INADDR_LOOPBACK)};
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

}  // namespace
}  // namespace kestrune::test_support
