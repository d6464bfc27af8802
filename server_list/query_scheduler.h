#pragma once

#include <chrono>
#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "server_list/info_answer.h"
#include "server_list/server_address.h"

namespace kestrune {

// Asks every server of a refresh for its info, on a clock the caller gives (so that tests run it
// on a simulated one):
// - first questions go out at a steady pace (kSendsPerSecond), never in one burst, so that the
//   answers do not queue at the player's line or in the socket and each ping stays the server's;
// - an unanswered server is asked again kRetryAfter after each question and given up
//   kGiveUpAfter after the first, so it sees at most kMostAttempts datagrams;
// - each question carries a fresh nonce; an answer counts only from the server's own address and
//   port, echoing a nonce of that server still waiting, and only once. Its ping is the round trip
//   of the question it echoes.
class QueryScheduler {
public:
    using Clock = std::chrono::steady_clock;
    using TimePoint = Clock::time_point;
    using Duration = std::chrono::microseconds;

    // 1,000 first questions a second: answers of about 0.5 to 1 kB each come back at 4 to
    // 8 Mbit/s at most, which a player's line carries without queueing them, and 2,000 servers
    // are all asked within 2 s.
    static constexpr int kSendsPerSecond = 1000;
    // A late tick sends what it owes, but no more than this at once.
    static constexpr int kMostBurst = 8;
    static constexpr Duration kRetryAfter = std::chrono::milliseconds(500);
    static constexpr Duration kGiveUpAfter = std::chrono::milliseconds(1500);
    static constexpr int kMostAttempts = 3;

    // makeNonce gives each question's nonce (fresh random tokens unless a test gives its own).
    explicit QueryScheduler(std::function<std::string()> makeNonce = {},
                            int sendsPerSecond = kSendsPerSecond);

    struct Send {
        ServerAddress to;
        std::string datagram;
    };
    struct Answer {
        std::size_t server;  // the index Add gave
        ServerInfo info;
        Duration ping;
    };

    // Queues a server; gives its index. A server already queued keeps its first index.
    std::size_t Add(const ServerAddress& server);
    // The questions due at now: retries, then first questions as far as the pace allows.
    std::vector<Send> TakeDue(TimePoint now);
    // How often TakeDue wants to be called while the refresh runs: retries and give-ups are
    // then on time to a tick.
    static constexpr Duration kTick = std::chrono::milliseconds(1);
    // A datagram from from, read at now: the answer it is, or nothing.
    std::optional<Answer> Received(const ServerAddress& from, std::string_view datagram,
                                   TimePoint now);
    // Nothing more is sent; every waiting server counts as given up.
    void Stop();

    const ServerAddress& Server(std::size_t index) const { return servers_[index].address; }
    std::size_t Listed() const { return servers_.size(); }
    std::size_t Answered() const { return answered_; }
    // Every server has answered or been given up.
    bool Settled() const { return settled_ == servers_.size(); }

private:
    enum class State { Queued, Waiting, Answered, GivenUp };
    struct Target {
        ServerAddress address;
        State state = State::Queued;
        int attempts = 0;
        TimePoint firstSent;
        TimePoint lastSent;
        std::string nonces[kMostAttempts];
        TimePoint sentAt[kMostAttempts];
    };

    Send Ask(Target& server, TimePoint now);
    void GiveUpExpired(TimePoint now);

    std::function<std::string()> makeNonce_;
    Duration sendInterval_;
    std::vector<Target> servers_;
    std::unordered_map<ServerAddress, std::size_t, ServerAddressHash> indexOf_;
    std::size_t nextQueued_ = 0;
    // The servers asked, in the order of their first question: their retries and give-ups fall
    // due in the same order.
    std::vector<std::size_t> asked_;
    std::size_t oldestWaiting_ = 0;  // in asked_
    std::optional<TimePoint> nextPacedSend_;
    std::size_t answered_ = 0;
    std::size_t settled_ = 0;
};

// A fresh, unguessable nonce: 12 hexadecimal digits.
std::string RandomNonce();

}  // namespace kestrune
