#include "platform/host_lookup.h"

#include <winsock2.h>
#include <ws2tcpip.h>

#include <algorithm>
#include <array>
#include <cstring>
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
        return {WSAHOST_NOT_FOUND, {}};
    }
    switch (ClassifyReservedHostName(zeroTerminated)) {
        case ReservedHostName::Invalid:
            return {WSAHOST_NOT_FOUND, {}};
        case ReservedHostName::Loopback: {
            std::array<std::uint8_t, 16> loopback6{};
            loopback6[15] = 1;
            return {0, {IpAddress::V4(htonl(INADDR_LOOPBACK)), IpAddress::V6(loopback6)}};
        }
        case ReservedHostName::None:
            break;
    }
    if (const int error = win32::StartWinsock(); error != 0) {
        return {error, {}};
    }
    addrinfo hints{};
    // Both families, in the order of the system's address selection (RFC 6724).
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_DGRAM;
    addrinfo* found = nullptr;
    // The name is ANSI text, as getaddrinfo takes it.
    if (::getaddrinfo(zeroTerminated, nullptr, &hints, &found) != 0) {
        const int error = ::WSAGetLastError();
        return {error != 0 ? error : WSAHOST_NOT_FOUND, {}};
    }
    const std::unique_ptr<addrinfo, decltype(&::freeaddrinfo)> owner(found, &::freeaddrinfo);
    HostLookupResult result;
    for (const addrinfo* entry = found; entry != nullptr; entry = entry->ai_next) {
        IpAddress address;
        if (entry->ai_family == AF_INET && entry->ai_addr != nullptr) {
            const auto* v4 = reinterpret_cast<const sockaddr_in*>(entry->ai_addr);
            address = IpAddress::V4(v4->sin_addr.s_addr);
        } else if (entry->ai_family == AF_INET6 && entry->ai_addr != nullptr) {
            const auto* v6 = reinterpret_cast<const sockaddr_in6*>(entry->ai_addr);
            std::array<std::uint8_t, 16> bytes;
            std::memcpy(bytes.data(), &v6->sin6_addr, bytes.size());
            address = IpAddress::V6(bytes, v6->sin6_scope_id);
        } else {
            continue;
        }
        if (std::find(result.addresses.begin(), result.addresses.end(), address) ==
            result.addresses.end()) {
            result.addresses.push_back(address);
        }
    }
    if (result.addresses.empty()) {
        return {WSAHOST_NOT_FOUND, {}};
    }
    return result;
}

}  // namespace kestrune
