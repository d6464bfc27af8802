#include "platform/udp_socket.h"

#include <winsock2.h>
// need winsock2.h first
#include <ws2tcpip.h>

#include <array>
#include <cstring>
#include <utility>

#include "platform/win32/winsock.h"

namespace kestrune {

namespace {

// A socket address of the socket's family for address and port. False when an IPv4 socket is
// asked for an IPv6 address.
bool MakeAddress(bool ipv6Socket, const IpAddress& address, std::uint16_t port,
                 sockaddr_storage& result, int& length) {
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

// The address and port of a socket address of either family; an IPv4-mapped one is IPv4.
bool ReadAddress(const sockaddr_storage& from, int length, IpAddress& address,
                 std::uint16_t& port) {
    if (from.ss_family == AF_INET6 && length >= static_cast<int>(sizeof(sockaddr_in6))) {
        const auto& v6 = reinterpret_cast<const sockaddr_in6&>(from);
        std::array<std::uint8_t, 16> bytes;
        std::memcpy(bytes.data(), &v6.sin6_addr, bytes.size());
        address = IpAddress::V6(bytes, v6.sin6_scope_id);
        port = ntohs(v6.sin6_port);
        return true;
    }
    if (from.ss_family == AF_INET && length >= static_cast<int>(sizeof(sockaddr_in))) {
        const auto& v4 = reinterpret_cast<const sockaddr_in&>(from);
        address = IpAddress::V4(v4.sin_addr.s_addr);
        port = ntohs(v4.sin_port);
        return true;
    }
    return false;
}

SOCKET Native(NativeSocket socket) {
    return static_cast<SOCKET>(socket);
}

}  // namespace

UdpSocket::~UdpSocket() {
    Close();
}

UdpSocket::UdpSocket(UdpSocket&& other) noexcept
    : fd_(std::exchange(other.fd_, kNoSocket)),
      ipv6_(other.ipv6_),
      lastSent_(std::exchange(other.lastSent_, {})) {}

UdpSocket& UdpSocket::operator=(UdpSocket&& other) noexcept {
    if (this != &other) {
        Close();
        fd_ = std::exchange(other.fd_, kNoSocket);
        ipv6_ = other.ipv6_;
        lastSent_ = std::exchange(other.lastSent_, {});
    }
    return *this;
}

UdpSocket UdpSocket::Make(int& error) {
    error = win32::StartWinsock();
    if (error != 0) {
        return UdpSocket();
    }
    // One dual-stack socket for both families; IPv4 alone where the system has no IPv6.
    bool ipv6 = true;
    SOCKET socket =
        ::WSASocketW(AF_INET6, SOCK_DGRAM, IPPROTO_UDP, nullptr, 0, WSA_FLAG_NO_HANDLE_INHERIT);
    bool noIpv6 = socket == INVALID_SOCKET && ::WSAGetLastError() == WSAEAFNOSUPPORT;
    if (socket != INVALID_SOCKET) {
        DWORD off = 0;
        if (::setsockopt(socket, IPPROTO_IPV6, IPV6_V6ONLY, reinterpret_cast<const char*>(&off),
                         sizeof off) != 0) {
            ::closesocket(socket);
            socket = INVALID_SOCKET;
            noIpv6 = true;  // IPv6 alone would lose IPv4
        }
    }
    // A system without IPv6 still has IPv4; any other failure is reported.
    if (noIpv6) {
        ipv6 = false;
        socket =
            ::WSASocketW(AF_INET, SOCK_DGRAM, IPPROTO_UDP, nullptr, 0, WSA_FLAG_NO_HANDLE_INHERIT);
    }
    if (socket == INVALID_SOCKET) {
        error = ::WSAGetLastError();
        return UdpSocket();
    }
    u_long nonBlocking = 1;
    ::ioctlsocket(socket, FIONBIO, &nonBlocking);
    // Port-unreachable reports stay on (SIO_UDP_CONNRESET's default): the read that fails with
    // WSAECONNRESET is how a query is known to have met a closed port.
    return UdpSocket(static_cast<NativeSocket>(socket), ipv6);
}

int UdpSocket::Bind(const IpAddress& address, std::uint16_t port) {
    sockaddr_storage local;
    int length = 0;
    if (!MakeAddress(ipv6_, address, port, local, length)) {
        return WSAEAFNOSUPPORT;
    }
    if (::bind(Native(fd_), reinterpret_cast<const sockaddr*>(&local), length) != 0) {
        return ::WSAGetLastError();
    }
    return 0;
}

std::uint16_t UdpSocket::LocalPort() const {
    sockaddr_storage local{};
    int length = sizeof local;
    IpAddress address;
    std::uint16_t port = 0;
    if (!IsValid() ||
        ::getsockname(Native(fd_), reinterpret_cast<sockaddr*>(&local), &length) != 0 ||
        !ReadAddress(local, length, address, port)) {
        return 0;
    }
    return port;
}

int UdpSocket::SendTo(std::span<const char> data, const IpAddress& address, std::uint16_t port) {
    sockaddr_storage remote;
    int length = 0;
    if (!MakeAddress(ipv6_, address, port, remote, length)) {
        return WSAEAFNOSUPPORT;
    }
    if (data.size() > 0x7FFFFFFF) {
        return WSAEMSGSIZE;
    }
    if (::sendto(Native(fd_), data.data(), static_cast<int>(data.size()), 0,
                 reinterpret_cast<const sockaddr*>(&remote), length) == SOCKET_ERROR) {
        return ::WSAGetLastError();
    }
    lastSent_ = UdpDestination{address, port};
    return 0;
}

UdpReceiveResult UdpSocket::ReceiveFrom(std::span<char> buffer) {
    UdpReceiveResult result;
    sockaddr_storage from{};
    int fromLength = sizeof from;
    const int room = buffer.size() > 0x7FFFFFFF ? 0x7FFFFFFF : static_cast<int>(buffer.size());
    const int length = win32::ReceiveFrom(Native(fd_), buffer.data(), room,
                                          reinterpret_cast<sockaddr*>(&from), &fromLength);
    if (length == SOCKET_ERROR) {
        const int error = ::WSAGetLastError();
        // A datagram sent earlier met a closed port. Winsock does not say which; the latest one
        // sent is the one a reply is awaited for.
        if (error == WSAECONNRESET) {
            result.error = error;
            result.portUnreachable = lastSent_;
            return result;
        }
        // A datagram longer than the buffer: Winsock fills the buffer with its first bytes,
        // names the sender and drops the rest.
        if (error != WSAEMSGSIZE) {
            result.error = error;
            return result;
        }
        result.truncated = true;
        result.count = room;
    } else {
        result.count = length;
    }
    ReadAddress(from, fromLength, result.fromAddress, result.fromPort);
    return result;
}

void UdpSocket::Close() {
    if (IsValid()) {
        ::closesocket(Native(std::exchange(fd_, kNoSocket)));
    }
}

}  // namespace kestrune
