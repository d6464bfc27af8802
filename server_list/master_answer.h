#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "server_list/server_address.h"

namespace kestrune {

// The question to a master for the servers of a protocol: "getservers 68 empty full", or with
// ipv6 the extended question that lists both families.
std::string MasterQuery(int protocol, bool ipv6 = false);

// One datagram of a master's list, read.
struct MasterAnswer {
    // The servers in the datagram's order, as listed (nothing dropped yet).
    std::vector<ServerAddress> servers;
    // The datagram ends the list ("\EOT\0\0\0").
    bool endOfList = false;

    bool operator==(const MasterAnswer&) const = default;
};

// Reads a "getserversResponse" or "getserversExtResponse" datagram: "\" + 4 address bytes + 2
// port bytes per IPv4 server, "/" + 16 + 2 per IPv6 server (the extended answer only), ports
// big-endian. Reading stops at "\EOT\0\0\0" (the list's end), "\EOF\0\0\0" (a piece's end) or a
// lone "\EOT" or "\EOF" ending the datagram (older masters' marks), at a byte that starts no entry, or at an entry the datagram cuts short. Nothing when the datagram is
// no such answer.
std::optional<MasterAnswer> ParseMasterAnswer(std::string_view datagram);

}  // namespace kestrune
