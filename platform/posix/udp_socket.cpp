#include "platform/udp_socket.h"

#include <arpa/inet.h>
#include <linux/errqueue.h>
#include <netinet/in.h>
#include <netinet/ip_icmp.h>
#include <sys/socket.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstring>
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

// Reports waiting on the socket's error queue read at most by one read, so that a flood of them
// cannot hold the caller.
constexpr int kMostErrorReportsPerRead = 64;

// Takes reports off the socket's error queue until one says that a datagram met a closed port,
// and gives that datagram's destination. Other reports (a host unreachable, a local send error)
// are dropped. While a report waits the socket stays readable (POLLERR), so each must be taken.
std::optional<UdpDestination> TakePortUnreachable(int fd) {
    for (int report = 0; report < kMostErrorReportsPerRead; ++report) {
        sockaddr_in destination{};
        std::array<char, 512> control;
        msghdr message{};
        message.msg_name = &destination;
        message.msg_namelen = sizeof destination;
        message.msg_control = control.data();
        message.msg_controllen = control.size();
        if (::recvmsg(fd, &message, MSG_ERRQUEUE | MSG_DONTWAIT) < 0) {
            return std::nullopt;  // the queue is empty
        }
        for (cmsghdr* header = CMSG_FIRSTHDR(&message); header != nullptr;
             header = CMSG_NXTHDR(&message, header)) {
            if (header->cmsg_level != SOL_IP || header->cmsg_type != IP_RECVERR) {
                continue;
            }
            sock_extended_err error{};
            std::memcpy(&error, CMSG_DATA(header), sizeof error);
            if (error.ee_origin == SO_EE_ORIGIN_ICMP && error.ee_type == ICMP_DEST_UNREACH &&
                error.ee_code == ICMP_PORT_UNREACH && message.msg_namelen >= sizeof destination &&
                destination.sin_family == AF_INET) {
                return UdpDestination{destination.sin_addr.s_addr, ntohs(destination.sin_port)};
            }
        }
    }
    return std::nullopt;
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
    if (fd >= 0) {
        // Without it an unconnected socket never hears that its datagram met a closed port.
        const int on = 1;
        ::setsockopt(fd, SOL_IP, IP_RECVERR, &on, sizeof on);
    }
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
        // A closed port's report fails the read once (ECONNREFUSED), then waits on the error
        // queue until taken; a datagram waiting behind it is read at the next readiness.
        result.error = errno;
        result.portUnreachable = TakePortUnreachable(fd_);
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
