#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <iosfwd>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "net/endpoint_component.h"
#include "net/host_lookup_worker.h"
#include "net/socket_message.h"
#include "net/socket_message_window.h"
#include "platform/exception.h"
#include "platform/host_lookup.h"
#include "platform/udp_socket.h"

namespace kestrune {

// The endpoint's own failures: "Host Lookup Canceled", "Null Remote Address" and
// "Unknown Error No. <n>".
class UDPSockError : public Exception {
public:
    using Exception::Exception;
};

// One datagram socket for IPv4 and IPv6 on the UI thread: sends a buffer to a host given as an
// address (dotted IPv4, or IPv6, bare or in brackets) or a name, and reports every datagram
// reaching its local port through OnDataReceived, its sender as an address text of either
// family (an IPv4 sender is always dotted, never IPv4-mapped). Its socket messages come through
// the system's hidden window (socket_message_window.h); nothing here depends on a toolkit.
class TUDPEndpoint : public EndpointComponent {
public:
    using TOnReceive = std::function<void(TUDPEndpoint& sender, std::int32_t numberBytes,
                                          const std::string& fromIP, std::int32_t port)>;
    using TNotifyEvent = std::function<void(TUDPEndpoint& sender)>;
    using TOnStatus = std::function<void(TUDPEndpoint& sender, const std::string& status)>;
    using THandlerEvent = std::function<void(bool& handled)>;
    // May fill buff (the endpoint's own copy of the caller's buffer) and set a new length.
    using TBuffInvalid =
        std::function<void(bool& handled, std::span<char> buff, std::int32_t& length)>;
    // Kept as a property only; nothing raises it.
    using TStreamInvalid = std::function<void(bool& handled, std::iostream& stream)>;
    using TOnError =
        std::function<void(TUDPEndpoint& sender, std::uint16_t error, const std::string& message)>;
    // A datagram sent to toIP:port found nothing listening there (an ICMP port unreachable).
    using TOnPortUnreachable =
        std::function<void(TUDPEndpoint& sender, const std::string& toIP, std::int32_t port)>;
    // Runs on a worker thread, so it must not touch the endpoint or the UI. The default is
    // LookUpHost.
    using THostLookup = HostLookupFunction;

    // Room for the largest datagram, so that every datagram arrives whole.
    static constexpr std::size_t kReceiveBufferSize = kLargestUdpPayload;
    // The socket error that ErrorManager lets pass (a read or write that would block).
    static constexpr std::uint16_t kToleratedError = kWouldBlockError;
    static constexpr std::uint32_t kSocketMessage = kSocketMessageNumber;
    static constexpr std::uint32_t kReadReady = kReadReadyEvent;

    // Makes the socket, not yet bound. Raises UDPSockError when no socket can be had.
#ifdef _WIN32
    TUDPEndpoint();
#else
    explicit TUDPEndpoint(QObject* owner = nullptr);
#endif
    ~TUDPEndpoint() override;

    // used by the probe
    void SetRemoteHost(std::string host);
    void SetRemotePort(std::int32_t port);
    // Makes a new socket, then binds it to the port (0: the system chooses). Raises
    // UDPSockError when no socket can be had; the port then keeps its old value.
    void SetLocalPort(std::int32_t port);
    void SetReportLevel(std::int32_t level);
    void SetOnDataReceived(TOnReceive handler);
    // Binds to any local address and LocalPort and starts reporting datagrams. Binding an
    // already bound socket fails unnoticed and leaves the first binding.
    void BindLocalPort();
    // Sends the first length bytes of buff as one datagram to RemoteHost:RemotePort. A name is
    // looked up first (both families); the UI thread's events are handled while the lookup
    // runs. The datagram goes to the first address found.
    void SendBuffer(std::span<const char> buff, std::int32_t length);
    // Copies the last datagram read into buff (which must have room for it) and gives its length.
    void ReadBuffer(std::span<char> buff, std::int32_t& length) const;
    // Whether the system cut the last datagram read to the receive buffer (it was longer).
    bool LastDatagramCut() const { return lastDatagramCut_; }
    // When the last datagram read reached this machine (UdpReceiveResult::arrival).
    std::chrono::steady_clock::time_point LastArrival() const {
        return lastArrival_;
    }

