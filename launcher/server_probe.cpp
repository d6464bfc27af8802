#include "launcher/server_probe.h"

#include "platform/host_lookup.h"

namespace kestrune {

void ProbeQuery::Sent(std::uint32_t address, std::int32_t port, Clock::time_point sentAt) {
    latest_ = Destination{address, static_cast<std::uint16_t>(port), sentAt};
}

bool ProbeQuery::IsAnswer(const std::string& fromIP, std::int32_t fromPort) const {
    return latest_ && fromPort == latest_->port && ParseDottedAddress(fromIP) == latest_->address;
}

std::chrono::microseconds ProbeQuery::RoundTrip(Clock::time_point receivedAt) const {
    if (!latest_) {
        return {};
    }
    return std::chrono::duration_cast<std::chrono::microseconds>(receivedAt - latest_->sentAt);
}

}  // namespace kestrune
