#include "net/udp_endpoint.h"
#include "i18n/translate.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <optional>
#include <utility>

namespace kestrune {

namespace {

constexpr std::uint8_t kLevelSending = 2;
constexpr std::uint8_t kLevelDetail = 8;
constexpr std::uint8_t kLevelErrorCheck = 16;

const char* const kHostLookupCanceled = "Host Lookup Canceled";

// The host text without the brackets that an IPv6 address may be written in ("[::1]").
std::string WithoutBrackets(std::string name) {
    if (name.size() >= 2 && name.front() == '[' && name.back() == ']') {
        return name.substr(1, name.size() - 2);
    }
    return name;
}

}  // namespace

// One running wait for a name lookup. It lives on the waiting SendBuffer's stack, so nested
// sends each have their own and never see each other's results.
struct TUDPEndpoint::PendingLookup {
    std::uint64_t id = 0;
    bool done = false;
    bool succeeded = false;
    bool cancelled = false;
    bool endpointGone = false;  // the endpoint was destroyed by a handler during the wait
    std::vector<IpAddress> addresses;
};

#ifdef _WIN32
TUDPEndpoint::TUDPEndpoint() {
    Construct();
}
#else
TUDPEndpoint::TUDPEndpoint(QObject* owner) : EndpointComponent(owner) {
    Construct();
}
#endif

void TUDPEndpoint::Construct() {
    ready_ = false;
    notificationWindow_ = MakeSocketMessageWindow([this](const SocketMessage& message) {
        HandleSocketMessage(message.number, message.eventWord, message.lookupId, message.addresses);
    });
    reportLevel_ = 1;
    ReportStatus(kLevelDetail, "Initializing Winsock");
    MakeSocket();
    ready_ = true;
}

TUDPEndpoint::~TUDPEndpoint() {
    for (PendingLookup* pending : pendingLookups_) {
        pending->endpointGone = true;
    }
    // The window, and with it the request for read readiness, goes before the socket.
    notificationWindow_.reset();
    socket_.Close();
}

void TUDPEndpoint::SetRemoteHost(std::string host) {
    remoteHost_ = std::move(host);
}
void TUDPEndpoint::SetRemotePort(std::int32_t port) {
    remotePort_ = port;
}
void TUDPEndpoint::SetReportLevel(std::int32_t level) {
    reportLevel_ = level;
}
void TUDPEndpoint::SetOnDataReceived(TOnReceive handler) {
    onDataReceived_ = std::move(handler);
}
void TUDPEndpoint::SetOnDataSend(TNotifyEvent handler) {
    onDataSend_ = std::move(handler);
}
void TUDPEndpoint::SetOnStatus(TOnStatus handler) {
    onStatus_ = std::move(handler);
}
void TUDPEndpoint::SetOnInvalidHost(THandlerEvent handler) {
    onInvalidHost_ = std::move(handler);
}
void TUDPEndpoint::SetOnStreamInvalid(TStreamInvalid handler) {
    onStreamInvalid_ = std::move(handler);
}
void TUDPEndpoint::SetOnBufferInvalid(TBuffInvalid handler) {
    onBufferInvalid_ = std::move(handler);
}
void TUDPEndpoint::SetOnError(TOnError handler) {
    onError_ = std::move(handler);
}
void TUDPEndpoint::SetOnPortUnreachable(TOnPortUnreachable handler) {
    onPortUnreachable_ = std::move(handler);
}
void TUDPEndpoint::SetHostLookup(THostLookup lookup) {
    hostLookup_ = std::move(lookup);
}

std::uint16_t TUDPEndpoint::BoundPort() const {
    return socket_.LocalPort();
}

void TUDPEndpoint::CancelLookup() {
    for (PendingLookup* pending : pendingLookups_) {
        pending->cancelled = true;
    }
}

void TUDPEndpoint::MakeSocket() {
    int error = 0;
    socket_ = UdpSocket::Make(error);
    if (!socket_.IsValid()) {
        lastSocketError_ = error;
        std::string text;
        ErrorManager(kToleratedError, text);
    }
}

void TUDPEndpoint::SetLocalPort(std::int32_t port) {
    notificationWindow_->StopWatchingReads();
    socket_.Close();
    MakeSocket();
    localPort_ = port;
    BindLocalPort();
}

void TUDPEndpoint::BindLocalPort() {
    if (!socket_.IsValid()) {
        return;
    }
    // A second binding of the same socket fails and leaves the first one in force.
    // Any address of both families, where the system has IPv6.
    (void)socket_.Bind(IpAddress::V4(ParseDottedAddress("0.0.0.0")),
                       static_cast<std::uint16_t>(localPort_));
    if (notificationWindow_->IsWatchingReads()) {
        return;  // already asked for read readiness on this socket
    }
    notificationWindow_->WatchReads(socket_.Descriptor());
}

void TUDPEndpoint::SendBuffer(std::span<const char> buff, std::int32_t length) {
    std::vector<char> copy(buff.begin(), buff.end());
    bool asked = false;
    while (length == 0) {
        if (asked || !onBufferInvalid_) {
            throw Exception(std::string(Tr("Invalid buffer")));
        }
        bool handled = false;
        onBufferInvalid_(handled, copy, length);
        if (!handled) {
            throw Exception(std::string(Tr("Invalid buffer")));
        }
        asked = true;
    }
    // Never read past the copy, whatever length the caller or the handler gave.
    if (length < 0 || static_cast<std::size_t>(length) > copy.size()) {
        throw Exception(std::string(Tr("Invalid buffer")));
    }
    ResolveRemoteHost();
    if (RemoteAddress().IsNull()) {
        throw UDPSockError(std::string(Tr("Null Remote Address")));
    }
    ReportStatus(kLevelSending, "Sending Data");
    // Only the low 16 bits of the port count. A failed send is not reported.
    (void)socket_.SendTo(std::span(copy.data(), static_cast<std::size_t>(length)), RemoteAddress(),
                         static_cast<std::uint16_t>(remotePort_));
    if (onDataSend_) {
        onDataSend_(*this);
    }
}

void TUDPEndpoint::ResolveRemoteHost() {
    // The name ends at its first zero byte, for the parsers and the lookup alike. An address
    // costs no lookup: dotted IPv4 as the classic parser reads it, or IPv6.
    const std::string name = WithoutBrackets(std::string(remoteHost_.c_str()));
    if (const std::uint32_t dotted = ParseDottedAddress(name); dotted != kNoDottedAddress) {
        remoteAddresses_ = {IpAddress::V4(dotted)};
        return;
    }
    if (name.find(':') != std::string::npos) {
        if (const std::optional<IpAddress> address = ParseIpAddress(name)) {
            remoteAddresses_ = {*address};
            return;
        }
    }

    PendingLookup pending;
    pendingLookups_.push_back(&pending);
    struct Unregister {
        TUDPEndpoint& endpoint;
        PendingLookup& pending;
        ~Unregister() {
            if (!pending.endpointGone) {
                std::erase(endpoint.pendingLookups_, &pending);
            }
        }
    } unregister{*this, pending};

    bool retried = false;
    for (;;) {
        StartLookup(pending, name);
        while (!pending.done && !pending.cancelled && !pending.endpointGone) {
            // A wait that cannot go on (the program is quitting) ends as a cancelled lookup.
            if (!notificationWindow_->WaitForMessages()) {
                pending.cancelled = true;
            }
        }
        if (pending.endpointGone || pending.cancelled) {
            throw UDPSockError(kHostLookupCanceled);
        }
        if (pending.succeeded && !pending.addresses.empty()) {
            remoteAddresses_ = std::move(pending.addresses);
            return;
        }
        if (retried) {
            throw UDPSockError(kHostLookupCanceled);
        }
        retried = true;
        bool handled = false;
        if (onInvalidHost_) {
            onInvalidHost_(handled);
        }
        if (pending.endpointGone || !handled) {
            throw UDPSockError(kHostLookupCanceled);
        }
    }
}

void TUDPEndpoint::StartLookup(PendingLookup& pending, const std::string& name) {
    pending.id = nextLookupId_++;
    pending.done = false;
    pending.succeeded = false;
    const bool started = notificationWindow_->StartLookup(
        hostLookup_ ? hostLookup_ : THostLookup(LookUpHost), name, pending.id);
    if (!started) {
        pending.done = true;  // ends at once as a failed lookup
    }
}

void TUDPEndpoint::HandleSocketMessage(std::uint32_t message, std::uint32_t eventWord,
                                       std::uint64_t lookupId,
                                       const std::vector<IpAddress>& addresses) {
    if (!ready_ || message != kSocketMessage) {
        return;
    }
    if ((eventWord & 0xFFFFu) == kReadReady) {
        ReceiveDatagram();
        return;
    }
    // The completion of a wait that was cancelled finds no one.
    for (PendingLookup* pending : pendingLookups_) {
        if (pending->id == lookupId) {
            pending->done = true;
            pending->succeeded = (eventWord >> 16) == 0;
            pending->addresses = addresses;
            return;
        }
    }
}

void TUDPEndpoint::ReceiveDatagram() {
    if (!socket_.IsValid()) {
        return;
    }
    // The buffer holds any datagram; should the system still cut one, it is kept cut and marked.
    // A failed read reports nothing and keeps the last datagram.
    const UdpReceiveResult result = socket_.ReceiveFrom(receiveBuffer_);
    if (result.portUnreachable) {
        if (onPortUnreachable_) {
            fromIP_ = FormatIpAddress(result.portUnreachable->address);
            onPortUnreachable_(*this, fromIP_, result.portUnreachable->port);
        }
        return;
    }
    if (result.count < 0) {
        return;
    }
    receivedLength_ = static_cast<std::int32_t>(result.count);
    lastDatagramCut_ = result.truncated;
    lastArrival_ = result.arrival;
    if (!onDataReceived_) {
        return;
    }
    fromIP_ = FormatIpAddress(result.fromAddress);
    onDataReceived_(*this, receivedLength_, fromIP_, result.fromPort);
}

void TUDPEndpoint::ReadBuffer(std::span<char> buff, std::int32_t& length) const {
    const std::size_t count = std::min(static_cast<std::size_t>(receivedLength_), buff.size());
    std::copy_n(receiveBuffer_.data(), count, buff.data());
    length = receivedLength_;
}

void TUDPEndpoint::ErrorManager(std::uint16_t tolerated, std::string& text) {
    ReportStatus(kLevelErrorCheck, "Checking Error In Error Manager");
    lastError_ = static_cast<std::uint32_t>(lastSocketError_);
    if (lastError_ == tolerated) {
        text.clear();
        return;
    }
    const auto error = static_cast<std::uint16_t>(lastError_);
    text.clear();
    GetErrorMessage(error, text);
    if (onError_) {
        onError_(*this, error, text);
    }
    throw UDPSockError(text);
}

void TUDPEndpoint::GetErrorMessage(std::uint16_t error, std::string& text) {
    if (error != 0 && text.empty()) {
        text = "Unknown Error No. " + std::to_string(error);
    }
    ReportStatus(kLevelDetail, "Looking Up Error Message" + text);
}

void TUDPEndpoint::ReportStatus(std::uint8_t level, const std::string& message) {
    if (static_cast<std::int32_t>(level) > reportLevel_) {
        return;
    }
    statusText_ = message;
    if (onStatus_) {
        onStatus_(*this, statusText_);
    }
}

}  // namespace kestrune
