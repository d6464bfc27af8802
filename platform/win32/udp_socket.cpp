#include "platform/udp_socket.h"

#include <winsock2.h>
// need winsock2.h first
#include <ws2tcpip.h>

#include <array>
#include <chrono>
#include <cstring>
#include <utility>

#include "platform/socket_address.h"

#include "platform/win32/winsock.h"

namespace kestrune {

namespace {

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
    if (!MakeSocketAddress(ipv6_, address, port, local, length)) {
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
        !ReadSocketAddress(local, length, address, port)) {
        return 0;
    }
    return port;
}

int UdpSocket::SendTo(std::span<const char> data, const IpAddress& address, std::uint16_t port) {
    sockaddr_storage remote;
    int length = 0;
    if (!MakeSocketAddress(ipv6_, address, port, remote, length)) {
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
    ReadSocketAddress(from, fromLength, result.fromAddress, result.fromPort);
    result.arrival = std::chrono::steady_clock::now();
    return result;
}

void UdpSocket::Close() {
    if (IsValid()) {
        ::closesocket(Native(std::exchange(fd_, kNoSocket)));
    }
}

}  // namespace kestrune
