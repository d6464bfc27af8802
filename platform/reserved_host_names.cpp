#include "platform/reserved_host_names.h"

#include "platform/host_lookup.h"

#include <array>
#include <cctype>
#include <cstddef>

namespace kestrune {

namespace {

bool EndsWithLabel(std::string_view name, std::string_view label) {
    if (name.ends_with('.')) {
        name.remove_suffix(1);
    }
    if (name.size() < label.size()) {
        return false;
    }
    const std::string_view tail = name.substr(name.size() - label.size());
    for (std::size_t i = 0; i < label.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(tail[i])) != label[i]) {
            return false;
        }
    }
    return name.size() == label.size() || name[name.size() - label.size() - 1] == '.';
}

}  // namespace

ReservedHostName ClassifyReservedHostName(std::string_view name) {
    if (EndsWithLabel(name, "invalid")) {
        return ReservedHostName::Invalid;
    }
    if (EndsWithLabel(name, "localhost")) {
        return ReservedHostName::Loopback;
    }
    return ReservedHostName::None;
}

std::optional<HostLookupResult> ReservedHostLookup(const std::string& name, int noSuchName) {
    const char* const zeroTerminated = name.c_str();
    if (*zeroTerminated == '\0') {
        return HostLookupResult{noSuchName, {}};
    }
    switch (ClassifyReservedHostName(zeroTerminated)) {
        case ReservedHostName::Invalid:
            return HostLookupResult{noSuchName, {}};
        case ReservedHostName::Loopback: {
            std::array<std::uint8_t, 16> loopback6{};
            loopback6[15] = 1;
            IpAddress loopback4;
            loopback4.bytes = {127, 0, 0, 1};
            return HostLookupResult{0, {loopback4, IpAddress::V6(loopback6)}};
        }
        case ReservedHostName::None:
            break;
    }
    return std::nullopt;
}

}  // namespace kestrune
