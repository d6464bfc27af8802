#include "platform/udp_socket.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <utility>

namespace kestrune {

namespace {

sockaddr_in MakeAddress(std::uint32_t address, std::uint16_t port) {
    sockaddr_in result{};
    result.sin_family = AF_INET;
    result.sin_port = htons(port);
    result.sin_addr.s_addr = address;
    return result;
}

}  // namespace

UdpSocket::~UdpSocket() {
    Close();
}

UdpSocket::UdpSocket(UdpSocket&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}

UdpSocket& UdpSocket::operator=(UdpSocket&& other) noexcept {
    if (this != &other) {
        Close();
        fd_ = std::exchange(other.fd_, -1);
    }
    return *this;
}

UdpSocket UdpSocket::Make(int& error) {
    const int fd = ::socket(AF_INET, SOCK_DGRAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    error = fd < 0 ? errno : 0;
    return UdpSocket(fd);
}

int UdpSocket::Bind(std::uint32_t address, std::uint16_t port) {
    const sockaddr_in local = MakeAddress(address, port);
    if (::bind(fd_, reinterpret_cast<const sockaddr*>(&local), sizeof local) != 0) {
        return errno;
    }
    return 0;
}

std::uint16_t UdpSocket::LocalPort() const {
    sockaddr_in local{};
    socklen_t length = sizeof local;
    if (fd_ < 0 || ::getsockname(fd_, reinterpret_cast<sockaddr*>(&local), &length) != 0) {
        return 0;
    }
    return ntohs(local.sin_port);
}

int UdpSocket::SendTo(std::span<const char> data, std::uint32_t address, std::uint16_t port) {
    const sockaddr_in remote = MakeAddress(address, port);
    if (::sendto(fd_, data.data(), data.size(), 0, reinterpret_cast<const sockaddr*>(&remote),
                 sizeof remote) < 0) {
        return errno;
    }
    return 0;
}

UdpReceiveResult UdpSocket::ReceiveFrom(std::span<char> buffer) {
    UdpReceiveResult result;
    sockaddr_in from{};
    socklen_t fromLength = sizeof from;
    // MSG_TRUNC makes the call give the datagram's real length, so a cut datagram is known.
    const ssize_t length = ::recvfrom(fd_, buffer.data(), buffer.size(), MSG_TRUNC,
                                      reinterpret_cast<sockaddr*>(&from), &fromLength);
    if (length < 0) {
        result.error = errno;
        return result;
    }
    const auto size = static_cast<std::size_t>(length);
    result.truncated = size > buffer.size();
    result.count = static_cast<std::ptrdiff_t>(result.truncated ? buffer.size() : size);
    if (fromLength >= sizeof from && from.sin_family == AF_INET) {
        result.fromAddress = from.sin_addr.s_addr;
        result.fromPort = ntohs(from.sin_port);
    }
    return result;
}

void UdpSocket::Close() {
    if (fd_ >= 0) {
        ::close(std::exchange(fd_, -1));
    }
}

}  // namespace kestrune
