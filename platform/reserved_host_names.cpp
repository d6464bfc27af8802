#include "platform/reserved_host_names.h"

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

}  // namespace kestrune
