#include "server_list/server_address.h"

#include "platform/ascii_text.h"

namespace kestrune {

namespace {

AddressReach ReachOfIpv4(const std::array<std::uint8_t, 16>& b) {
    if (b[0] == 0 || b[0] >= 224) {
        return AddressReach::Unusable;  // this network, multicast, reserved, broadcast
    }
    const bool local = b[0] == 127 || b[0] == 10 || (b[0] == 172 && (b[1] & 0xF0) == 16) ||
                       (b[0] == 192 && b[1] == 168) || (b[0] == 169 && b[1] == 254);
    return local ? AddressReach::Local : AddressReach::Public;
}

}  // namespace

ServerAddress ServerAddress::Ipv4(std::uint8_t a, std::uint8_t b, std::uint8_t c, std::uint8_t d,
                                  std::uint16_t port) {
    ServerAddress address;
    address.bytes[0] = a;
    address.bytes[1] = b;
    address.bytes[2] = c;
    address.bytes[3] = d;
    address.port = port;
    return address;
}

IpAddress ServerAddress::Ip() const {
    IpAddress address;
    address.family = ipv6 ? AddressFamily::IPv6 : AddressFamily::IPv4;
    address.bytes = bytes;
    return address;
}

ServerAddress ServerAddress::FromIp(const IpAddress& ip, std::uint16_t port) {
    ServerAddress address;
    address.bytes = ip.bytes;
    address.ipv6 = ip.IsV6();
    address.port = port;
    return address;
}

std::string ServerAddress::Host() const {
    return FormatIpAddress(Ip());
}

std::string ServerAddress::ToString() const {
    return FormatIpEndpoint(Ip(), port);
}

std::size_t ServerAddressHash::operator()(const ServerAddress& address) const noexcept {
    // FNV-1a over the bytes, the family and the port.
    std::uint64_t hash = 14695981039346656037ull;
    const auto mix = [&](std::uint8_t byte) { hash = (hash ^ byte) * 1099511628211ull; };
    for (std::uint8_t byte : address.bytes) {
        mix(byte);
    }
    mix(address.ipv6 ? 1 : 0);
    mix(static_cast<std::uint8_t>(address.port >> 8));
    mix(static_cast<std::uint8_t>(address.port & 0xFF));
    return static_cast<std::size_t>(hash);
}

AddressReach ReachOf(const ServerAddress& address) {
    if (address.port == 0) {
        return AddressReach::Unusable;
    }
    const auto& b = address.bytes;
    if (!address.ipv6) {
        return ReachOfIpv4(b);
    }
    bool zeroPrefix = true;  // the first 10 bytes
    for (int i = 0; i < 10; ++i) {
        zeroPrefix = zeroPrefix && b[i] == 0;
    }
    if (zeroPrefix && b[10] == 0xFF && b[11] == 0xFF) {
        // An IPv4 address written as IPv6 is judged as that address.
        return ReachOfIpv4({b[12], b[13], b[14], b[15]});
    }
    bool zeroBeforeLast = zeroPrefix && b[10] == 0 && b[11] == 0 && b[12] == 0 && b[13] == 0 &&
                          b[14] == 0;
    if (b[0] == 0xFF || (zeroBeforeLast && b[15] == 0)) {
        return AddressReach::Unusable;  // multicast, unspecified
    }
    const bool loopback = zeroBeforeLast && b[15] == 1;
    const bool linkLocal = b[0] == 0xFE && (b[1] & 0xC0) == 0x80;
    const bool uniqueLocal = (b[0] & 0xFE) == 0xFC;
    return (loopback || linkLocal || uniqueLocal) ? AddressReach::Local : AddressReach::Public;
}

std::optional<ServerAddress> ParseNumericHost(std::string_view host, std::uint16_t port) {
    if (host.size() >= 2 && host.front() == '[' && host.back() == ']') {
        host = host.substr(1, host.size() - 2);
    }
    // A scoped address names an interface of this machine, which a listed server cannot be.
    if (host.find('%') != std::string_view::npos) {
        return std::nullopt;
    }
    const std::optional<IpAddress> ip = ParseIpAddress(host);
    if (!ip) {
        return std::nullopt;
    }
    return ServerAddress::FromIp(*ip, port);
}

std::optional<HostAndPort> ParseHostAndPort(std::string_view text, std::uint16_t defaultPort) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) {
        text.remove_prefix(1);
    }
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) {
        text.remove_suffix(1);
    }
    std::string_view host = text;
    std::optional<std::string_view> portText;
    if (text.starts_with("[")) {
        const std::size_t close = text.find(']');
        if (close == std::string_view::npos) {
            return std::nullopt;
        }
        host = text.substr(1, close - 1);
        const std::string_view rest = text.substr(close + 1);
        if (!rest.empty()) {
            if (!rest.starts_with(":")) {
                return std::nullopt;
            }
            portText = rest.substr(1);
        }
    } else if (const std::size_t colon = text.rfind(':'); colon != std::string_view::npos &&
                                                         text.find(':') == colon) {
        host = text.substr(0, colon);
        portText = text.substr(colon + 1);
    }
    std::uint16_t port = defaultPort;
    if (portText) {
        const auto value = ParseDecimalCount(*portText, 5);
        if (!value || *value == 0 || *value > 65535) {
            return std::nullopt;
        }
        port = static_cast<std::uint16_t>(*value);
    }
    if (host.empty() || port == 0) {
        return std::nullopt;
    }
    return HostAndPort{std::string(host), port};
}

}  // namespace kestrune
