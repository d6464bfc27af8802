#pragma once

// DRAFT INTERFACE: the UDP endpoint's owner completes this file. The members used by the
// main window (listed under "used by the probe") keep their names and signatures.

#include <QObject>

#include <cstdint>
#include <functional>
#include <span>
#include <string>

#include "platform/exception.h"

namespace kestrune {

class UDPSockError : public Exception {
    using Exception::Exception;
};

class TUDPEndpoint : public QObject {
    Q_OBJECT
public:
    using TOnReceive = std::function<void(TUDPEndpoint& sender, std::int32_t numberBytes,
                                          const std::string& fromIP, std::int32_t port)>;

    explicit TUDPEndpoint(QObject* owner = nullptr);
    ~TUDPEndpoint() override;

    // used by the probe
    void SetRemoteHost(std::string host);
    void SetRemotePort(std::int32_t port);
    void SetLocalPort(std::int32_t port);
    void SetReportLevel(std::int32_t level);
    void SetOnDataReceived(TOnReceive handler);
    void BindLocalPort();
    void SendBuffer(std::span<const char> buff, std::int32_t length);
    void ReadBuffer(std::span<char> buff, std::int32_t& length) const;
};

}  // namespace kestrune
