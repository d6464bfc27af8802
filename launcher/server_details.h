#pragma once

#include <chrono>
#include <optional>
#include <string>

#include "launcher/server_status.h"

namespace kestrune {

// The line shown beside the probe's message, e.g. "oa_dm1 · 3/16 players · 12 ms": the map, the
// players (of how many slots), the round trip. Parts the answer did not hold are left out; the
// round trip is always there. UTF-8.
std::string ServerDetailsLine(const std::optional<ServerStatus>& status,
                              std::chrono::microseconds roundTrip);

// The rest, one item a line: host name, game type, mod, whether a password is needed. Empty when
// the answer held none of them. UTF-8, long values cut.
std::string ServerDetailsHint(const std::optional<ServerStatus>& status);

}  // namespace kestrune
