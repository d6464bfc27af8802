#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "launcher/server_status.h"

namespace kestrune {

// The line shown beside the probe's message, e.g. "oa_dm1 · 3/16 players (1 bot) · 12 ms": the
// map, the players (of how many slots, and how many of them are bots), the round trip. Parts the
// answer did not hold are left out; the round trip is always there. UTF-8. Split after the map,
// so that a window short of room can cut the map alone and keep the figures.
struct ServerDetailsLine {
    std::string map;      // empty when not known
    std::string figures;  // players and round trip

    static constexpr const char* kSeparator = " \u00B7 ";
    std::string Text() const { return map.empty() ? figures : map + kSeparator + figures; }
};
ServerDetailsLine MakeServerDetailsLine(const std::optional<ServerStatus>& status,
                                        std::chrono::microseconds roundTrip);
// The line after a time-out when the query met a closed port: "No game server on port 27960".
ServerDetailsLine NoGameServerLine(std::uint16_t port);

// Players listed in the hint at most; "and N more" stands for the rest.
inline constexpr std::size_t kMostPlayerLines = 16;

// The rest, one item a line: host name, game type, mod, whether a password is needed; then the
// players, highest score first, as "name · score · ping" ("bot" for a ping of 0). After the host
// name, "Address: " and answeredFrom, the address that answered ("[::1]:27960"), when given.
// Empty when there is none of these. UTF-8, long values cut.
std::string ServerDetailsHint(const std::optional<ServerStatus>& status,
                              std::string_view answeredFrom = {});

}  // namespace kestrune
