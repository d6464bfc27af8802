#include "platform/ip_address.h"

#include <algorithm>
#include <cstring>

#include "platform/ascii_text.h"

namespace kestrune {

namespace {

constexpr std::array<std::uint8_t, 12> kMappedPrefix = {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0xFF, 0xFF};

void AppendDecimal(unsigned value, std::string& text) {
    if (value >= 100) {
        text += static_cast<char>('0' + value / 100);
    }
    if (value >= 10) {
        text += static_cast<char>('0' + value / 10 % 10);
    }
    text += static_cast<char>('0' + value % 10);
}

// Four decimal parts of 0 to 255, no part longer than three digits.
std::optional<std::array<std::uint8_t, 4>> ParseDotted(std::string_view text) {
    std::array<std::uint8_t, 4> bytes{};
    std::size_t part = 0;
    std::size_t position = 0;
    for (;;) {
        unsigned value = 0;
        std::size_t digits = 0;
        while (position < text.size() && text[position] >= '0' && text[position] <= '9') {
            value = value * 10 + static_cast<unsigned>(text[position] - '0');
            ++position;
            if (++digits > 3) {
                return std::nullopt;
            }
        }
        if (digits == 0 || value > 255) {
            return std::nullopt;
        }
        bytes[part++] = static_cast<std::uint8_t>(value);
        if (part == 4) {
            break;
        }
        if (position >= text.size() || text[position] != '.') {
            return std::nullopt;
        }
        ++position;
    }
    if (position != text.size()) {
        return std::nullopt;
    }
    return bytes;
}

// Up to eight groups of one to four hex digits, one "::" at most, an IPv4 tail allowed.
std::optional<std::array<std::uint8_t, 16>> ParseV6(std::string_view text) {
    std::array<std::uint8_t, 16> bytes{};
    std::size_t filled = 0;          // bytes written so far
    std::optional<std::size_t> gap;  // where "::" stands
    std::size_t position = 0;
    if (text.starts_with("::")) {
        gap = 0;
        position = 2;
    } else if (text.starts_with(':')) {
        return std::nullopt;
    }
    while (position < text.size()) {
        const std::string_view rest = text.substr(position);
        const std::size_t end = std::min(rest.find(':'), rest.size());
        const std::string_view group = rest.substr(0, end);
        if (group.find('.') != std::string_view::npos) {
            // The IPv4 tail ends the text and takes the last four bytes.
            const auto tail = ParseDotted(group);
            if (!tail || end != rest.size() || filled + 4 > 16) {
                return std::nullopt;
            }
            std::copy(tail->begin(), tail->end(), bytes.begin() + static_cast<long>(filled));
            filled += 4;
            position = text.size();
            break;
        }
        if (group.empty() || group.size() > 4 || filled + 2 > 16) {
            return std::nullopt;
        }
        unsigned value = 0;
        for (const char c : group) {
            const int digit = HexDigitValue(c);
            if (digit < 0) {
                return std::nullopt;
            }
            value = value * 16 + static_cast<unsigned>(digit);
        }
        bytes[filled++] = static_cast<std::uint8_t>(value >> 8);
        bytes[filled++] = static_cast<std::uint8_t>(value & 0xFF);
        position += end;
        if (position == text.size()) {
            break;
        }
        // A ":" follows; a second one right after it is the gap.
        ++position;
        if (position < text.size() && text[position] == ':') {
            if (gap) {
                return std::nullopt;
            }
            gap = filled;
            ++position;
        } else if (position == text.size()) {
            return std::nullopt;  // a lone ":" at the end
        }
    }
    if (gap) {
        if (filled == 16) {
            return std::nullopt;  // "::" must stand for at least one group
        }
        const std::size_t moved = filled - *gap;
        std::copy_backward(bytes.begin() + static_cast<long>(*gap),
                           bytes.begin() + static_cast<long>(filled), bytes.end());
        std::fill_n(bytes.begin() + static_cast<long>(*gap), 16 - moved - *gap, 0);
    } else if (filled != 16) {
        return std::nullopt;
    }
    return bytes;
}

}  // namespace

IpAddress IpAddress::V4(std::uint32_t networkOrder) {
    IpAddress address;
    std::memcpy(address.bytes.data(), &networkOrder, 4);
    return address;
}

IpAddress IpAddress::V6(const std::array<std::uint8_t, 16>& bytes, std::uint32_t scopeId) {
    IpAddress address;
    if (std::equal(kMappedPrefix.begin(), kMappedPrefix.end(), bytes.begin())) {
        std::copy_n(bytes.begin() + 12, 4, address.bytes.begin());
        return address;
    }
    address.family = AddressFamily::IPv6;
    address.bytes = bytes;
    address.scopeId = scopeId;
    return address;
}

std::uint32_t IpAddress::V4NetworkOrder() const {
    if (IsV6()) {
        return 0;
    }
    std::uint32_t networkOrder = 0;
    std::memcpy(&networkOrder, bytes.data(), 4);
    return networkOrder;
}

std::array<std::uint8_t, 16> IpAddress::V6Bytes() const {
    if (IsV6()) {
        return bytes;
    }
    std::array<std::uint8_t, 16> mapped{};
    std::copy(kMappedPrefix.begin(), kMappedPrefix.end(), mapped.begin());
    std::copy_n(bytes.begin(), 4, mapped.begin() + 12);
    return mapped;
}

bool IpAddress::IsNull() const {
    const std::size_t size = IsV6() ? 16 : 4;
    return std::all_of(bytes.begin(), bytes.begin() + static_cast<long>(size),
                       [](std::uint8_t byte) { return byte == 0; });
}

std::string FormatIpAddress(const IpAddress& address) {
    std::string text;
    if (!address.IsV6()) {
        for (std::size_t part = 0; part < 4; ++part) {
            if (part > 0) {
                text += '.';
            }
            AppendDecimal(address.bytes[part], text);
        }
        return text;
    }
    std::array<unsigned, 8> groups{};
    for (std::size_t i = 0; i < 8; ++i) {
        groups[i] = static_cast<unsigned>(address.bytes[2 * i]) << 8 | address.bytes[2 * i + 1];
    }
    // The longest run of zero groups, the first of equal ones, if it is two groups or more.
    std::size_t bestStart = 8;
    std::size_t bestLength = 1;
    for (std::size_t start = 0; start < 8;) {
        std::size_t length = 0;
        while (start + length < 8 && groups[start + length] == 0) {
            ++length;
        }
        if (length > bestLength) {
            bestStart = start;
            bestLength = length;
        }
        start += length > 0 ? length : 1;
    }
    static constexpr char kHex[] = "0123456789abcdef";
    for (std::size_t i = 0; i < 8; ++i) {
        if (i == bestStart) {
            text += "::";
            i += bestLength - 1;
            continue;
        }
        if (i > 0 && i != bestStart + bestLength) {
            text += ':';
        }
        bool started = false;
        for (int shift = 12; shift >= 0; shift -= 4) {
            const unsigned digit = groups[i] >> shift & 0xF;
            if (digit != 0 || started || shift == 0) {
                text += kHex[digit];
                started = true;
            }
        }
    }
    if (address.scopeId != 0) {
        text += '%';
        text += std::to_string(address.scopeId);
    }
    return text;
}

std::string FormatIpEndpoint(const IpAddress& address, std::uint16_t port) {
    const std::string host = FormatIpAddress(address);
    return (address.IsV6() ? "[" + host + "]" : host) + ":" + std::to_string(port);
}

std::optional<IpAddress> ParseIpAddress(std::string_view text) {
    if (text.find(':') == std::string_view::npos) {
        const auto dotted = ParseDotted(text);
        if (!dotted) {
            return std::nullopt;
        }
        IpAddress address;
        std::copy(dotted->begin(), dotted->end(), address.bytes.begin());
        return address;
    }
    std::uint32_t scopeId = 0;
    if (const std::size_t percent = text.find('%'); percent != std::string_view::npos) {
        const std::string_view scope = text.substr(percent + 1);
        if (scope.empty() || scope.size() > 9 ||
            !std::all_of(scope.begin(), scope.end(), [](char c) { return c >= '0' && c <= '9'; })) {
            return std::nullopt;
        }
        for (const char c : scope) {
            scopeId = scopeId * 10 + static_cast<std::uint32_t>(c - '0');
        }
        text = text.substr(0, percent);
    }
    const auto bytes = ParseV6(text);
    if (!bytes) {
        return std::nullopt;
    }
    return IpAddress::V6(*bytes, scopeId);
}

}  // namespace kestrune
