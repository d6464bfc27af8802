#pragma once

#include <array>
#include <compare>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "platform/ip_address.h"

namespace kestrune {

// A game server's or master's address: IPv4 (its 4 bytes first) or IPv6, and a port.
struct ServerAddress {
    std::array<std::uint8_t, 16> bytes{};
    bool ipv6 = false;
    std::uint16_t port = 0;

    auto operator<=>(const ServerAddress&) const = default;
    bool operator==(const ServerAddress&) const = default;

    static ServerAddress Ipv4(std::uint8_t a, std::uint8_t b, std::uint8_t c, std::uint8_t d,
                              std::uint16_t port);

    // The address without its port, and back.
    IpAddress Ip() const;
    static ServerAddress FromIp(const IpAddress& ip, std::uint16_t port);

    // "1.2.3.4" or "2001:db8::1"
    std::string Host() const;
    // "1.2.3.4:27960" or "[2001:db8::1]:27960"
    std::string ToString() const;
};

struct ServerAddressHash {
    std::size_t operator()(const ServerAddress& address) const noexcept;
};

// What an address may be used for.
enum class AddressReach {
    Public,
    // Loopback, private or link-local: only a master at such an address may list it.
    Local,
    // No server can have it: 0.0.0.0/8, multicast, broadcast, the unspecified address, port 0.
    Unusable,
};

AddressReach ReachOf(const ServerAddress& address);

// A numeric host, "1.2.3.4" or an IPv6 text (brackets allowed, no scope), without a port; an
// IPv4-mapped IPv6 text is the IPv4 address.
std::optional<ServerAddress> ParseNumericHost(std::string_view host, std::uint16_t port = 0);

// "host:port", "[v6]:port" or a host alone (then defaultPort). The host is kept as text (it may
// be a name); nothing when the port is not a number from 1 to 65535 or the host is empty.
struct HostAndPort {
    std::string host;
    std::uint16_t port = 0;

    bool operator==(const HostAndPort&) const = default;
};
std::optional<HostAndPort> ParseHostAndPort(std::string_view text, std::uint16_t defaultPort);

}  // namespace kestrune
