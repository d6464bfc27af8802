#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

namespace kestrune {

// What one read from a datagram socket gave.
struct UdpReceiveResult {
    // Bytes placed in the buffer (at most its size), or -1 when nothing was read.
    std::ptrdiff_t count = -1;
    // errno of a failed read, else 0.
    int error = 0;
    // The datagram was longer than the buffer; count is then the buffer's size.
    bool truncated = false;
    // The sender, filled only when count >= 0. Address in network byte order, port in host order.
    std::uint32_t fromAddress = 0;
    std::uint16_t fromPort = 0;
};

// An IPv4 datagram socket (non-blocking, close-on-exec), closed when the object goes.
// Addresses are in network byte order, ports in host order.
class UdpSocket {
public:
    UdpSocket() = default;
    ~UdpSocket();
    UdpSocket(UdpSocket&& other) noexcept;
    UdpSocket& operator=(UdpSocket&& other) noexcept;
    UdpSocket(const UdpSocket&) = delete;
    UdpSocket& operator=(const UdpSocket&) = delete;

    // Makes a new socket; on failure the result is not valid and error holds errno.
    static UdpSocket Make(int& error);

    bool IsValid() const { return fd_ >= 0; }
    int Descriptor() const { return fd_; }

    // 0 on success, else errno.
    int Bind(std::uint32_t address, std::uint16_t port);
    // The port the socket is bound to, 0 when unbound or invalid.
    std::uint16_t LocalPort() const;
    // Sends data as one datagram; 0 on success, else errno.
    int SendTo(std::span<const char> data, std::uint32_t address, std::uint16_t port);
    // Reads one waiting datagram without blocking.
    UdpReceiveResult ReceiveFrom(std::span<char> buffer);
    void Close();

private:
    explicit UdpSocket(int fd) : fd_(fd) {}
    int fd_ = -1;
};

}  // namespace kestrune
