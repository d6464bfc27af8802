#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

#include "platform/ip_address.h"
#ifndef _WIN32
#include <cerrno>
#endif

namespace kestrune {

// The system's handle of a socket.
#ifdef _WIN32
using NativeSocket = std::uintptr_t;                         // SOCKET
inline constexpr NativeSocket kNoSocket = ~NativeSocket{0};  // INVALID_SOCKET
// The error of a read or write that would have to wait (WSAEWOULDBLOCK).
inline constexpr int kWouldBlockError = 10035;
#else
using NativeSocket = int;
inline constexpr NativeSocket kNoSocket = -1;
inline constexpr int kWouldBlockError = EWOULDBLOCK;
#endif

// Where a datagram went; the port in host order.
struct UdpDestination {
    IpAddress address;
    std::uint16_t port = 0;

    bool operator==(const UdpDestination&) const = default;
};

// The largest payload of one IPv4 datagram: 65,535 bytes less the IPv4 and UDP headers (an IPv6
// datagram's is larger only as a jumbogram, which no game server sends).
inline constexpr std::size_t kLargestUdpPayload = 65'507;

// What one read from a datagram socket gave.
struct UdpReceiveResult {
    // Bytes placed in the buffer (at most its size), or -1 when nothing was read.
    std::ptrdiff_t count = -1;
    // The system's error number of a failed read (errno, or the Winsock error), else 0.
    int error = 0;
    // The datagram was longer than the buffer; count is then the buffer's size.
    bool truncated = false;
    // The sender, filled only when count >= 0; the port in host order.
    IpAddress fromAddress;
    std::uint16_t fromPort = 0;
    // When the datagram reached this machine, on the steady clock, filled only when count >= 0:
    // the system's own stamp where it gives one (Linux), else the time of the read. A round trip
    // taken from it leaves out however long the datagram waited for the program to read it.
    std::chrono::steady_clock::time_point arrival;
    // Instead of a datagram (count is then -1): the system's word that a datagram sent from this
    // socket found nothing listening at its destination (an ICMP port unreachable), and where that
    // datagram went.
    std::optional<UdpDestination> portUnreachable;
};

// A datagram socket for both address families (non-blocking, not inherited by started programs),
// closed when the object goes: one dual-stack IPv6 socket, whose IPv4 traffic goes through
// IPv4-mapped addresses, or an IPv4 socket alone where the system has no IPv6. Ports are in host
// order. Error numbers are the system's: errno, or on Windows the Winsock error
// (WSAGetLastError); Winsock is started once, by the first socket made, for the rest of the
// program.
//
// A datagram sent to a port where nothing listens is answered with an ICMP (or ICMPv6) port
// unreachable, which a later read reports (UdpReceiveResult::portUnreachable). Linux names the
// datagram's destination (IP_RECVERR and IPV6_RECVERR, the socket's error queue); Winsock only
// fails the read with WSAECONNRESET, so there the destination is taken to be that of the latest
// send.
class UdpSocket {
public:
    UdpSocket() = default;
    ~UdpSocket();
    UdpSocket(UdpSocket&& other) noexcept;
    UdpSocket& operator=(UdpSocket&& other) noexcept;
    UdpSocket(const UdpSocket&) = delete;
    UdpSocket& operator=(const UdpSocket&) = delete;

    // Makes a new socket; on failure the result is not valid and error holds the system's number.
    static UdpSocket Make(int& error);

    bool IsValid() const { return fd_ != kNoSocket; }
    NativeSocket Descriptor() const { return fd_; }

    // Whether the socket can reach IPv6 addresses (false: IPv4 alone).
    bool HasIpv6() const { return ipv6_; }
    // Binds to address and port; "any address" (0.0.0.0) binds to every local address of both
    // families. 0 on success, else the error number.
    int Bind(const IpAddress& address, std::uint16_t port);
    // The port the socket is bound to, 0 when unbound or invalid.
    std::uint16_t LocalPort() const;
    // Sends data as one datagram; 0 on success, else the error number.
    int SendTo(std::span<const char> data, const IpAddress& address, std::uint16_t port);
    // Reads one waiting datagram, or one port-unreachable report, without blocking.
    UdpReceiveResult ReceiveFrom(std::span<char> buffer);
    void Close();

private:
    UdpSocket(NativeSocket fd, bool ipv6) : fd_(fd), ipv6_(ipv6) {}
    NativeSocket fd_ = kNoSocket;
    bool ipv6_ = false;
#ifdef _WIN32
    // Where the latest datagram went: the one a WSAECONNRESET is taken to be about.
    std::optional<UdpDestination> lastSent_;
#endif
};

}  // namespace kestrune
