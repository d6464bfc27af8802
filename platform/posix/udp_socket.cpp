#include "platform/udp_socket.h"

#include <arpa/inet.h>
#include <linux/errqueue.h>
#include <netinet/icmp6.h>
#include <netinet/in.h>
#include <netinet/ip_icmp.h>
#include <sys/socket.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <ctime>
#include <utility>

#include "platform/socket_address.h"

namespace kestrune {

namespace {

// Reports waiting on the socket's error queue read at most by one read, so that a flood of them
// cannot hold the caller.
constexpr int kMostErrorReportsPerRead = 64;

// Whether an error report says that a datagram met a closed port: ICMP's port unreachable for
// IPv4 (also on a dual-stack socket), ICMPv6's for IPv6.
bool IsPortUnreachable(const cmsghdr& header, const sock_extended_err& error) {
    const bool ipv4 = header.cmsg_level == SOL_IP && header.cmsg_type == IP_RECVERR;
    const bool ipv6 = header.cmsg_level == SOL_IPV6 && header.cmsg_type == IPV6_RECVERR;
    if (!ipv4 && !ipv6) {
        return false;
    }
    return (error.ee_origin == SO_EE_ORIGIN_ICMP && error.ee_type == ICMP_DEST_UNREACH &&
            error.ee_code == ICMP_PORT_UNREACH) ||
           (error.ee_origin == SO_EE_ORIGIN_ICMP6 && error.ee_type == ICMP6_DST_UNREACH &&
            error.ee_code == ICMP6_DST_UNREACH_NOPORT);
}

// Takes reports off the socket's error queue until one says that a datagram met a closed port,
// and gives that datagram's destination. Other reports (a host unreachable, a local send error)
// are dropped. While a report waits the socket stays readable (POLLERR), so each must be taken.
std::optional<UdpDestination> TakePortUnreachable(int fd) {
    for (int report = 0; report < kMostErrorReportsPerRead; ++report) {
        sockaddr_storage destination{};
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
            sock_extended_err error{};
            std::memcpy(&error, CMSG_DATA(header), sizeof error);
            UdpDestination found;
            if (IsPortUnreachable(*header, error) &&
                ReadSocketAddress(destination, message.msg_namelen, found.address, found.port)) {
                return found;
            }
        }
    }
    return std::nullopt;
}

// The steady clock's time of a datagram that the system stamped (SO_TIMESTAMPNS, on the real-time
// clock) at stamp: now, less the stamp's age. A stamp that the real-time clock's being set has
// made look older than a minute, or newer than now, gives now.
std::chrono::steady_clock::time_point ArrivalOf(const timespec& stamp) {
    using namespace std::chrono;
    const auto steadyNow = steady_clock::now();
    timespec realNow{};
    ::clock_gettime(CLOCK_REALTIME, &realNow);
    const nanoseconds age =
        seconds(realNow.tv_sec - stamp.tv_sec) + nanoseconds(realNow.tv_nsec - stamp.tv_nsec);
    if (age < nanoseconds::zero() || age > minutes(1)) {
        return steadyNow;
    }
    return steadyNow - duration_cast<steady_clock::duration>(age);
}

}  // namespace

UdpSocket::~UdpSocket() {
    Close();
}

UdpSocket::UdpSocket(UdpSocket&& other) noexcept
    : fd_(std::exchange(other.fd_, -1)), ipv6_(other.ipv6_) {}

UdpSocket& UdpSocket::operator=(UdpSocket&& other) noexcept {
    if (this != &other) {
        Close();
        fd_ = std::exchange(other.fd_, -1);
        ipv6_ = other.ipv6_;
    }
    return *this;
}

