// The endpoint's partners in its suites, the same on Linux and Windows: a peer socket on a
// loopback address of either family, an endpoint set up as the main window sets up its own and
// recording what it reports, and the table of both families' peers and how each is named.
#pragma once

#include <gtest/gtest.h>

#include <array>
#include <chrono>
#include <cstdint>
#include <functional>
#include <iostream>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "net/udp_endpoint.h"
#include "platform/ip_address.h"
#include "platform/udp_socket.h"

namespace kestrune::test_support {

using namespace std::chrono_literals;

inline const IpAddress kLoopback = IpAddress::V4(0x0100007Fu);  // 127.0.0.1
inline const IpAddress kLoopback6 = *ParseIpAddress("::1");

// A datagram socket on a loopback address of either family (an IPv4-mapped one sends as its
// IPv4 address).
class LoopbackPeer {
public:
    explicit LoopbackPeer(const char* address = "127.0.0.1", std::uint16_t port = 0)
        : address_(*ParseIpAddress(address)) {
        int error = 0;
        socket_ = UdpSocket::Make(error);
        bindError_ = socket_.Bind(address_, port);
    }
    bool Bound() const { return bindError_ == 0; }
    std::uint16_t Port() const { return socket_.LocalPort(); }

    // Sends to port on the loopback address of the peer's own family.
    void SendTo(std::uint16_t port, const std::string& bytes) {
        ASSERT_EQ(0, socket_.SendTo(bytes, address_.IsV6() ? kLoopback6 : kLoopback, port));
    }

    // The next datagram, or nothing within the time. fromPort gets the sender's port.
    std::optional<std::string> Receive(std::chrono::milliseconds limit = 2000ms,
                                       std::uint16_t* fromPort = nullptr) {
        std::array<char, 65536> buffer;
        const auto deadline = std::chrono::steady_clock::now() + limit;
        for (;;) {
            const UdpReceiveResult result = socket_.ReceiveFrom(buffer);
            if (result.count >= 0) {
                if (fromPort != nullptr) {
                    *fromPort = result.fromPort;
                }
                return std::string(buffer.data(), static_cast<std::size_t>(result.count));
            }
            if (std::chrono::steady_clock::now() >= deadline) {
                return std::nullopt;
            }
            std::this_thread::sleep_for(1ms);
        }
    }

private:
    IpAddress address_;
    UdpSocket socket_;
    int bindError_ = -1;
};

// Whether this machine has the IPv6 loopback address.
inline bool HasIpv6Loopback() {
    return LoopbackPeer("::1").Bound();
}

// What a data handler saw.
struct Received {
    std::int32_t numberBytes;
    std::string bytes;  // fetched with ReadBuffer inside the handler
    std::string fromIP;
    std::int32_t port;
};

// An endpoint set up the way the main window sets up its own, recording what it reports.
struct ListeningEndpoint {
    ListeningEndpoint() {
        endpoint.SetRemotePort(0);
        endpoint.SetLocalPort(0);
        endpoint.SetReportLevel(1);
        endpoint.SetOnDataReceived([this](TUDPEndpoint& sender, std::int32_t numberBytes,
                                          const std::string& fromIP, std::int32_t port) {
            std::string bytes(static_cast<std::size_t>(numberBytes) + 1, '\0');
            std::int32_t length = -1;
            sender.ReadBuffer(bytes, length);
            bytes.resize(static_cast<std::size_t>(length));
            received.push_back({numberBytes, bytes, fromIP, port});
        });
        endpoint.BindLocalPort();
    }
    std::uint16_t Port() const { return endpoint.BoundPort(); }

    TUDPEndpoint endpoint;
    std::vector<Received> received;
};

// Runs the event loop until the condition holds or the time is up; whether it held.
using EventWait = std::function<bool(const std::function<bool()>& condition)>;

// A peer of each family is reached at the address as typed and names itself by its own address.
// An address holding a byte of 10 shows a fault in writing or reading senders that 127.0.0.1
// alone would hide; an IPv4-mapped sender is named by its IPv4 address.
inline void ExpectEachFamilysPeerReachedAndNamed(const EventWait& waitFor) {
    struct Case {
        const char* peerAt;
        const char* remoteHost;  // as typed
        const char* fromIP;      // as reported
    };
    const Case cases[] = {
        {"127.0.0.10", "127.0.0.10", "127.0.0.10"},
        {"127.0.10.1", "127.0.10.1", "127.0.10.1"},
        {"::ffff:127.0.0.10", "::ffff:127.0.0.10", "127.0.0.10"},
        {"127.0.0.10", "[::ffff:127.0.0.10]", "127.0.0.10"},
        {"::1", "::1", "::1"},
        {"::1", "[::1]", "::1"},
        {"::1", "0:0:0:0:0:0:0:1", "::1"},
    };
    const bool ipv6 = HasIpv6Loopback();
    for (const Case& c : cases) {
        if (!ipv6 && std::string(c.fromIP) == "::1") {
            std::cout << "no IPv6 loopback here: " << c.remoteHost << " is not tried\n";
            continue;
        }
        LoopbackPeer peer(c.peerAt);
        ASSERT_TRUE(peer.Bound()) << c.peerAt;
        ListeningEndpoint local;
        local.endpoint.SetRemoteHost(c.remoteHost);
        local.endpoint.SetRemotePort(peer.Port());
        local.endpoint.SendBuffer(std::string("query"), 5);
        EXPECT_EQ(FormatIpAddress(local.endpoint.RemoteAddress()), c.fromIP) << c.remoteHost;
        EXPECT_EQ(peer.Receive(), "query") << c.remoteHost;
        peer.SendTo(local.Port(), "answer");
        ASSERT_TRUE(waitFor([&] { return local.received.size() == 1; })) << c.remoteHost;
        EXPECT_EQ(local.received[0].fromIP, c.fromIP) << c.peerAt;
        EXPECT_EQ(local.received[0].port, peer.Port());
    }
}

}  // namespace kestrune::test_support
