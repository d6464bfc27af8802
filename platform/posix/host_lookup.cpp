#include "platform/host_lookup.h"

#include <arpa/inet.h>
#include <netdb.h>
#include <netinet/in.h>
#include <sys/socket.h>

#include <cerrno>
#include <cstdlib>
#include <memory>

#include "platform/reserved_host_names.h"

namespace kestrune {

namespace {

constexpr int kNoSuchName = EAI_NONAME < 0 ? -EAI_NONAME : EAI_NONAME;

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
    switch (ClassifyReservedHostName(zeroTerminated)) {
        case ReservedHostName::Invalid:
            return {kNoSuchName, 0};
        case ReservedHostName::Loopback:
            return {0, htonl(INADDR_LOOPBACK)};
        case ReservedHostName::None:
            break;
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
