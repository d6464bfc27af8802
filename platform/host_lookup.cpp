#include "platform/host_lookup.h"

#include <arpa/inet.h>
#include <netdb.h>
#include <netinet/in.h>
#include <sys/socket.h>

#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <memory>
#include <string_view>

namespace kestrune {

namespace {

constexpr int kNoSuchName = EAI_NONAME < 0 ? -EAI_NONAME : EAI_NONAME;

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

std::uint32_t ParseDottedAddress(const std::string& text) {
    return ::inet_addr(text.c_str());
}

HostLookupResult LookUpHost(const std::string& name) {
    // A zero byte ends the name, as it would for any C caller.
    const char* const zeroTerminated = name.c_str();
    if (*zeroTerminated == '\0') {
        return {kNoSuchName, 0};
    }
    // Special-use names are answered here and never sent to a name server: "localhost" is the
    // loopback host, and no name under "invalid" exists.
    const std::string_view asked(zeroTerminated);
    if (EndsWithLabel(asked, "invalid")) {
        return {kNoSuchName, 0};
    }
    if (EndsWithLabel(asked, "localhost")) {
        return {0, htonl(INADDR_LOOPBACK)};
    }
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_DGRAM;
    addrinfo* found = nullptr;
    const int status = ::getaddrinfo(zeroTerminated, nullptr, &hints, &found);
    if (status != 0) {
        const int error = status == EAI_SYSTEM ? errno : std::abs(status);
        return {error != 0 ? error : EIO, 0};
    }
    const std::unique_ptr<addrinfo, decltype(&::freeaddrinfo)> owner(found, &::freeaddrinfo);
    for (const addrinfo* entry = found; entry != nullptr; entry = entry->ai_next) {
        if (entry->ai_family == AF_INET && entry->ai_addr != nullptr) {
            return {0, reinterpret_cast<const sockaddr_in*>(entry->ai_addr)->sin_addr.s_addr};
        }
    }
    return {kNoSuchName, 0};
}

}  // namespace kestrune
