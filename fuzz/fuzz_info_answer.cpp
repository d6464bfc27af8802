// The info answer reader on any bytes: nothing is read past the datagram, texts hold no control
// characters and counts are never negative.

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "server_list/info_answer.h"
#include "server_list/server_rows.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view datagram(reinterpret_cast<const char*>(data), size);
    const auto info = kestrune::ParseInfoResponse(datagram);
    if (!info) {
        return 0;
    }
    for (const auto& text : {info->hostName, info->map, info->game}) {
        if (text.size() > size) {
            __builtin_trap();
        }
        for (char c : text) {
            if (static_cast<unsigned char>(c) < 0x20) {
                __builtin_trap();
            }
        }
    }
    for (const auto& count : {info->clients, info->humans, info->slotCount, info->gameType}) {
        if (count && *count < 0) {
            __builtin_trap();
        }
    }
    // The row made from it: texts cut to the column's room, players never negative.
    const auto row = kestrune::MakeServerRow(kestrune::ServerAddress::Ipv4(192, 0, 2, 1, 1),
                                             *info, 1);
    if (row.humans < 0 || (row.bots && *row.bots < 0) || row.name.size() > 4 * 64 + 3) {
        __builtin_trap();
    }
    return 0;
}
