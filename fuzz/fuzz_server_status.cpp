// The status answer reader and the details made from it, on any bytes up to the largest datagram
// (scripts/fuzz.sh gives it 64 kB): nothing is read past the datagram (AddressSanitizer sees the
// exact buffer), no item is invented, and the texts shown are well-formed UTF-8 without control
// characters.

#include <algorithm>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "launcher/display_text.h"
#include "launcher/server_details.h"
#include "launcher/server_status.h"

namespace {

bool IsShowable(std::string_view text) {
    for (std::size_t i = 0; i < text.size();) {
        const std::size_t length = kestrune::Utf8SequenceLength(text.substr(i));
        if (length == 0 ||
            (length == 1 && static_cast<unsigned char>(text[i]) < 0x20 && text[i] != '\n')) {
            return false;
        }
        i += length;
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view datagram(reinterpret_cast<const char*>(data), size);
    const auto status = kestrune::ParseStatusResponse(datagram);
    if (status) {
        const auto lines =
            static_cast<std::ptrdiff_t>(std::count(datagram.begin(), datagram.end(), '\n'));
        // Each player is a line of its own, after the command's and the settings' lines.
        if (status->players && static_cast<std::ptrdiff_t>(status->players->size()) > lines - 2) {
            __builtin_trap();
        }
        // A datagram cut short reads alike, without the players.
        auto cut = kestrune::ParseStatusResponse(datagram, true);
        if (!cut || cut->players) {
            __builtin_trap();
        }
        cut->players = status->players;
        if (cut != status) {
            __builtin_trap();
        }
        if (status->players) {
            for (const auto& player : *status->players) {
                if (player.name.size() > size || player.name.find('\0') != std::string::npos) {
                    __builtin_trap();
                }
            }
        }
        for (const auto& text : {status->hostName, status->map, status->mod}) {
            if (text && (text->size() > size || text->find('\0') != std::string::npos)) {
                __builtin_trap();
            }
        }
        if ((status->slotCount && *status->slotCount < 0) ||
            (status->gameType && *status->gameType < 0)) {
            __builtin_trap();
        }
    }
    const auto line = kestrune::MakeServerDetailsLine(status, std::chrono::microseconds(size));
    const std::string hint = kestrune::ServerDetailsHint(status);
    if (!IsShowable(line.Text()) || line.Text().find('\n') != std::string::npos ||
        !IsShowable(hint)) {
        __builtin_trap();
    }
    return 0;
}
