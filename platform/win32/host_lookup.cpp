#include "platform/host_lookup.h"

#include <winsock2.h>
#include <ws2tcpip.h>

#include <algorithm>
#include <cstring>
#include <memory>

#include "platform/socket_address.h"
#include "platform/win32/winsock.h"

namespace kestrune {

std::uint32_t ParseDottedAddress(const std::string& text) {
    if (win32::StartWinsock() != 0) {
        return kNoDottedAddress;
    }
    return ::inet_addr(text.c_str());
}

HostLookupResult LookUpHost(const std::string& name) {
    if (std::optional<HostLookupResult> reserved = ReservedHostLookup(name, WSAHOST_NOT_FOUND)) {
        return *reserved;
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
    if (::getaddrinfo(name.c_str(), nullptr, &hints, &found) != 0) {
        const int error = ::WSAGetLastError();
        return {error != 0 ? error : WSAHOST_NOT_FOUND, {}};
    }
    const std::unique_ptr<addrinfo, decltype(&::freeaddrinfo)> owner(found, &::freeaddrinfo);
    HostLookupResult result{0, AddressesOf(found)};
    if (result.addresses.empty()) {
        return {WSAHOST_NOT_FOUND, {}};
    }
    return result;
}

}  // namespace kestrune
