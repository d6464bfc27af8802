#pragma once

// The system's socket addresses and our IpAddress, one way and the other: the same structures on
// both systems, under other headers and with another type for their lengths. For the platform's
// socket and lookup code only.

#ifdef _WIN32
#include <winsock2.h>
// need winsock2.h first
#include <ws2tcpip.h>
#else
#include <netdb.h>
#include <netinet/in.h>
#include <sys/socket.h>
#endif

#include <cstdint>
#include <vector>

#include "platform/ip_address.h"

namespace kestrune {

#ifdef _WIN32
using SocketLength = int;
#else
using SocketLength = socklen_t;
#endif

// A socket address of the socket's family for address and port. False when an IPv4 socket is
// asked for an IPv6 address.
bool MakeSocketAddress(bool ipv6Socket, const IpAddress& address, std::uint16_t port,
                       sockaddr_storage& result, SocketLength& length);

// The address and port of a socket address of either family; an IPv4-mapped one is IPv4. False
// for another family or a length too short for its own.
bool ReadSocketAddress(const sockaddr* from, std::size_t length, IpAddress& address,
                       std::uint16_t& port);

inline bool ReadSocketAddress(const sockaddr_storage& from, SocketLength length,
                              IpAddress& address, std::uint16_t& port) {
    return ReadSocketAddress(reinterpret_cast<const sockaddr*>(&from),
                             static_cast<std::size_t>(length), address, port);
}

// The addresses of a lookup's answer, in its order, each once.
std::vector<IpAddress> AddressesOf(const addrinfo* found);

}  // namespace kestrune
