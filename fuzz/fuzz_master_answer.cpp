// The master's list reader on any bytes: nothing is read past the datagram, every entry read
// takes its full room in it, and the end mark is told only where the datagram holds one.

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "server_list/master_answer.h"
#include "server_list/server_intake.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view datagram(reinterpret_cast<const char*>(data), size);
    const auto answer = kestrune::ParseMasterAnswer(datagram);
    if (!answer) {
        return 0;
    }
    // Each IPv4 entry is 7 bytes, each IPv6 one 19, after at least the 22-byte head.
    std::size_t room = 4 + 18;
    for (const auto& server : answer->servers) {
        room += server.ipv6 ? 19 : 7;
    }
    if (room > size || (answer->endOfList && datagram.find("\\EOT") == std::string_view::npos)) {
        __builtin_trap();
    }
    // Whatever the list, the intake takes each server once and none that no server can have.
    kestrune::ServerIntake intake;
    const auto master = kestrune::ServerAddress::Ipv4(198, 51, 100, 1, 27950);
    for (const auto& server : intake.Take(answer->servers, master)) {
        if (kestrune::ReachOf(server) != kestrune::AddressReach::Public) {
            __builtin_trap();
        }
    }
    if (!intake.Take(answer->servers, master).empty()) {
        __builtin_trap();
    }
    return 0;
}
