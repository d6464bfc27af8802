#pragma once

// A master server on loopback for tests with real game servers (Debian packages no master): it
// answers each heartbeat with an info challenge, takes the server only when its info answer
// echoes that challenge, and lists what it has taken. Its socket is read when the event loop
// runs (Qt) or, on Windows, when Peer().Serve() is called.

#include <cstddef>
#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "server_list/info_answer.h"
#include "tests/support/loopback_servers.h"

namespace kestrune::test_support {

class MasterStandIn {
public:
    MasterStandIn()
        : peer_([this](LoopbackPeer& self, std::string_view datagram, std::uint32_t from,
                       std::uint16_t port) { Handle(self, datagram, from, port); }) {}
    MasterStandIn(const MasterStandIn&) = delete;
    MasterStandIn& operator=(const MasterStandIn&) = delete;

    std::uint16_t Port() const { return peer_.Port(); }
    std::size_t Known() const { return known_.size(); }
    LoopbackPeer& Peer() { return peer_; }

private:
    void Handle(LoopbackPeer& self, std::string_view datagram, std::uint32_t from,
                std::uint16_t port) {
        if (datagram.starts_with("\xFF\xFF\xFF\xFFheartbeat ")) {
            const std::string challenge = "kst" + std::to_string(++challenges_);
            waiting_[port] = challenge;
            self.SendTo("\xFF\xFF\xFF\xFFgetinfo " + challenge, from, port);
        } else if (const auto info = ParseInfoResponse(datagram)) {
            const auto waiting = waiting_.find(port);
            if (waiting != waiting_.end() && info->challenge == waiting->second && info->protocol) {
                known_.insert(port);
            }
        } else if (datagram.starts_with("\xFF\xFF\xFF\xFFgetservers ")) {
            std::vector<std::uint16_t> ports(known_.begin(), known_.end());
            Master(ports)(self, datagram, from, port);
        }
    }

    LoopbackPeer peer_;
    int challenges_ = 0;
    std::map<std::uint16_t, std::string> waiting_;
    std::set<std::uint16_t> known_;
};

// A UDP port of 127.0.0.1 that was free a moment ago, for a server to bind.
inline std::uint16_t FreeUdpPort() {
    int error = 0;
    UdpSocket socket = UdpSocket::Make(error);
    socket.Bind(IpAddress::V4(LoopbackAddress()), 0);
    return socket.LocalPort();
}

}  // namespace kestrune::test_support
