#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/ip_address.h"

namespace kestrune {

// The status query a game server answers: four 0xFF bytes and "getStatus", no terminator.
// The array keeps the literal's closing zero; only the first kStatusQueryLength bytes are sent.
inline constexpr char kStatusQuery[14] =
    "\xFF\xFF\xFF\xFF"
    "getStatus";
inline constexpr std::int32_t kStatusQueryLength = 13;

// How long the probe waits for an answer after sending, in milliseconds.
inline constexpr int kProbeTimeoutMs = 750;

// How long the probe waits for an answer before it queries the host's address of the other
// family too, in milliseconds.
inline constexpr int kSecondFamilyDelayMs = 250;

// Where and when the latest probe's queries went (the first, and one to the host's address of
// the other family should the first go unanswered), so that only that server's answer counts,
// the first valid one alone, and its round trip runs from the send of the query it answers (a
// name lookup before it is not counted).
class ProbeQuery {
public:
    using Clock = std::chrono::steady_clock;

    // A new probe's query left for address and port (its low 16 bits count) at sentAt; earlier
    // queries no longer count.
    void Sent(const IpAddress& address, std::int32_t port, Clock::time_point sentAt);
    // The same probe's query to its other address.
    void AlsoSent(const IpAddress& address, std::int32_t port, Clock::time_point sentAt);
    // Whether the latest probe has had its answer.
    bool Answered() const { return answered_; }
    // When a datagram from fromIP and fromPort, received at receivedAt, is the first answer to
    // one of the latest probe's queries: the round trip from that query's send. Afterwards no
    // datagram answers until the next probe. Before the first query nothing does.
    std::optional<std::chrono::microseconds> Answer(const std::string& fromIP,
                                                    std::int32_t fromPort,
                                                    Clock::time_point receivedAt);

    // A datagram to toIP:toPort found nothing listening there; it counts when a query of the
    // latest probe went there.
    void PortUnreachable(const std::string& toIP, std::int32_t toPort);
    // The latest probe's port, when its queries found nothing listening there.
    std::optional<std::uint16_t> ClosedPort() const;

private:
    struct Destination {
        IpAddress address;
        std::uint16_t port = 0;
        Clock::time_point sentAt;
        bool portClosed = false;
    };
    Destination* Find(const std::string& ip, std::int32_t port);

    std::vector<Destination> queries_;  // the latest probe's, in the order they went
    bool answered_ = false;
};

}  // namespace kestrune
