#include "platform/host_lookup.h"

#include <arpa/inet.h>
#include <netdb.h>
#include <netinet/in.h>
#include <sys/socket.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "platform/reserved_host_names.h"
#include "platform/socket_address.h"

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
        return {kNoSuchName, {}};
    }
    switch (ClassifyReservedHostName(zeroTerminated)) {
        case ReservedHostName::Invalid:
            return {kNoSuchName, {}};
        case ReservedHostName::Loopback: {
            std::array<std::uint8_t, 16> loopback6{};
            loopback6[15] = 1;
            return {0, {IpAddress::V4(htonl(INADDR_LOOPBACK)), IpAddress::V6(loopback6)}};
        }
        case ReservedHostName::None:
            break;
    }
    addrinfo hints{};
    // Both families, in the order of the system's address selection (RFC 6724). No
    // AI_ADDRCONFIG: it counts no loopback address, so a machine on loopback alone would lose
    // every name.
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_DGRAM;
    addrinfo* found = nullptr;
    const int status = ::getaddrinfo(zeroTerminated, nullptr, &hints, &found);
    if (status != 0) {
        const int error = status == EAI_SYSTEM ? errno : std::abs(status);
        return {error != 0 ? error : EIO, {}};
    }
    const std::unique_ptr<addrinfo, decltype(&::freeaddrinfo)> owner(found, &::freeaddrinfo);
    HostLookupResult result{0, AddressesOf(found)};
    if (result.addresses.empty()) {
        return {kNoSuchName, {}};
    }
    return result;
}

}  // namespace kestrune
