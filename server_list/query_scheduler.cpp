#include "server_list/query_scheduler.h"

#include <algorithm>
#include <random>
#include <utility>

namespace kestrune {

std::string RandomNonce() {
    thread_local std::mt19937_64 generator{std::random_device{}()};
    constexpr char kDigits[] = "0123456789abcdef";
    std::uint64_t bits = generator();
    std::string nonce(12, '0');
    for (char& digit : nonce) {
        digit = kDigits[bits & 0xF];
        bits >>= 4;
    }
    return nonce;
}

QueryScheduler::QueryScheduler(std::function<std::string()> makeNonce, int sendsPerSecond)
    : makeNonce_(makeNonce ? std::move(makeNonce) : std::function<std::string()>(RandomNonce)),
      sendInterval_(std::chrono::microseconds(1'000'000 / std::max(sendsPerSecond, 1))) {}

std::size_t QueryScheduler::Add(const ServerAddress& server) {
    const auto [place, added] = indexOf_.try_emplace(server, servers_.size());
    if (added) {
        Target target;
        target.address = server;
        servers_.push_back(std::move(target));;
    }
    return place->second;
}

QueryScheduler::Send QueryScheduler::Ask(Target& server, TimePoint now) {
    const int attempt = server.attempts++;
    server.nonces[attempt] = makeNonce_();
    server.sentAt[attempt] = now;
    server.lastSent = now;
    return Send{server.address, InfoQuery(server.nonces[attempt])};
}

std::vector<QueryScheduler::Send> QueryScheduler::TakeDue(TimePoint now) {
    std::vector<Send> due;
    // Retries and give-ups: only servers first asked kRetryAfter ago or more can have any.
    while (oldestWaiting_ < asked_.size() &&
           servers_[asked_[oldestWaiting_]].state != State::Waiting) {
        ++oldestWaiting_;
    }
    for (std::size_t i = oldestWaiting_; i < asked_.size(); ++i) {
        Target& server = servers_[asked_[i]];
        if (server.firstSent + kRetryAfter > now) {
            break;
        }
        if (server.state != State::Waiting) {
            continue;
        }
        if (now >= server.firstSent + kGiveUpAfter) {
            server.state = State::GivenUp;
            ++settled_;
        } else if (server.attempts < kMostAttempts && now >= server.lastSent + kRetryAfter) {
            due.push_back(Ask(server, now));
        }
    }
    // First questions at the pace; a pause (nothing queued, a late tick) builds no backlog
    // beyond one burst.
    if (nextQueued_ == servers_.size()) {
        nextPacedSend_.reset();
        return due;
    }
    if (!nextPacedSend_ || *nextPacedSend_ < now - sendInterval_ * (kMostBurst - 1)) {
        nextPacedSend_ = nextPacedSend_ ? now - sendInterval_ * (kMostBurst - 1) : now;
    }
    while (nextQueued_ < servers_.size() && *nextPacedSend_ <= now) {
        Target& server = servers_[nextQueued_];
        asked_.push_back(nextQueued_++);
        server.state = State::Waiting;
        server.firstSent = now;
        due.push_back(Ask(server, now));
        *nextPacedSend_ += sendInterval_;
    }
    return due;
}

std::optional<QueryScheduler::Answer> QueryScheduler::Received(const ServerAddress& from,
                                                               std::string_view datagram,
                                                               TimePoint now) {
    const auto place = indexOf_.find(from);
    if (place == indexOf_.end()) {
        return std::nullopt;
    }
    Target& server = servers_[place->second];
    if (server.state != State::Waiting) {
        return std::nullopt;
    }
    std::optional<ServerInfo> info = ParseInfoResponse(datagram);
    if (!info) {
        return std::nullopt;
    }
    for (int attempt = 0; attempt < server.attempts; ++attempt) {
        if (info->challenge == server.nonces[attempt]) {
            server.state = State::Answered;
            ++answered_;
            ++settled_;
            // The arrival is the system's stamp, the send the tick's time: never below zero.
            const Duration ping =
                std::max(Duration::zero(),
                         std::chrono::duration_cast<Duration>(now - server.sentAt[attempt]));
            return Answer{place->second, std::move(*info), ping};
        }
    }
    return std::nullopt;
}

void QueryScheduler::Stop() {
    for (Target& server : servers_) {
        if (server.state == State::Queued || server.state == State::Waiting) {
            server.state = State::GivenUp;
            ++settled_;
        }
    }
    nextQueued_ = servers_.size();
}

}  // namespace kestrune
