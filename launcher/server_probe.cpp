#include "launcher/server_probe.h"

#include <algorithm>

#include "platform/host_lookup.h"

namespace kestrune {

namespace {

// The endpoint names senders as dotted IPv4 or as IPv6 text; dotted text is read as the classic
// parser reads it, as queries are addressed.
std::optional<IpAddress> AddressOf(const std::string& text) {
    if (text.find(':') != std::string::npos) {
        return ParseIpAddress(text);
    }
    const std::uint32_t dotted = ParseDottedAddress(text);
    if (dotted == kNoDottedAddress) {
        return std::nullopt;
    }
    return IpAddress::V4(dotted);
}

}  // namespace

void ProbeQuery::Sent(const IpAddress& address, std::int32_t port, Clock::time_point sentAt) {
    queries_.clear();
    answered_ = false;
    AlsoSent(address, port, sentAt);
}

void ProbeQuery::AlsoSent(const IpAddress& address, std::int32_t port, Clock::time_point sentAt) {
    queries_.push_back({address, static_cast<std::uint16_t>(port), sentAt});
}

ProbeQuery::Destination* ProbeQuery::Find(const std::string& ip, std::int32_t port) {
    const std::optional<IpAddress> address = AddressOf(ip);
    if (!address) {
        return nullptr;
    }
    const auto found = std::find_if(queries_.begin(), queries_.end(), [&](const Destination& d) {
        return port == d.port && *address == d.address;
    });
    return found == queries_.end() ? nullptr : &*found;
}

std::optional<std::chrono::microseconds> ProbeQuery::Answer(const std::string& fromIP,
                                                            std::int32_t fromPort,
                                                            Clock::time_point receivedAt) {
    if (answered_) {
        return std::nullopt;
    }
    const Destination* query = Find(fromIP, fromPort);
    if (query == nullptr) {
        return std::nullopt;
    }
    answered_ = true;
    return std::chrono::duration_cast<std::chrono::microseconds>(receivedAt - query->sentAt);
}

void ProbeQuery::PortUnreachable(const std::string& toIP, std::int32_t toPort) {
    if (Destination* query = Find(toIP, toPort)) {
        query->portClosed = true;
    }
}

std::optional<std::uint16_t> ProbeQuery::ClosedPort() const {
    const auto closed = std::find_if(queries_.begin(), queries_.end(),
                                     [](const Destination& d) { return d.portClosed; });
    if (closed == queries_.end()) {
        return std::nullopt;
    }
    return closed->port;
}

}  // namespace kestrune
