#pragma once

#include <cstdint>
#include <string>

namespace kestrune {

// The outcome of a name lookup. error is 0 on success, and then address holds the first IPv4
// address of the host, in network byte order.
struct HostLookupResult {
    int error = 0;
    std::uint32_t address = 0;
};

// The value of ParseDottedAddress for a text that is not a dotted address (all ones).
inline constexpr std::uint32_t kNoDottedAddress = 0xFFFFFFFFu;

// Parses a dotted IPv4 address the way the classic socket API does (inet_addr): the address in
// network byte order, or kNoDottedAddress. The text ends at its first zero byte.
std::uint32_t ParseDottedAddress(const std::string& text);

// Looks up the IPv4 address of a host name (getaddrinfo, AF_INET). Blocks, so it belongs on a
// worker thread. An empty name and names under "invalid" fail, and "localhost" gives
// 127.0.0.1, without asking the resolver. On failure error is the
// resolver's error (or errno for a system failure) as a positive number.
HostLookupResult LookUpHost(const std::string& name);

}  // namespace kestrune