UdpSocket UdpSocket::Make(int& error) {
    const int on = 1;
    const int off = 0;
    int fd = ::socket(AF_INET6, SOCK_DGRAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd >= 0) {
        // Both families on one socket, whatever the system's default (net.ipv6.bindv6only).
        if (::setsockopt(fd, IPPROTO_IPV6, IPV6_V6ONLY, &off, sizeof off) != 0) {
            ::close(fd);
            fd = -1;
            errno = EAFNOSUPPORT;  // IPv6 alone would lose IPv4
        }
    }
    if (fd >= 0) {
        // Without them an unconnected socket never hears that its datagram met a closed port:
        // IPV6_RECVERR for IPv6 destinations, IP_RECVERR for IPv4-mapped ones.
        ::setsockopt(fd, SOL_IPV6, IPV6_RECVERR, &on, sizeof on);
        ::setsockopt(fd, SOL_IP, IP_RECVERR, &on, sizeof on);
        // Each datagram stamped as it comes in; without, it is timed when read.
        ::setsockopt(fd, SOL_SOCKET, SO_TIMESTAMPNS, &on, sizeof on);
        error = 0;
        return UdpSocket(fd, true);
    }
    // A system without IPv6 still has IPv4; any other failure (no descriptor left) is reported.
    if (errno != EAFNOSUPPORT && errno != EPROTONOSUPPORT && errno != 0) {
        error = errno;
        return UdpSocket(-1, false);
    }
    fd = ::socket(AF_INET, SOCK_DGRAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    error = fd < 0 ? errno : 0;
    if (fd >= 0) {
        ::setsockopt(fd, SOL_IP, IP_RECVERR, &on, sizeof on);
        ::setsockopt(fd, SOL_SOCKET, SO_TIMESTAMPNS, &on, sizeof on);
    }
    return UdpSocket(fd, false);
}

int UdpSocket::Bind(const IpAddress& address, std::uint16_t port) {
    sockaddr_storage local;
    socklen_t length = 0;
    if (!MakeSocketAddress(ipv6_, address, port, local, length)) {
        return EAFNOSUPPORT;
    }
    if (::bind(fd_, reinterpret_cast<const sockaddr*>(&local), length) != 0) {
        return errno;
    }
    return 0;
}

std::uint16_t UdpSocket::LocalPort() const {
    sockaddr_storage local{};
    socklen_t length = sizeof local;
    IpAddress address;
    std::uint16_t port = 0;
    if (fd_ < 0 || ::getsockname(fd_, reinterpret_cast<sockaddr*>(&local), &length) != 0 ||
        !ReadSocketAddress(local, length, address, port)) {
        return 0;
    }
    return port;
}

int UdpSocket::SendTo(std::span<const char> data, const IpAddress& address, std::uint16_t port) {
    sockaddr_storage remote;
    socklen_t length = 0;
    if (!MakeSocketAddress(ipv6_, address, port, remote, length)) {
        return EAFNOSUPPORT;
    }
    if (::sendto(fd_, data.data(), data.size(), 0, reinterpret_cast<const sockaddr*>(&remote),
                 length) < 0) {
        return errno;
    }
    return 0;
}

UdpReceiveResult UdpSocket::ReceiveFrom(std::span<char> buffer) {
    UdpReceiveResult result;
    sockaddr_storage from{};
    iovec data{buffer.data(), buffer.size()};
    alignas(cmsghdr) std::array<char, CMSG_SPACE(sizeof(timespec))> control;
    msghdr message{};
    message.msg_name = &from;
    message.msg_namelen = sizeof from;
    message.msg_iov = &data;
    message.msg_iovlen = 1;
    message.msg_control = control.data();
    message.msg_controllen = control.size();
    // MSG_TRUNC makes the call give the datagram's real length, so a cut datagram is known.
    const ssize_t length = ::recvmsg(fd_, &message, MSG_TRUNC);
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
    ReadSocketAddress(from, message.msg_namelen, result.fromAddress, result.fromPort);
    result.arrival = std::chrono::steady_clock::now();
    for (cmsghdr* header = CMSG_FIRSTHDR(&message); header != nullptr;
         header = CMSG_NXTHDR(&message, header)) {
        if (header->cmsg_level == SOL_SOCKET && header->cmsg_type == SCM_TIMESTAMPNS) {
            timespec stamp{};
            std::memcpy(&stamp, CMSG_DATA(header), sizeof stamp);
            result.arrival = ArrivalOf(stamp);
        }
    }
    return result;
}

void UdpSocket::Close() {
    if (fd_ >= 0) {
        ::close(std::exchange(fd_, -1));
    }
}

}  // namespace kestrune
