// The endpoint's receive path: the input (up to 64 kB, scripts/fuzz.sh), cut into datagrams of
// up to the largest UDP payload, is sent over loopback to a bound endpoint and taken in by its
// receive step. Each datagram is reported once and whole, with its length, the sender's address
// and port, and ReadBuffer gives its bytes back (what fits, to a smaller buffer). Stray socket
// messages made from the input must change nothing.

#include <fuzzer/FuzzedDataProvider.h>
#include <unistd.h>

#include <QCoreApplication>

#include <algorithm>
#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "net/udp_endpoint.h"
#include "platform/host_lookup.h"
#include "platform/udp_socket.h"

namespace {

using kestrune::TUDPEndpoint;

const kestrune::IpAddress kLoopback = kestrune::IpAddress::V4(0x0100007Fu);  // 127.0.0.1

struct Received {
    int count = 0;
    std::int32_t numberBytes = -1;
    std::string fromIP;
    std::int32_t port = -1;
};

struct Rig {
    std::unique_ptr<QCoreApplication> application;
    std::unique_ptr<TUDPEndpoint> endpoint;
    kestrune::UdpSocket sender;
    Received received;
};

Rig& TheRig() {
    static Rig* rig = [] {
        static int argc = 1;
        static char name[] = "fuzz_datagram";
        static char* argv[] = {name, nullptr};
        auto* made = new Rig;
        made->application = std::make_unique<QCoreApplication>(argc, argv);
        made->endpoint = std::make_unique<TUDPEndpoint>();
        made->endpoint->SetLocalPort(0);
        made->endpoint->SetOnDataReceived([made](TUDPEndpoint&, std::int32_t numberBytes,
                                                 const std::string& fromIP, std::int32_t port) {
            ++made->received.count;
            made->received.numberBytes = numberBytes;
            made->received.fromIP = fromIP;
            made->received.port = port;
        });
        int error = 0;
        made->sender = kestrune::UdpSocket::Make(error);
        if (!made->sender.IsValid() || made->sender.Bind(kLoopback, 0) != 0 ||
            made->endpoint->BoundPort() == 0) {
            __builtin_trap();
        }
        return made;
    }();
    return *rig;
}

// Runs the receive step until the datagram sent last has been reported (bounded: loopback
// delivers at once, so one round is the rule).
void TakeIn(Rig& rig, int expectedCount) {
    for (int round = 0; round < 1000 && rig.received.count < expectedCount; ++round) {
        rig.endpoint->ReceiveDatagram();
        if (rig.received.count < expectedCount) {
            ::usleep(100);
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    Rig& rig = TheRig();
    TUDPEndpoint& endpoint = *rig.endpoint;
    FuzzedDataProvider provider(data, size);

    while (provider.remaining_bytes() > 0) {
        if (provider.ConsumeBool()) {
            // A stray message: not ours, a read-ready with nothing waiting, or the end of a
            // lookup that nobody waits for. None may report anything.
            const int before = rig.received.count;
            endpoint.HandleSocketMessage(
                provider.ConsumeIntegral<std::uint32_t>(),
                provider.ConsumeIntegral<std::uint32_t>(),
                provider.ConsumeIntegral<std::uint64_t>(),
                {kestrune::IpAddress::V4(provider.ConsumeIntegral<std::uint32_t>())});
            if (rig.received.count != before) {
                __builtin_trap();
            }
            continue;
        }

        const std::string datagram =
            provider.ConsumeRandomLengthString(TUDPEndpoint::kReceiveBufferSize);
        const int expectedCount = rig.received.count + 1;
        if (rig.sender.SendTo(datagram, kLoopback, endpoint.BoundPort()) != 0) {
            __builtin_trap();
        }
        TakeIn(rig, expectedCount);
        const Received& got = rig.received;
        const std::size_t kept = datagram.size();
        if (got.count != expectedCount || got.numberBytes < 0 ||
            static_cast<std::size_t>(got.numberBytes) != kept || endpoint.LastDatagramCut() ||
            got.fromIP != "127.0.0.1" || got.port != rig.sender.LocalPort()) {
            __builtin_trap();
        }

        std::vector<char> buffer(TUDPEndpoint::kReceiveBufferSize);
        std::int32_t length = -1;
        endpoint.ReadBuffer(buffer, length);
        if (length != got.numberBytes || std::string(buffer.data(), kept) != datagram) {
            __builtin_trap();
        }
        // A smaller buffer gets what fits, and still the whole length.
        std::array<char, 16> small{};
        endpoint.ReadBuffer(small, length);
        const std::size_t fits = std::min(kept, small.size());
        if (length != got.numberBytes ||
            std::string(small.data(), fits) != datagram.substr(0, fits)) {
            __builtin_trap();
        }
    }
    return 0;
}
