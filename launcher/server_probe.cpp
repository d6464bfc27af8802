#include "launcher/server_probe.h"

#include "platform/host_lookup.h"

namespace kestrune {

void ProbeQuery::Sent(std::uint32_t address, std::int32_t port, Clock::time_point sentAt) {
    latest_ = Destination{address, static_cast<std::uint16_t>(port), sentAt};
}

bool ProbeQuery::IsLatest(const std::string& ip, std::int32_t port) const {
    return latest_ && port == latest_->port && ParseDottedAddress(ip) == latest_->address;
}

bool ProbeQuery::IsAnswer(const std::string& fromIP, std::int32_t fromPort) const {
    return IsLatest(fromIP, fromPort);
}

void ProbeQuery::PortUnreachable(const std::string& toIP, std::int32_t toPort) {
    if (IsLatest(toIP, toPort)) {
        latest_->portClosed = true;
    }
}

std::optional<std::uint16_t> ProbeQuery::ClosedPort() const {
    if (latest_ && latest_->portClosed) {
        return latest_->port;
    }
    return std::nullopt;
}

std::chrono::microseconds ProbeQuery::RoundTrip(Clock::time_point receivedAt) const {
    if (!latest_) {
        return {};
    }
    return std::chrono::duration_cast<std::chrono::microseconds>(receivedAt - latest_->sentAt);
}

}  // namespace kestrune
