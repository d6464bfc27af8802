#include "platform/udp_socket.h"

#include <winsock2.h>
// need winsock2.h first
#include <ws2tcpip.h>

#include <utility>

#include "platform/win32/winsock.h"

namespace kestrune {

namespace {

sockaddr_in MakeAddress(std::uint32_t address, std::uint16_t port) {
    sockaddr_in result{};
    result.sin_family = AF_INET;
    result.sin_port = htons(port);
    result.sin_addr.s_addr = address;
    return result;
}

SOCKET Native(NativeSocket socket) {
    return static_cast<SOCKET>(socket);
}

}  // namespace

UdpSocket::~UdpSocket() {
    Close();
}

UdpSocket::UdpSocket(UdpSocket&& other) noexcept
    : fd_(std::exchange(other.fd_, kNoSocket)), lastSent_(std::exchange(other.lastSent_, {})) {}

UdpSocket& UdpSocket::operator=(UdpSocket&& other) noexcept {
    if (this != &other) {
        Close();
        fd_ = std::exchange(other.fd_, kNoSocket);
        lastSent_ = std::exchange(other.lastSent_, {});
    }
    return *this;
}

UdpSocket UdpSocket::Make(int& error) {
    error = win32::StartWinsock();
    if (error != 0) {
        return UdpSocket();
    }
    const SOCKET socket =
        ::WSASocketW(AF_INET, SOCK_DGRAM, IPPROTO_UDP, nullptr, 0, WSA_FLAG_NO_HANDLE_INHERIT);
    if (socket == INVALID_SOCKET) {
        error = ::WSAGetLastError();
        return UdpSocket();
    }
    u_long nonBlocking = 1;
    ::ioctlsocket(socket, FIONBIO, &nonBlocking);
    // Port-unreachable reports stay on (SIO_UDP_CONNRESET's default): the read that fails with
    // WSAECONNRESET is how a query is known to have met a closed port.
    return UdpSocket(static_cast<NativeSocket>(socket));
}

int UdpSocket::Bind(std::uint32_t address, std::uint16_t port) {
    const sockaddr_in local = MakeAddress(address, port);
    if (::bind(Native(fd_), reinterpret_cast<const sockaddr*>(&local), sizeof local) != 0) {
        return ::WSAGetLastError();
    }
    return 0;
}

std::uint16_t UdpSocket::LocalPort() const {
    sockaddr_in local{};
    int length = sizeof local;
    if (!IsValid() ||
        ::getsockname(Native(fd_), reinterpret_cast<sockaddr*>(&local), &length) != 0) {
        return 0;
    }
    return ntohs(local.sin_port);
}

int UdpSocket::SendTo(std::span<const char> data, std::uint32_t address, std::uint16_t port) {
    const sockaddr_in remote = MakeAddress(address, port);
    if (data.size() > 0x7FFFFFFF) {
        return WSAEMSGSIZE;
    }
    if (::sendto(Native(fd_), data.data(), static_cast<int>(data.size()), 0,
                 reinterpret_cast<const sockaddr*>(&remote), sizeof remote) == SOCKET_ERROR) {
        return ::WSAGetLastError();
    }
    lastSent_ = UdpDestination{address, port};
    return 0;
}

UdpReceiveResult UdpSocket::ReceiveFrom(std::span<char> buffer) {
    UdpReceiveResult result;
    sockaddr_in from{};
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
    if (fromLength >= static_cast<int>(sizeof from) && from.sin_family == AF_INET) {
        result.fromAddress = from.sin_addr.s_addr;
        result.fromPort = ntohs(from.sin_port);
    }
    return result;
}

void UdpSocket::Close() {
    if (IsValid()) {
        ::closesocket(Native(std::exchange(fd_, kNoSocket)));
    }
}

}  // namespace kestrune
