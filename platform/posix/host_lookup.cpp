#include "platform/host_lookup.h"

#include <arpa/inet.h>
#include <netdb.h>
#include <netinet/in.h>
#include <sys/socket.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "platform/socket_address.h"

namespace kestrune {

namespace {

constexpr int kNoSuchName = EAI_NONAME < 0 ? -EAI_NONAME : EAI_NONAME;

}  // namespace

std::uint32_t ParseDottedAddress(const std::string& text) {
    return ::inet_addr(text.c_str());
}

HostLookupResult LookUpHost(const std::string& name) {
    if (std::optional<HostLookupResult> reserved = ReservedHostLookup(name, kNoSuchName)) {
        return *reserved;
    }
    addrinfo hints{};
    // Both families, in the order of the system's address selection (RFC 6724). No
    // AI_ADDRCONFIG: it counts no loopback address, so a machine on loopback alone would lose
    // every name.
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_DGRAM;
    addrinfo* found = nullptr;
    const int status = ::getaddrinfo(name.c_str(), nullptr, &hints, &found);
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
