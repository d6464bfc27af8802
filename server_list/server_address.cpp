#include "server_list/server_address.h"

#include <charconv>
#include <functional>

namespace kestrune {

namespace {

constexpr char kHexDigits[] = "0123456789abcdef";

std::uint16_t Group(const ServerAddress& address, int index) {
    return static_cast<std::uint16_t>(address.bytes[2 * index] << 8 | address.bytes[2 * index + 1]);
}

std::optional<std::uint32_t> ParseNumber(std::string_view text, int base, std::uint32_t most) {
    std::uint32_t value = 0;
    if (text.empty() || text.size() > 5) {
        return std::nullopt;
    }
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, base);
    if (error != std::errc() || end != text.data() + text.size() || value > most) {
        return std::nullopt;
    }
    return value;
}

std::optional<std::array<std::uint8_t, 4>> ParseIpv4(std::string_view text) {
    std::array<std::uint8_t, 4> bytes{};
    for (std::size_t i = 0; i < 4; ++i) {
        const std::size_t dot = i < 3 ? text.find('.') : text.size();
        if (dot == std::string_view::npos || dot > 3) {
            return std::nullopt;
        }
        const auto value = ParseNumber(text.substr(0, dot), 10, 255);
        if (!value) {
            return std::nullopt;
        }
        bytes[i] = static_cast<std::uint8_t>(*value);
        text.remove_prefix(dot == text.size() ? dot : dot + 1);
    }
    return bytes;
}

// Up to 8 groups of hex digits with at most one "::"; an IPv4 tail is not taken.
std::optional<std::array<std::uint8_t, 16>> ParseIpv6(std::string_view text) {
    std::array<std::uint16_t, 8> head{}, tail{};
    std::size_t headCount = 0, tailCount = 0;
    bool gap = false;
    if (text.starts_with("::")) {
        gap = true;
        text.remove_prefix(2);
    }
    while (!text.empty()) {
        const std::size_t colon = text.find(':');
        const auto value = ParseNumber(text.substr(0, colon), 16, 0xFFFF);
        if (!value || headCount + tailCount == 8) {
            return std::nullopt;
        }
        (gap ? tail[tailCount++] : head[headCount++]) = static_cast<std::uint16_t>(*value);
        if (colon == std::string_view::npos) {
            break;
        }
        text.remove_prefix(colon + 1);
        if (text.starts_with(":")) {
            if (gap) {
                return std::nullopt;
            }
            gap = true;
            text.remove_prefix(1);
        } else if (text.empty()) {
            return std::nullopt;
        }
    }
    if ((gap && headCount + tailCount > 7) || (!gap && headCount != 8)) {
        return std::nullopt;
    }
    std::array<std::uint16_t, 8> groups{};
    for (std::size_t i = 0; i < headCount; ++i) {
        groups[i] = head[i];
    }
    for (std::size_t i = 0; i < tailCount; ++i) {
        groups[8 - tailCount + i] = tail[i];
    }
    std::array<std::uint8_t, 16> bytes{};
    for (std::size_t i = 0; i < 8; ++i) {
        bytes[2 * i] = static_cast<std::uint8_t>(groups[i] >> 8);
        bytes[2 * i + 1] = static_cast<std::uint8_t>(groups[i] & 0xFF);
    }
    return bytes;
}

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

std::string ServerAddress::Host() const {
    std::string text;
    if (!ipv6) {
        for (int i = 0; i < 4; ++i) {
            text += std::to_string(bytes[i]);
            text += i < 3 ? "." : "";
        }
        return text;
    }
    // The longest run of two or more zero groups becomes "::", the first of equal runs.
    int bestStart = -1, bestLength = 1;
    for (int i = 0; i < 8;) {
        int j = i;
        while (j < 8 && Group(*this, j) == 0) {
            ++j;
        }
        if (j - i > bestLength) {
            bestStart = i;
            bestLength = j - i;
        }
        i = j > i ? j : i + 1;
    }
    for (int i = 0; i < 8; ++i) {
        if (i == bestStart) {
            text += "::";
            i += bestLength - 1;
            continue;
        }
        if (!text.empty() && text.back() != ':') {
            text += ':';
        }
        const std::uint16_t group = Group(*this, i);
        bool started = false;
        for (int shift = 12; shift >= 0; shift -= 4) {
            const int digit = (group >> shift) & 0xF;
            if (digit != 0 || started || shift == 0) {
                text += kHexDigits[digit];
                started = true;
            }
        }
    }
    return text;
}

std::string ServerAddress::ToString() const {
    const std::string host = Host();
    return (ipv6 ? "[" + host + "]" : host) + ":" + std::to_string(port);
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
    ServerAddress address;
    address.port = port;
    if (host.find(':') == std::string_view::npos) {
        const auto bytes = ParseIpv4(host);
        if (!bytes) {
            return std::nullopt;
        }
        std::copy(bytes->begin(), bytes->end(), address.bytes.begin());
        return address;
    }
    const auto bytes = ParseIpv6(host);
    if (!bytes) {
        return std::nullopt;
    }
    address.bytes = *bytes;
    address.ipv6 = true;
    return address;
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
        const auto value = ParseNumber(*portText, 10, 65535);
        if (!value || *value == 0) {
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
