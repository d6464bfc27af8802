// The UDP endpoint against real sockets on the loopback address, ports chosen by the system.

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QTimer>

#include <poll.h>
#include <sys/resource.h>
#include <unistd.h>

#include <array>
#include <atomic>
#include <chrono>
#include <iostream>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "net/udp_endpoint.h"
#include "platform/host_lookup.h"
#include "platform/udp_socket.h"
#include "tests/support/loopback_endpoint.h"

namespace kestrune {
namespace {

using namespace std::chrono_literals;
using test_support::HasIpv6Loopback;
using test_support::kLoopback;
using test_support::kLoopback6;
using test_support::ListeningEndpoint;
using test_support::LoopbackPeer;

// Handles events until pred holds or the time is up.
template <typename Pred>
bool WaitFor(Pred pred, std::chrono::milliseconds limit = 2000ms) {
    QDeadlineTimer deadline(limit.count());
    while (!pred()) {
        if (deadline.hasExpired()) {
            return false;
        }
        QCoreApplication::processEvents();
        std::this_thread::sleep_for(1ms);
    }
    return true;
}

// Handles events for a while (to show that something does not happen).
void Settle(std::chrono::milliseconds time = 150ms) {
    WaitFor([] { return false; }, time);
}

// A lookup the test controls: counts its calls and answers from a list (the last answer
// repeats), after an optional delay.
struct ScriptedLookup {
    std::vector<HostLookupResult> answers{{0, {kLoopback}}};
    std::chrono::milliseconds delay{0};
    std::shared_ptr<std::atomic<int>> calls = std::make_shared<std::atomic<int>>(0);
    std::shared_ptr<std::vector<std::string>> names = std::make_shared<std::vector<std::string>>();

