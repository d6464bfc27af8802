#include "platform/host_lookup.h"

#include <winsock2.h>
#include <ws2tcpip.h>

#include <memory>

#include "platform/reserved_host_names.h"
#include "platform/win32/winsock.h"

namespace kestrune {

std::uint32_t ParseDottedAddress(const std::string& text) {
    if (win32::StartWinsock() != 0) {
        return kNoDottedAddress;
    }
    return ::inet_addr(text.c_str());
}

HostLookupResult LookUpHost(const std::string& name) {
    // A zero byte ends the name, as it would for any C caller.
    const char* const zeroTerminated = name.c_str();
    if (*zeroTerminated == '\0') {
        return {WSAHOST_NOT_FOUND, 0};
    }
    switch (ClassifyReservedHostName(zeroTerminated)) {
        case ReservedHostName::Invalid:
            return {WSAHOST_NOT_FOUND, 0};
        case ReservedHostName::Loopback:
            return {0, htonl(INADDR_LOOPBACK)};
        case ReservedHostName::None:
            break;
    }
    if (const int error = win32::StartWinsock(); error != 0) {
        return {error, 0};
    }
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_DGRAM;
    addrinfo* found = nullptr;
    // The name is ANSI text, as getaddrinfo takes it.
    if (::getaddrinfo(zeroTerminated, nullptr, &hints, &found) != 0) {
        const int error = ::WSAGetLastError();
        return {error != 0 ? error : WSAHOST_NOT_FOUND, 0};
    }
    const std::unique_ptr<addrinfo, decltype(&::freeaddrinfo)> owner(found, &::freeaddrinfo);
    for (const addrinfo* entry = found; entry != nullptr; entry = entry->ai_next) {
        if (entry->ai_family == AF_INET && entry->ai_addr != nullptr) {
            return {0, reinterpret_cast<const sockaddr_in*>(entry->ai_addr)->sin_addr.s_addr};
        }
    }
    return {WSAHOST_NOT_FOUND, 0};
}

}  // namespace kestrune
