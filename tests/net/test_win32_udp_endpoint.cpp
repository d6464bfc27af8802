// The endpoint on Windows: Winsock 2 on loopback, its hidden message-only window, and the lookup
// wait that dispatches the thread's messages and blocks between them.

#include <gtest/gtest.h>
#include <winsock2.h>
// needs winsock2.h first
#include <windows.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <iostream>
#include <optional>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "net/udp_endpoint.h"
#include "net/win32/lookup_wait_step.h"
#include "platform/host_lookup.h"
#include "platform/udp_socket.h"
#include "platform/win32/winsock.h"
#include "tests/support/loopback_endpoint.h"
#include "tests/support/win32_messages.h"

namespace kestrune {
namespace {

using namespace std::chrono_literals;
using test_support::HasIpv6Loopback;
using test_support::kLoopback;
using test_support::ListeningEndpoint;
using test_support::LoopbackPeer;
using test_support::PumpUntil;

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

HWND HiddenWindow() {
    return ::FindWindowExW(HWND_MESSAGE, nullptr, L"KestruneSocketMessages", nullptr);
}

// The CPU time this process has used so far.
std::chrono::milliseconds ProcessCpuTime() {
    FILETIME created, exited, kernel, user;
    ::GetProcessTimes(::GetCurrentProcess(), &created, &exited, &kernel, &user);
    auto ticks = [](const FILETIME& time) {
        return (static_cast<std::uint64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
    };
    return std::chrono::milliseconds((ticks(kernel) + ticks(user)) / 10000);
}

int timerTicks = 0;
void CALLBACK CountTick(HWND, UINT, UINT_PTR, DWORD) {
    ++timerTicks;
}
void CALLBACK AskToQuit(HWND, UINT, UINT_PTR, DWORD) {
    ::PostQuitMessage(3);
}

TEST(Win32UdpEndpoint, SendsTheQueryAndReportsEveryDatagramWithItsSender) {
    LoopbackPeer peer;
    ListeningEndpoint local;
    ASSERT_NE(local.Port(), 0);
    local.endpoint.SetRemoteHost("127.0.0.1");
    local.endpoint.SetRemotePort(peer.Port() + 0x10000);  // only the low 16 bits count
    const char query[14] = "\xFF\xFF\xFF\xFFgetStatus";
    local.endpoint.SendBuffer(std::span<const char>(query), 13);
    EXPECT_EQ(peer.Receive(), std::string("\xFF\xFF\xFF\xFFgetStatus"));

    // A full server's answer, longer than 2048 bytes, and the largest datagram arrive whole.
    const std::string fullServer(3316, 'x');
    const std::string largest = std::string(65'506, 'L') + "?";
    for (const std::string& datagram : {std::string("one"), std::string(), fullServer, largest}) {
        peer.SendTo(local.Port(), datagram);
    }
    ASSERT_TRUE(PumpUntil([&] { return local.received.size() == 4; }));
    EXPECT_EQ(local.received[0].bytes, "one");
    EXPECT_EQ(local.received[0].fromIP, "127.0.0.1");
    EXPECT_EQ(local.received[0].port, peer.Port());
    EXPECT_EQ(local.received[1].numberBytes, 0);
    EXPECT_EQ(local.received[2].numberBytes, 3316);
    EXPECT_EQ(local.received[2].bytes, fullServer);
    EXPECT_EQ(local.received[3].numberBytes, 65'507);
    EXPECT_EQ(local.received[3].bytes, largest);
    EXPECT_FALSE(local.endpoint.LastDatagramCut());
}

TEST(Win32UdpEndpoint, AReadFailingWithConnectionResetReportsTheLatestDestinationClosed) {
    for (const char* address : {"127.0.0.10", "::1"}) {
        if (std::string(address) == "::1" && !HasIpv6Loopback()) {
            std::cout << "no IPv6 loopback here: the IPv6 case is not run\n";
            continue;
        }
        LoopbackPeer peer(address);
        ListeningEndpoint local;
        std::vector<std::pair<std::string, std::int32_t>> unreachable;
        local.endpoint.SetOnPortUnreachable(
            [&](TUDPEndpoint&, const std::string& toIP, std::int32_t port) {
                unreachable.emplace_back(toIP, port);
            });
        local.endpoint.SetRemoteHost(address);
        local.endpoint.SetRemotePort(peer.Port());
        local.endpoint.SendBuffer(std::string("query"), 5);
        ASSERT_EQ(peer.Receive(), "query");

        // Windows tells of a closed port by failing the next read with WSAECONNRESET; Wine tells
        // nothing, so the read that a datagram's arrival brings fails here as Windows's would.
        bool failed = false;
        win32::SetReceiveFromForTests(
            [&](SOCKET socket, char* buffer, int size, sockaddr* from, int* fromLength) {
                const int count = ::recvfrom(socket, buffer, size, 0, from, fromLength);
                if (count == SOCKET_ERROR || std::exchange(failed, true)) {
                    return count;
                }
                ::WSASetLastError(WSAECONNRESET);
                return SOCKET_ERROR;
            });
        peer.SendTo(local.Port(), "taken by the failing read");
        peer.SendTo(local.Port(), "next");
        const bool delivered = PumpUntil([&] { return local.received.size() == 1; });
        win32::SetReceiveFromForTests({});
        ASSERT_TRUE(delivered);
        EXPECT_EQ(unreachable,
                  (std::vector<std::pair<std::string, std::int32_t>>{{address, peer.Port()}}));
        EXPECT_EQ(local.received[0].bytes, "next");
        EXPECT_EQ(local.received[0].fromIP, address);
    }
}

// An address holding a byte of 10 shows a fault in writing or reading senders that 127.0.0.1
// alone would hide; an IPv4-mapped sender is named by its IPv4 address.
TEST(Win32UdpEndpoint, EachFamilysPeerIsReachedAndNamedByItsOwnAddress) {
    test_support::ExpectEachFamilysPeerReachedAndNamed(
        [](const std::function<bool()>& condition) { return PumpUntil(condition); });
}

TEST(Win32UdpEndpoint, NamesAndAddressesThatSendNothing) {
    ListeningEndpoint local;
    local.endpoint.SetRemoteHost("0.0.0.0");
    EXPECT_EQ(ErrorOf([&] { local.endpoint.SendBuffer(std::string("x"), 1); }),
              "UDPSockError: Null Remote Address");
    local.endpoint.SetRemoteHost("server.invalid");
    EXPECT_EQ(ErrorOf([&] { local.endpoint.SendBuffer(std::string("x"), 1); }),
              "UDPSockError: Host Lookup Canceled");
    LoopbackPeer peer;
    local.endpoint.SetRemoteHost("localhost");
    local.endpoint.SetRemotePort(peer.Port());
    local.endpoint.SendBuffer(std::string("by name"), 7);
    EXPECT_EQ(peer.Receive(), "by name");
    EXPECT_EQ(TUDPEndpoint::kToleratedError, WSAEWOULDBLOCK);
}

TEST(Win32UdpEndpoint, TheLookupWaitDispatchesMessagesAndSleepsBetweenThem) {
    LoopbackPeer peer;
    LoopbackPeer early;
    ListeningEndpoint local;
    const std::uint16_t port = local.Port();
    // A datagram arrives, and a timer fires, while the endpoint waits for a slow lookup.
    local.endpoint.SetHostLookup([&early, port](const std::string&) {
        early.SendTo(port, "early");
        std::this_thread::sleep_for(1500ms);
        return HostLookupResult{0, {kLoopback}};
    });
    timerTicks = 0;
    const UINT_PTR timer = ::SetTimer(nullptr, 0, 100, CountTick);
    local.endpoint.SetRemoteHost("slow.test");
    local.endpoint.SetRemotePort(peer.Port());
    const auto cpuBefore = ProcessCpuTime();
    local.endpoint.SendBuffer(std::string("query"), 5);
    const auto cpuUsed = ProcessCpuTime() - cpuBefore;
    ::KillTimer(nullptr, timer);

    ASSERT_EQ(local.received.size(), 1u);
    EXPECT_EQ(local.received[0].bytes, "early");
    EXPECT_GE(timerTicks, 1);
    EXPECT_EQ(peer.Receive(), "query");
    // A spinning wait would burn the whole 1.5 s.
    EXPECT_LT(cpuUsed, 750ms);
}

TEST(Win32UdpEndpoint, TheLookupWaitHandsEachMessageToTheInstalledStep) {
    ListeningEndpoint local;
    local.endpoint.SetHostLookup([](const std::string&) {
        std::this_thread::sleep_for(300ms);
        return HostLookupResult{0, {kLoopback}};
    });
    std::vector<UINT> stepped;
    SetLookupWaitStep([&stepped](MSG& message) {
        stepped.push_back(message.message);
        ::DispatchMessageW(&message);
    });
    const HWND window =
        ::CreateWindowExW(0, L"Static", L"", 0, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    ::PostMessageW(window, WM_KEYDOWN, VK_TAB, 1);
    local.endpoint.SetRemoteHost("slow.test");
    local.endpoint.SendBuffer(std::string("x"), 1);
    SetLookupWaitStep({});
    ::DestroyWindow(window);
    EXPECT_NE(std::find(stepped.begin(), stepped.end(), UINT{WM_KEYDOWN}), stepped.end());
}

TEST(Win32UdpEndpoint, AQuitRequestEndsTheWaitAndStaysForTheMessageLoop) {
    ListeningEndpoint local;
    local.endpoint.SetHostLookup([](const std::string&) {
        std::this_thread::sleep_for(2000ms);
        return HostLookupResult{0, {kLoopback}};
    });
    const UINT_PTR timer = ::SetTimer(nullptr, 0, 50, AskToQuit);
    local.endpoint.SetRemoteHost("slow.test");
    EXPECT_EQ(ErrorOf([&] { local.endpoint.SendBuffer(std::string("x"), 1); }),
              "UDPSockError: Host Lookup Canceled");
    ::KillTimer(nullptr, timer);
    MSG message;
    ASSERT_TRUE(::PeekMessageW(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(message.wParam, 3u);
}

TEST(Win32UdpEndpoint, TheHiddenWindowTakesOnlyItsOwnMessages) {
    std::optional<ListeningEndpoint> local(std::in_place);
    // FindWindowExW under HWND_MESSAGE finds message-only windows alone.
    const HWND window = HiddenWindow();
    ASSERT_NE(window, nullptr);
    EXPECT_FALSE(::IsWindowVisible(window));

    // Read readiness with nothing to read, for another socket, another message number, a
    // lookup's end that no one waits for: nothing is reported.
    ::SendMessageW(window, TUDPEndpoint::kSocketMessage, 0, FD_READ);
    ::SendMessageW(window, 1000, 0, FD_READ);
    ::SendMessageW(window, TUDPEndpoint::kSocketMessage, 0, MAKELONG(0, WSAHOST_NOT_FOUND));
    EXPECT_TRUE(local->received.empty());

    // A datagram's readiness arrives through Winsock as message 1125 with FD_READ.
    LoopbackPeer peer;
    peer.SendTo(local->Port(), "ping");
    ASSERT_TRUE(PumpUntil([&] { return local->received.size() == 1; }));
    EXPECT_EQ(local->received[0].bytes, "ping");

    // A new local port: a new socket, the same window.
    local->endpoint.SetLocalPort(0);
    EXPECT_EQ(HiddenWindow(), window);
    peer.SendTo(local->Port(), "pong");
    ASSERT_TRUE(PumpUntil([&] { return local->received.size() == 2; }));

    local.reset();
    EXPECT_FALSE(::IsWindow(window));
}

}  // namespace
}  // namespace kestrune
