#pragma once

// A world of game servers and a master on loopback for the server list's tests: each responder
// answers "getinfo" with its info (echoing the nonce) and "getstatus" with its players; the
// master answers "getservers" with the list it is given. They read their sockets when the
// event loop runs (Qt) or, on Windows, when Serve() is called.

#ifndef _WIN32
#include <QSocketNotifier>
#endif

#include <cstdint>
#include <cstring>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/udp_socket.h"

namespace kestrune::test_support {

inline std::uint32_t LoopbackAddress() {
    const unsigned char bytes[4] = {127, 0, 0, 1};
    std::uint32_t address = 0;
    std::memcpy(&address, bytes, 4);
    return address;
}

// One socket bound to a free port on 127.0.0.1, with a handler for each datagram.
class LoopbackPeer {
public:
    using Handler = std::function<void(LoopbackPeer& self, std::string_view datagram,
                                       std::uint32_t fromAddress, std::uint16_t fromPort)>;

    explicit LoopbackPeer(Handler handler) : handler_(std::move(handler)) {
        int error = 0;
        socket_ = UdpSocket::Make(error);
        socket_.Bind(IpAddress::V4(LoopbackAddress()), 0);
#ifndef _WIN32
        notifier_ = std::make_unique<QSocketNotifier>(socket_.Descriptor(), QSocketNotifier::Read);
        QObject::connect(notifier_.get(), &QSocketNotifier::activated, [this] { Serve(); });
#endif
    }

    std::uint16_t Port() const { return socket_.LocalPort(); }

    void Serve() {
        std::vector<char> buffer(kLargestUdpPayload);
        for (int i = 0; i < 1000; ++i) {
            const UdpReceiveResult got = socket_.ReceiveFrom(buffer);
            if (got.count < 0 && !got.portUnreachable) {
                return;
            }
            if (got.count >= 0) {
                ++received_;
                handler_(*this, std::string_view(buffer.data(), static_cast<std::size_t>(got.count)),
                         got.fromAddress.V4NetworkOrder(), got.fromPort);
            }
        }
    }

    void SendTo(std::string_view datagram, std::uint32_t address, std::uint16_t port) {
        socket_.SendTo(std::span<const char>(datagram.data(), datagram.size()),
                       IpAddress::V4(address), port);
    }

    int Received() const { return received_; }

private:
    UdpSocket socket_;
#ifndef _WIN32
    std::unique_ptr<QSocketNotifier> notifier_;
#endif
    Handler handler_;
    int received_ = 0;
};

// A game server's answers: info with the nonce echoed, status with its players.
struct ResponderInfo {
    std::string hostName;
    std::string map;
    int humans = 0;
    int bots = 0;
    int slotCount = 16;
    std::string game;
    bool password = false;
};

inline LoopbackPeer::Handler Responder(ResponderInfo info) {
    return [info](LoopbackPeer& self, std::string_view datagram, std::uint32_t from,
                  std::uint16_t port) {
        const std::string_view getinfo = "\xFF\xFF\xFF\xFFgetinfo ";
        if (datagram.starts_with(getinfo)) {
            const std::string nonce(datagram.substr(getinfo.size()));
            std::string answer = "\xFF\xFF\xFF\xFFinfoResponse\n\\challenge\\" + nonce +
                                 "\\hostname\\" + info.hostName + "\\mapname\\" + info.map +
                                 "\\clients\\" + std::to_string(info.humans + info.bots) +
                                 "\\g_humanplayers\\" + std::to_string(info.humans) +
                                 "\\sv_maxclients\\" + std::to_string(info.slotCount) +
                                 "\\gametype\\0\\protocol\\68\\g_needpass\\" +
                                 (info.password ? "1" : "0");
            if (!info.game.empty()) {
                answer += "\\game\\" + info.game;
            }
            self.SendTo(answer, from, port);
        } else if (datagram == "\xFF\xFF\xFF\xFFgetstatus") {
            std::string answer = "\xFF\xFF\xFF\xFFstatusResponse\n\\sv_hostname\\" + info.hostName +
                                 "\n";
            for (int i = 0; i < info.humans; ++i) {
                answer += "3 40 \"Player" + std::to_string(i + 1) + "\"\n";
            }
            for (int i = 0; i < info.bots; ++i) {
                answer += "1 0 \"Bot" + std::to_string(i + 1) + "\"\n";
            }
            self.SendTo(answer, from, port);
        }
    };
}

// A master listing the given ports of 127.0.0.1, in one datagram ended by the end mark.
inline LoopbackPeer::Handler Master(std::vector<std::uint16_t> ports) {
    return [ports](LoopbackPeer& self, std::string_view datagram, std::uint32_t from,
                   std::uint16_t port) {
        if (!datagram.starts_with("\xFF\xFF\xFF\xFFgetservers ")) {
            return;
        }
        std::string answer = "\xFF\xFF\xFF\xFFgetserversResponse";
        for (std::uint16_t listed : ports) {
            answer += std::string("\\\x7F\x00\x00\x01", 5);
            answer += static_cast<char>(listed >> 8);
            answer += static_cast<char>(listed & 0xFF);
        }
        answer += std::string("\\EOT\0\0\0", 7);
        self.SendTo(answer, from, port);
    };
}

}  // namespace kestrune::test_support
