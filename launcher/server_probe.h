#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>

namespace kestrune {

// The status query a game server answers: four 0xFF bytes and "getStatus", no terminator.
// The array keeps the literal's closing zero; only the first kStatusQueryLength bytes are sent.
inline constexpr char kStatusQuery[14] =
    "\xFF\xFF\xFF\xFF"
    "getStatus";
inline constexpr std::int32_t kStatusQueryLength = 13;

// How long the probe waits for an answer after sending, in milliseconds.
inline constexpr int kProbeTimeoutMs = 750;

// Where and when the latest query went, so that only that server's answer counts and the round
// trip runs from the send itself (a name lookup before it is not counted).
class ProbeQuery {
public:
    using Clock = std::chrono::steady_clock;

    // A query left for address (network byte order) and port (its low 16 bits count) at sentAt.
    void Sent(std::uint32_t address, std::int32_t port, Clock::time_point sentAt);
    // Whether a datagram from fromIP and fromPort comes from where the latest query went. Before
    // the first query nothing does.
    bool IsAnswer(const std::string& fromIP, std::int32_t fromPort) const;
    // The time from the latest query's send to receivedAt.
    std::chrono::microseconds RoundTrip(Clock::time_point receivedAt) const;

    // A datagram to toIP:toPort found nothing listening there; it counts when that is where the
    // latest query went.
    void PortUnreachable(const std::string& toIP, std::int32_t toPort);
    // The latest query's port, when the query found nothing listening there.
    std::optional<std::uint16_t> ClosedPort() const;

private:
    struct Destination {
        std::uint32_t address = 0;
        std::uint16_t port = 0;
        Clock::time_point sentAt;
        bool portClosed = false;
    };
    bool IsLatest(const std::string& ip, std::int32_t port) const;

    std::optional<Destination> latest_;
};

}  // namespace kestrune
