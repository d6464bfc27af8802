#pragma once

#include <cstdint>
#include <vector>

#include "platform/ip_address.h"

namespace kestrune {

// The number of every socket message: read readiness and the end of a lookup alike.
inline constexpr std::uint32_t kSocketMessageNumber = 1125;
// Read readiness, in the low 16 bits of the event word.
inline constexpr std::uint32_t kReadReadyEvent = 1;

// A socket message as the endpoint receives it: its number, the event word (read readiness in
// the low 16 bits, or a lookup's error number in the high 16 bits), and for a lookup its id and
// the addresses found, in the order to try them.
struct SocketMessage {
    std::uint32_t number = 0;
    std::uint32_t eventWord = 0;
    std::uint64_t lookupId = 0;
    std::vector<IpAddress> addresses;
};

}  // namespace kestrune
