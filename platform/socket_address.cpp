#include "platform/socket_address.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace kestrune {

bool MakeSocketAddress(bool ipv6Socket, const IpAddress& address, std::uint16_t port,
                       sockaddr_storage& result, SocketLength& length) {
    result = {};
    if (ipv6Socket) {
        auto& v6 = reinterpret_cast<sockaddr_in6&>(result);
        v6.sin6_family = AF_INET6;
        v6.sin6_port = htons(port);
        // "Any address" of IPv4 is any address of both families.
        if (!address.IsV6() && address.IsNull()) {
            v6.sin6_addr = in6addr_any;
        } else {
            const auto bytes = address.V6Bytes();
            std::memcpy(&v6.sin6_addr, bytes.data(), bytes.size());
            v6.sin6_scope_id = address.scopeId;
        }
        length = sizeof v6;
        return true;
    }
    if (address.IsV6()) {
        return false;
    }
    auto& v4 = reinterpret_cast<sockaddr_in&>(result);
    v4.sin_family = AF_INET;
    v4.sin_port = htons(port);
    v4.sin_addr.s_addr = address.V4NetworkOrder();
    length = sizeof v4;
    return true;
}

bool ReadSocketAddress(const sockaddr* from, std::size_t length, IpAddress& address,
                       std::uint16_t& port) {
    if (from == nullptr) {
        return false;
    }
    if (from->sa_family == AF_INET6 && length >= sizeof(sockaddr_in6)) {
        sockaddr_in6 v6;
        std::memcpy(&v6, from, sizeof v6);
        std::array<std::uint8_t, 16> bytes;
        std::memcpy(bytes.data(), &v6.sin6_addr, bytes.size());
        address = IpAddress::V6(bytes, v6.sin6_scope_id);
        port = ntohs(v6.sin6_port);
        return true;
    }
    if (from->sa_family == AF_INET && length >= sizeof(sockaddr_in)) {
        sockaddr_in v4;
        std::memcpy(&v4, from, sizeof v4);
        address = IpAddress::V4(v4.sin_addr.s_addr);
        port = ntohs(v4.sin_port);
        return true;
    }
    return false;
}

std::vector<IpAddress> AddressesOf(const addrinfo* found) {
    std::vector<IpAddress> addresses;
    for (const addrinfo* entry = found; entry != nullptr; entry = entry->ai_next) {
        IpAddress address;
        std::uint16_t port = 0;
        if (ReadSocketAddress(entry->ai_addr, entry->ai_addrlen, address, port) &&
            std::find(addresses.begin(), addresses.end(), address) == addresses.end()) {
            addresses.push_back(address);
        }
    }
    return addresses;
}

}  // namespace kestrune
