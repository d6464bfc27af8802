#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace kestrune {

enum class AddressFamily { IPv4, IPv6 };

// An IPv4 or IPv6 address as a value. An IPv4 address keeps its four bytes at the front; an IPv6
// one its sixteen and, for a link-local address, the interface it is scoped to (0 for none).
// An IPv4-mapped IPv6 address (::ffff:a.b.c.d) is never kept as such: it is the IPv4 address,
// so that a sender on a dual-stack socket equals the address a query went to.
struct IpAddress {
    AddressFamily family = AddressFamily::IPv4;
    std::array<std::uint8_t, 16> bytes{};
    std::uint32_t scopeId = 0;

    // From an IPv4 address in network byte order.
    static IpAddress V4(std::uint32_t networkOrder);
    // From sixteen bytes; an IPv4-mapped address becomes the IPv4 address.
    static IpAddress V6(const std::array<std::uint8_t, 16>& bytes, std::uint32_t scopeId = 0);

    bool IsV6() const { return family == AddressFamily::IPv6; }
    // The IPv4 address in network byte order (0 for an IPv6 address).
    std::uint32_t V4NetworkOrder() const;
    // The IPv4-mapped form of an IPv4 address, the bytes of an IPv6 one: what a dual-stack
    // socket sends to.
    std::array<std::uint8_t, 16> V6Bytes() const;
    // 0.0.0.0 or ::, where nothing can be sent.
    bool IsNull() const;

    bool operator==(const IpAddress&) const = default;
};

// The address as text: dotted decimal for IPv4; for IPv6 the canonical text (lower case, no
// leading zeros, the longest run of two or more zero groups as "::"), with "%" and the scope's
// number for a scoped address. No brackets.
std::string FormatIpAddress(const IpAddress& address);

// The address and port as an engine and a URL write them: "1.2.3.4:27960", "[::1]:27960".
std::string FormatIpEndpoint(const IpAddress& address, std::uint16_t port);

// Parses the numeric forms that FormatIpAddress writes and that players type: dotted IPv4
// (four decimal parts), and IPv6 in any of its valid spellings, an embedded IPv4 tail included,
// with an optional "%" and scope number. Names of interfaces after "%" are the system's affair
// (ParseNumericHost). Nothing for any other text.
std::optional<IpAddress> ParseIpAddress(std::string_view text);

}  // namespace kestrune