    // Properties
    const std::string& RemoteHost() const { return remoteHost_; }
    std::int32_t RemotePort() const { return remotePort_; }
    // RemoteHost as the latest send resolved it: where the datagram went (0.0.0.0 before any
    // send), and every address the host had, that one first, in the order to try them.
    const IpAddress& RemoteAddress() const { return remoteAddresses_.front(); }
    const std::vector<IpAddress>& RemoteAddresses() const { return remoteAddresses_; }
    std::int32_t LocalPort() const { return localPort_; }
    std::int32_t ReportLevel() const { return reportLevel_; }
    void SetOnDataSend(TNotifyEvent handler);
    void SetOnStatus(TOnStatus handler);
    void SetOnInvalidHost(THandlerEvent handler);
    void SetOnStreamInvalid(TStreamInvalid handler);
    void SetOnBufferInvalid(TBuffInvalid handler);
    void SetOnError(TOnError handler);
    // Reported in place of a datagram; nothing of the receive buffer changes.
    void SetOnPortUnreachable(TOnPortUnreachable handler);

    // The last status message that passed the report level.
    const std::string& StatusText() const { return statusText_; }
    // The error number last read by ErrorManager.
    std::uint32_t LastError() const { return lastError_; }
    // The port the socket is actually bound to (the one the system chose for LocalPort 0), or 0.
    std::uint16_t BoundPort() const;

    // Ends every lookup wait now running with "Host Lookup Canceled" (for a handler that runs
    // during the wait, e.g. a cancel button).
    void CancelLookup();
    // Replaces the name lookup (tests, benchmarks); an empty function restores LookUpHost.
    void SetHostLookup(THostLookup lookup);

    // The steps behind the operations above.
    void ResolveRemoteHost();
    void ErrorManager(std::uint16_t tolerated, std::string& text);
    void GetErrorMessage(std::uint16_t error, std::string& text);
    void ReportStatus(std::uint8_t level, const std::string& message);
    // A message for the endpoint: read readiness (low 16 bits of eventWord 1), or the end of
    // lookup lookupId with its error number in the high 16 bits.
    void HandleSocketMessage(std::uint32_t message, std::uint32_t eventWord,
                             std::uint64_t lookupId = 0,
                             const std::vector<IpAddress>& addresses = {});
    void ReceiveDatagram();

private:
    struct PendingLookup;

    void Construct();
    void MakeSocket();
    void StartLookup(PendingLookup& pending, const std::string& name);

    // Allocated once, with the endpoint.
    std::vector<char> receiveBuffer_ = std::vector<char>(kReceiveBufferSize);
    std::int32_t receivedLength_ = 0;
    bool lastDatagramCut_ = false;
    std::chrono::steady_clock::time_point lastArrival_;
    std::string remoteHost_;
    std::int32_t remotePort_ = 0;
    std::int32_t localPort_ = 0;
    std::vector<IpAddress> remoteAddresses_ = {IpAddress{}};  // never empty
    std::unique_ptr<SocketMessageWindow> notificationWindow_;
    THostLookup hostLookup_;
    std::uint64_t nextLookupId_ = 1;
    std::vector<PendingLookup*> pendingLookups_;  // the lookup waits now running, innermost last
    TOnStatus onStatus_;
    std::int32_t reportLevel_ = 1;
    std::string statusText_;
    bool ready_ = false;
    std::uint32_t lastError_ = 0;
    int lastSocketError_ = 0;
    TOnError onError_;
    TOnReceive onDataReceived_;
    TNotifyEvent onDataSend_;
    THandlerEvent onInvalidHost_;
    TStreamInvalid onStreamInvalid_;
    TBuffInvalid onBufferInvalid_;
    TOnPortUnreachable onPortUnreachable_;
    std::string fromIP_;  // reused for every datagram
    UdpSocket socket_;
};

}  // namespace kestrune
