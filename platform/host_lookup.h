#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/ip_address.h"

namespace kestrune {

// The outcome of a name lookup. error is 0 on success, and then addresses holds the host's
// addresses of both families, in the order the system prefers them (the first is the one to
// try first), never empty.
struct HostLookupResult {
    int error = 0;
    std::vector<IpAddress> addresses;
};

// The value of ParseDottedAddress for a text that is not a dotted address (all ones).
inline constexpr std::uint32_t kNoDottedAddress = 0xFFFFFFFFu;

// Parses a dotted IPv4 address the way the classic socket API does (inet_addr): the address in
// network byte order, or kNoDottedAddress. The text ends at its first zero byte.
std::uint32_t ParseDottedAddress(const std::string& text);

// Looks up the addresses of a host name (getaddrinfo, both families). Blocks, so it belongs on
// a worker thread. A scoped IPv6 address naming its interface ("fe80::1%eth0") is read here too,
// without asking a name server. An empty name and names under "invalid" fail, and "localhost"
// gives 127.0.0.1 and ::1, without asking the resolver: every server listens on IPv4, so that
// one comes first. On failure error is the resolver's error (or errno for a system failure) as a
// positive number.
HostLookupResult LookUpHost(const std::string& name);

// The answer for a name that never reaches a name server (reserved_host_names.h): noSuchName for
// an empty or invalid name, both loopback addresses for the loopback host; nothing for the rest.
// A zero byte ends the name, as it would for any C caller.
std::optional<HostLookupResult> ReservedHostLookup(const std::string& name, int noSuchName);

}  // namespace kestrune
