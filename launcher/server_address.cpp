#include "launcher/server_address.h"

#include <algorithm>

#include "platform/ip_address.h"

namespace kestrune {

namespace {

bool IsPort(std::string_view text) {
    if (text.empty() || text.size() > 5 ||
        !std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; })) {
        return false;
    }
    return std::stoi(std::string(text)) <= 65535;
}

}  // namespace

ServerField SplitServerField(std::string_view text) {
    if (text.starts_with('[')) {
        const std::size_t close = text.find(']');
        if (close == std::string_view::npos) {
            return {std::string(text), {}};
        }
        const std::string_view inside = text.substr(1, close - 1);
        const std::string_view after = text.substr(close + 1);
        if (after.empty()) {
            return {std::string(inside), {}};
        }
        if (after.front() == ':' && IsPort(after.substr(1))) {
            return {std::string(inside), std::string(after.substr(1))};
        }
        return {std::string(text), {}};
    }
    const std::size_t colon = text.find(':');
    // No colon, or more than one: a name, IPv4, or a bare IPv6 address, all host.
    if (colon == std::string_view::npos || text.find(':', colon + 1) != std::string_view::npos ||
        colon == 0 || !IsPort(text.substr(colon + 1))) {
        return {std::string(text), {}};
    }
    return {std::string(text.substr(0, colon)), std::string(text.substr(colon + 1))};
}

bool IsIpv6Host(std::string_view host) {
    // The scope may name an interface, which only the system can read.
    const std::string_view address = host.substr(0, host.find('%'));
    return address.find(':') != std::string_view::npos && ParseIpAddress(address).has_value();
}

std::string HostBeforePort(std::string_view host) {
    if (!IsIpv6Host(host)) {
        return std::string(host);
    }
    // Built in steps: GCC 12's optimiser reads "[" + std::string(...) as an overlapping copy.
    std::string bracketed;
    bracketed.reserve(host.size() + 2);
    bracketed += '[';
    bracketed += host;
    bracketed += ']';
    return bracketed;
}

}  // namespace kestrune