    TUDPEndpoint::THostLookup Function() const {
        return [answers = answers, delay = delay, calls = calls,
                names = names](const std::string& name) {
            const int call = (*calls)++;
            names->push_back(name);  // the endpoint waits for one lookup at a time here
            std::this_thread::sleep_for(delay);
            return answers[std::min<std::size_t>(static_cast<std::size_t>(call),
                                                 answers.size() - 1)];
        };
    }
};

const HostLookupResult kNotFound{2, {}};

std::string ErrorOf(const std::function<void()>& action) {
    try {
        action();
    } catch (const UDPSockError& error) {
        return "UDPSockError: " + error.message();
    } catch (const Exception& error) {
        return "Exception: " + error.message();
    }
    return "none";
}

// --- Sending ------------------------------------------------------------------------------

TEST(UdpEndpointSending, TheQuerySendsExactlyItsThirteenBytesAsOneDatagram) {
    LoopbackPeer peer;
    ListeningEndpoint local;
    int sends = 0;
    local.endpoint.SetOnDataSend([&](TUDPEndpoint&) { ++sends; });
    local.endpoint.SetRemoteHost("127.0.0.1");
    local.endpoint.SetRemotePort(peer.Port());

    const char query[14] = "\xFF\xFF\xFF\xFFgetStatus";
    local.endpoint.SendBuffer(query, 13);

    std::uint16_t fromPort = 0;
    EXPECT_EQ(peer.Receive(2000ms, &fromPort), std::string("\xFF\xFF\xFF\xFFgetStatus"));
    EXPECT_EQ(fromPort, local.Port()) << "answers must come back to the listening port";
    EXPECT_EQ(peer.Receive(100ms), std::nullopt) << "one datagram per send";
    EXPECT_EQ(sends, 1);
}

TEST(UdpEndpointSending, OnlyTheLowSixteenBitsOfThePortCount) {
    LoopbackPeer peer;
    ListeningEndpoint local;
    local.endpoint.SetRemoteHost("127.0.0.1");
    local.endpoint.SetRemotePort(65536 + peer.Port());
    local.endpoint.SendBuffer(std::string("x"), 1);
    EXPECT_EQ(peer.Receive(), "x");
}

TEST(UdpEndpointSending, TheNullAddressSendsNothingAndLooksNothingUp) {
    ListeningEndpoint local;
    ScriptedLookup lookup;
    local.endpoint.SetHostLookup(lookup.Function());
    int sends = 0;
    local.endpoint.SetOnDataSend([&](TUDPEndpoint&) { ++sends; });
    local.endpoint.SetRemoteHost("0.0.0.0");
    EXPECT_EQ(ErrorOf([&] { local.endpoint.SendBuffer(std::string("x"), 1); }),
              "UDPSockError: Null Remote Address");
    EXPECT_EQ(*lookup.calls, 0);
    EXPECT_EQ(sends, 0);
}

TEST(UdpEndpointSending, AnInvalidBufferIsAPlainExceptionUnlessTheHandlerMendsIt) {
    LoopbackPeer peer;
    ListeningEndpoint local;
    ScriptedLookup lookup;
    local.endpoint.SetHostLookup(lookup.Function());
    local.endpoint.SetRemoteHost("peer.test");
    local.endpoint.SetRemotePort(peer.Port());
    std::string buffer = "0123456789";

    EXPECT_EQ(ErrorOf([&] { local.endpoint.SendBuffer(buffer, 0); }), "Exception: Invalid buffer");
    // Lengths that would read outside the buffer never reach the socket.
    EXPECT_EQ(ErrorOf([&] { local.endpoint.SendBuffer(buffer, -1); }), "Exception: Invalid buffer");
    EXPECT_EQ(ErrorOf([&] { local.endpoint.SendBuffer(buffer, 11); }), "Exception: Invalid buffer");

    int asked = 0;
    local.endpoint.SetOnBufferInvalid([&](bool&, std::span<char>, std::int32_t&) { ++asked; });
    EXPECT_EQ(ErrorOf([&] { local.endpoint.SendBuffer(buffer, 0); }), "Exception: Invalid buffer");
    EXPECT_EQ(asked, 1);

    local.endpoint.SetOnBufferInvalid(
        [](bool& handled, std::span<char> buff, std::int32_t& length) {
            std::copy_n("hello", 5, buff.begin());
            length = 5;
            handled = true;
        });
    local.endpoint.SendBuffer(buffer, 0);
    EXPECT_EQ(peer.Receive(), "hello");
    EXPECT_EQ(buffer, "0123456789") << "the caller's buffer is never changed";
    EXPECT_EQ(*lookup.calls, 1) << "only the mended send looks the host up";
}

TEST(UdpEndpointSending, AllOnesIsHandedToTheLookupAsAName) {
    LoopbackPeer peer;
    ListeningEndpoint local;
    ScriptedLookup lookup;
    local.endpoint.SetHostLookup(lookup.Function());
    local.endpoint.SetRemoteHost("255.255.255.255");
    local.endpoint.SetRemotePort(peer.Port());
    local.endpoint.SendBuffer(std::string("x"), 1);
    ASSERT_EQ(*lookup.names, std::vector<std::string>{"255.255.255.255"});
    EXPECT_EQ(peer.Receive(), "x");
}

// --- Name lookup --------------------------------------------------------------------------

TEST(UdpEndpointLookup, LocalhostIsResolvedBySystemLookup) {
    LoopbackPeer peer;
    ListeningEndpoint local;
    local.endpoint.SetRemoteHost("localhost");
    local.endpoint.SetRemotePort(peer.Port());
    local.endpoint.SendBuffer(std::string("hi"), 2);
    EXPECT_EQ(peer.Receive(), "hi");
}

TEST(UdpEndpointLookup, ReservedHostNamesNeverReachANameServer) {
    for (const char* name : {"localhost", "LocalHost.", "game.localhost"}) {
        const HostLookupResult found = LookUpHost(name);
        EXPECT_EQ(found.error, 0) << name;
        EXPECT_EQ(found.addresses, (std::vector<IpAddress>{kLoopback, kLoopback6})) << name;
    }
    for (const char* name : {"no-such-host.invalid", "X.INVALID.", "invalid", ""}) {
        EXPECT_NE(LookUpHost(name).error, 0) << name;
    }
}

TEST(UdpEndpointLookup, NamesThatCannotBeResolvedEndInHostLookupCanceled) {
    ListeningEndpoint local;
    std::atomic<int> calls = 0;
    local.endpoint.SetHostLookup([&calls](const std::string& name) {
        ++calls;
        return LookUpHost(name);
    });
    const std::string longName = std::string(5000, 'a') + ".invalid";
    for (const std::string host : {"no-such-host.invalid", "", longName.c_str()}) {
        calls = 0;
        local.endpoint.SetRemoteHost(host);
        EXPECT_EQ(ErrorOf([&] { local.endpoint.SendBuffer(std::string("x"), 1); }),
                  "UDPSockError: Host Lookup Canceled")
            << host.substr(0, 30);
        EXPECT_EQ(calls, 1) << "no second lookup without OnInvalidHost";
    }
}

TEST(UdpEndpointLookup, OnInvalidHostBuysExactlyOneMoreLookup) {
    LoopbackPeer peer;
    ListeningEndpoint local;
    local.endpoint.SetRemoteHost("flaky.test");
    local.endpoint.SetRemotePort(peer.Port());
    int asked = 0;
    local.endpoint.SetOnInvalidHost([&](bool& handled) {
        ++asked;
        handled = true;
    });

    ScriptedLookup failsTwice;
    failsTwice.answers = {kNotFound};
    local.endpoint.SetHostLookup(failsTwice.Function());
    EXPECT_EQ(ErrorOf([&] { local.endpoint.SendBuffer(std::string("x"), 1); }),
              "UDPSockError: Host Lookup Canceled");
    EXPECT_EQ(*failsTwice.calls, 2);
    EXPECT_EQ(asked, 1);
    EXPECT_EQ(*failsTwice.names, (std::vector<std::string>{"flaky.test", "flaky.test"}));

    ScriptedLookup failsOnce;
    failsOnce.answers = {kNotFound, {0, {kLoopback}}};
    local.endpoint.SetHostLookup(failsOnce.Function());
    local.endpoint.SendBuffer(std::string("second"), 6);
    EXPECT_EQ(peer.Receive(), "second");
    EXPECT_EQ(asked, 2);
}

TEST(UdpEndpointLookup, TheWaitReportsDatagramsBeforeTheSendReturns) {
    LoopbackPeer peer;
    LoopbackPeer earlyAnswer;
    ListeningEndpoint local;
    const std::uint16_t port = local.Port();
    // The lookup itself makes an answer arrive while the endpoint waits for it.
    local.endpoint.SetHostLookup([&earlyAnswer, port](const std::string&) {
        earlyAnswer.SendTo(port, "early");
        std::this_thread::sleep_for(200ms);
        return HostLookupResult{0, {kLoopback}};
    });
    local.endpoint.SetRemoteHost("slow.test");
    local.endpoint.SetRemotePort(peer.Port());
    local.endpoint.SendBuffer(std::string("query"), 5);

    ASSERT_EQ(local.received.size(), 1u);
    EXPECT_EQ(local.received[0].bytes, "early");
    EXPECT_EQ(peer.Receive(), "query");
}

TEST(UdpEndpointLookup, ASendStartedDuringAnotherWaitKeepsItsOwnResult) {
    // Two hosts on different loopback addresses with the same port tell the sends apart.
    LoopbackPeer outerPeer("127.0.0.2");
    ASSERT_TRUE(outerPeer.Bound());
    LoopbackPeer innerPeer("127.0.0.3", outerPeer.Port());
    ASSERT_TRUE(innerPeer.Bound());
    ListeningEndpoint local;
    local.endpoint.SetHostLookup([](const std::string& name) {
        // The outer lookup ends while the inner one still runs.
        const bool outer = name == "outer.test";
        std::this_thread::sleep_for(outer ? 50ms : 300ms);
        return HostLookupResult{0, {IpAddress::V4(outer ? 0x0200007Fu : 0x0300007Fu)}};
    });
    local.endpoint.SetRemotePort(outerPeer.Port());
    local.endpoint.SetRemoteHost("outer.test");
    std::string innerError = "not run";
    QTimer::singleShot(0, [&] {
        local.endpoint.SetRemoteHost("inner.test");
        innerError = ErrorOf([&] { local.endpoint.SendBuffer(std::string("inner"), 5); });
    });
    local.endpoint.SendBuffer(std::string("outer"), 5);

    EXPECT_EQ(innerError, "none");
    EXPECT_EQ(outerPeer.Receive(), "outer");
    EXPECT_EQ(innerPeer.Receive(), "inner");
    EXPECT_EQ(outerPeer.Receive(100ms), std::nullopt);
}

TEST(UdpEndpointLookup, ANewLocalPortDuringTheWaitKeepsTheLookupsCompletion) {
    LoopbackPeer peer;
    ListeningEndpoint local;
    ScriptedLookup lookup;
    lookup.delay = 200ms;
    local.endpoint.SetHostLookup(lookup.Function());
    local.endpoint.SetRemoteHost("slow.test");
    local.endpoint.SetRemotePort(peer.Port());
    QTimer::singleShot(20, [&] { local.endpoint.SetLocalPort(0); });
    local.endpoint.SendBuffer(std::string("x"), 1);

    std::uint16_t fromPort = 0;
    EXPECT_EQ(peer.Receive(2000ms, &fromPort), "x");
    EXPECT_EQ(fromPort, local.Port()) << "sent from the new socket";
    peer.SendTo(local.Port(), "answer");
    ASSERT_TRUE(WaitFor([&] { return !local.received.empty(); }));
    EXPECT_EQ(local.received[0].bytes, "answer");
}

TEST(UdpEndpointLookup, CancelAndDestructionEndTheWait) {
    std::atomic<bool> release = false;
    auto slowLookup = [&release](const std::string&) {
        for (int waited = 0; !release && waited < 3000; ++waited) {
            std::this_thread::sleep_for(1ms);
        }
        return HostLookupResult{0, {kLoopback}};
    };

    ListeningEndpoint local;
    local.endpoint.SetHostLookup(slowLookup);
    local.endpoint.SetRemoteHost("slow.test");
    QTimer::singleShot(20, [&] { local.endpoint.CancelLookup(); });
    EXPECT_EQ(ErrorOf([&] { local.endpoint.SendBuffer(std::string("x"), 1); }),
              "UDPSockError: Host Lookup Canceled");

    // A handler that destroys the endpoint while its send waits.
    auto doomed = std::make_unique<TUDPEndpoint>();
    doomed->SetHostLookup(slowLookup);
    doomed->SetRemoteHost("slow.test");
    QTimer::singleShot(20, [&] { doomed.reset(); });
    TUDPEndpoint* raw = doomed.get();
    EXPECT_EQ(ErrorOf([&] { raw->SendBuffer(std::string("x"), 1); }),
              "UDPSockError: Host Lookup Canceled");
    EXPECT_EQ(doomed, nullptr);

    release = true;
    Settle(50ms);  // the lookups end and find no one waiting
}

// --- Receiving ----------------------------------------------------------------------------

TEST(UdpEndpointReceiving, EachDatagramIsReportedInOrderWithItsSender) {
    LoopbackPeer peer;
    ListeningEndpoint local;
    peer.SendTo(local.Port(), "first");
    peer.SendTo(local.Port(), "second");
    ASSERT_TRUE(WaitFor([&] { return local.received.size() == 2; }));

    EXPECT_EQ(local.received[0].bytes, "first");
    EXPECT_EQ(local.received[0].numberBytes, 5);
    EXPECT_EQ(local.received[1].bytes, "second");
    EXPECT_EQ(local.received[1].fromIP, "127.0.0.1");
    EXPECT_EQ(local.received[1].port, peer.Port());

    // ReadBuffer gives the last datagram as often as asked.
    std::string again(6, '\0');
    std::int32_t length = 0;
    local.endpoint.ReadBuffer(again, length);
    local.endpoint.ReadBuffer(again, length);
    EXPECT_EQ(again.substr(0, static_cast<std::size_t>(length)), "second");
}

TEST(UdpEndpointReceiving, ADatagramIsTimedWhenItArrivedNotWhenItWasRead) {
    LoopbackPeer peer;
    ListeningEndpoint local;
    std::chrono::steady_clock::time_point arrival;
    local.endpoint.SetOnDataReceived([&](TUDPEndpoint& sender, std::int32_t, const std::string&,
                                         std::int32_t) { arrival = sender.LastArrival(); });
    const auto sent = std::chrono::steady_clock::now();
    peer.SendTo(local.Port(), "answer");
    // The program is busy elsewhere for a while before it reads.
    std::this_thread::sleep_for(50ms);
    const auto busyUntil = std::chrono::steady_clock::now();
    ASSERT_TRUE(WaitFor([&] { return arrival != std::chrono::steady_clock::time_point{}; }));

    EXPECT_GE(arrival, sent);
    EXPECT_LT(arrival, busyUntil);
}

TEST(UdpEndpointReceiving, EveryDatagramArrivesWholeUpToTheLargest) {
    LoopbackPeer peer;
    ListeningEndpoint local;
    // Empty, a full server's answer (longer than the 2048 bytes once read), the largest.
    const std::vector<std::string> datagrams = {"", std::string(3316, 'f'),
                                                std::string(65'506, 'L') + "?"};
    for (const std::string& datagram : datagrams) {
        peer.SendTo(local.Port(), datagram);
    }
    ASSERT_TRUE(WaitFor([&] { return local.received.size() == 3; }));
    for (std::size_t i = 0; i < datagrams.size(); ++i) {
        EXPECT_EQ(local.received[i].numberBytes, static_cast<std::int32_t>(datagrams[i].size()));
        EXPECT_EQ(local.received[i].bytes, datagrams[i]);
        EXPECT_EQ(local.received[i].fromIP, "127.0.0.1");
    }
    EXPECT_FALSE(local.endpoint.LastDatagramCut());
}

TEST(UdpEndpointReceiving, AClosedPortsReportIsReadOnceAndNamesTheDestination) {
    for (const IpAddress& destination : {kLoopback, kLoopback6}) {
        if (destination.IsV6() && !HasIpv6Loopback()) {
            std::cout << "no IPv6 loopback here: the IPv6 case is not run\n";
            continue;
        }
        const std::uint16_t closedPort =
            LoopbackPeer(destination.IsV6() ? "::1" : "127.0.0.1").Port();
        int error = 0;
        UdpSocket socket = UdpSocket::Make(error);
        ASSERT_EQ(socket.SendTo(std::string("x"), destination, closedPort), 0);
        pollfd wait{socket.Descriptor(), POLLIN, 0};
        ASSERT_EQ(::poll(&wait, 1, 2000), 1);
        std::array<char, 16> buffer;
        const UdpReceiveResult report = socket.ReceiveFrom(buffer);
        EXPECT_EQ(report.count, -1);
        EXPECT_EQ(report.portUnreachable, (UdpDestination{destination, closedPort}))
            << FormatIpAddress(destination);
        EXPECT_EQ(::poll(&wait, 1, 0), 0) << "the report stays and keeps the socket readable";
    }
}

TEST(UdpEndpointReceiving, EachFamilysPeerIsReachedAndNamedByItsOwnAddress) {
    test_support::ExpectEachFamilysPeerReachedAndNamed(
        [](const std::function<bool()>& condition) { return WaitFor(condition); });
}

TEST(UdpEndpointLookup, ANameOfBothFamiliesKeepsTheirOrderAndSendsToTheFirst) {
    if (!HasIpv6Loopback()) {
        GTEST_SKIP() << "no IPv6 loopback here";
    }
    LoopbackPeer peer6("::1");
    LoopbackPeer peer4("127.0.0.1", peer6.Port());
    ASSERT_TRUE(peer4.Bound());
    ListeningEndpoint local;
    ScriptedLookup lookup;
    lookup.answers = {{0, {kLoopback6, kLoopback}}};
    local.endpoint.SetHostLookup(lookup.Function());
    local.endpoint.SetRemoteHost("both.test");
    local.endpoint.SetRemotePort(peer6.Port());
    local.endpoint.SendBuffer(std::string("x"), 1);
    EXPECT_EQ(peer6.Receive(), "x");
    EXPECT_EQ(peer4.Receive(100ms), std::nullopt);
    EXPECT_EQ(local.endpoint.RemoteAddresses(), (std::vector<IpAddress>{kLoopback6, kLoopback}));

    // An IPv6 address costs no lookup, and "::" is the null address.
    local.endpoint.SetRemoteHost("::");
    EXPECT_EQ(ErrorOf([&] { local.endpoint.SendBuffer(std::string("x"), 1); }),
              "UDPSockError: Null Remote Address");
    EXPECT_EQ(*lookup.calls, 1);
}

TEST(UdpEndpointReceiving, ReadBufferCopiesNothingBeforeTheFirstDatagramOrAnEmptyOne) {
    TUDPEndpoint endpoint;
    std::string buffer = "untouched";
    std::int32_t length = -1;
    endpoint.ReadBuffer(buffer, length);
    EXPECT_EQ(length, 0);
    EXPECT_EQ(buffer, "untouched");

    LoopbackPeer peer;
    endpoint.BindLocalPort();
    peer.SendTo(endpoint.BoundPort(), "");
    Settle();
    endpoint.ReadBuffer(buffer, length);
    EXPECT_EQ(length, 0);
    EXPECT_EQ(buffer, "untouched");
}

TEST(UdpEndpointReceiving, AReadThatFindsNothingIsNotReported) {
    LoopbackPeer peer;
    ListeningEndpoint local;
    peer.SendTo(local.Port(), "kept");
    ASSERT_TRUE(WaitFor([&] { return local.received.size() == 1; }));

    // A notification with nothing waiting, and messages that are not socket messages.
    local.endpoint.HandleSocketMessage(TUDPEndpoint::kSocketMessage, TUDPEndpoint::kReadReady);
    local.endpoint.HandleSocketMessage(1000, TUDPEndpoint::kReadReady);
    EXPECT_EQ(local.received.size(), 1u);
    std::string buffer(4, '\0');
    std::int32_t length = -1;
    local.endpoint.ReadBuffer(buffer, length);
    EXPECT_EQ(length, 4);
    EXPECT_EQ(buffer, "kept");
}

TEST(UdpEndpointReceiving, WithoutAHandlerTheDatagramIsStillRead) {
    LoopbackPeer peer;
    TUDPEndpoint endpoint;
    endpoint.SetLocalPort(0);
    peer.SendTo(endpoint.BoundPort(), "quiet");
    std::string buffer(5, '\0');
    std::int32_t length = 0;
    ASSERT_TRUE(WaitFor([&] {
        endpoint.ReadBuffer(buffer, length);
        return length == 5;
    }));
    EXPECT_EQ(buffer, "quiet");
}

TEST(UdpEndpointReceiving, ASecondBindingKeepsTheFirstPort) {
    LoopbackPeer peer;
    ListeningEndpoint local;
    const std::uint16_t port = local.Port();
    ASSERT_NE(port, 0);
    local.endpoint.BindLocalPort();
    EXPECT_EQ(local.Port(), port);
    peer.SendTo(port, "still here");
    ASSERT_TRUE(WaitFor([&] { return local.received.size() == 1; }));
    Settle(50ms);
    EXPECT_EQ(local.received.size(), 1u) << "one report per datagram after binding twice";
}

// --- Status and errors --------------------------------------------------------------------

// Lowers the descriptor limit to nothing, so that no new socket can be made (descriptors
// already open keep working).
class NoFreeDescriptors {
public:
    NoFreeDescriptors() {
        ::getrlimit(RLIMIT_NOFILE, &saved_);
        rlimit lowered = saved_;
        lowered.rlim_cur = 0;
        ::setrlimit(RLIMIT_NOFILE, &lowered);
    }
    ~NoFreeDescriptors() { ::setrlimit(RLIMIT_NOFILE, &saved_); }

private:
    rlimit saved_{};
};

TEST(UdpEndpointStatus, ReportLevelsFilterTheMessages) {
    LoopbackPeer peer;
    ListeningEndpoint local;
    std::vector<std::string> statuses;
    local.endpoint.SetOnStatus(
        [&](TUDPEndpoint&, const std::string& status) { statuses.push_back(status); });
    local.endpoint.SetRemoteHost("127.0.0.1");
    local.endpoint.SetRemotePort(peer.Port());

    local.endpoint.SendBuffer(std::string("x"), 1);
    EXPECT_TRUE(statuses.empty()) << "level 1 reports nothing";
    EXPECT_EQ(local.endpoint.StatusText(), "");

    local.endpoint.SetReportLevel(2);
    local.endpoint.SendBuffer(std::string("x"), 1);
    EXPECT_EQ(statuses, std::vector<std::string>{"Sending Data"});

    statuses.clear();
    local.endpoint.SetReportLevel(16);
    std::vector<std::uint16_t> errors;
    local.endpoint.SetOnError(
        [&](TUDPEndpoint&, std::uint16_t error, const std::string&) { errors.push_back(error); });
    const std::int32_t oldLocalPort = local.endpoint.LocalPort();
    std::string error;
    {
        NoFreeDescriptors exhausted;
        error = ErrorOf([&] { local.endpoint.SetLocalPort(4321); });
    }
    EXPECT_EQ(error, "UDPSockError: Unknown Error No. " + std::to_string(EMFILE));
    EXPECT_EQ(statuses, (std::vector<std::string>{"Checking Error In Error Manager",
                                                  "Looking Up Error MessageUnknown Error No. " +
                                                      std::to_string(EMFILE)}));
    EXPECT_EQ(errors, std::vector<std::uint16_t>{EMFILE});
    EXPECT_EQ(local.endpoint.LastError(), static_cast<std::uint32_t>(EMFILE));
    EXPECT_EQ(local.endpoint.LocalPort(), oldLocalPort);

    // With the socket back, the endpoint works again.
    local.endpoint.SetLocalPort(0);
    local.endpoint.SendBuffer(std::string("back"), 4);
    EXPECT_EQ(peer.Receive(), "x");
    EXPECT_EQ(peer.Receive(), "x");
    EXPECT_EQ(peer.Receive(), "back");
}

TEST(UdpEndpointStatus, NoSocketAtConstructionRaises) {
    std::string error;
    {
        NoFreeDescriptors exhausted;
        error = ErrorOf([] { TUDPEndpoint endpoint; });
    }
    EXPECT_EQ(error, "UDPSockError: Unknown Error No. " + std::to_string(EMFILE));

    // An error number of 0 gives an empty message.
    TUDPEndpoint endpoint;
    std::string text = "stale";
    EXPECT_EQ(ErrorOf([&] { endpoint.ErrorManager(TUDPEndpoint::kToleratedError, text); }),
              "UDPSockError: ");
}

}  // namespace
}  // namespace kestrune

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
