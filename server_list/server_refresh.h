#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "server_list/query_scheduler.h"
#include "server_list/server_intake.h"

namespace kestrune {

// One refresh of the list: the masters' lists read as they come, their servers taken under the
// intake's rules and asked by the scheduler; or servers the player named, asked directly. The
// caller sends what TakeDue gives, hands in every datagram and calls TakeDue each tick.
class ServerRefresh {
public:
    using TimePoint = QueryScheduler::TimePoint;
    using Duration = QueryScheduler::Duration;

    // A master whose list ends without its end mark is done once it has been silent this long.
    static constexpr Duration kMasterSilence = std::chrono::milliseconds(1500);

    struct Master {
        ServerAddress address;
        int protocol = 68;
    };

    explicit ServerRefresh(QueryScheduler scheduler = QueryScheduler{});

    // Asks each master for its list (at the next TakeDue).
    void AskMasters(const std::vector<Master>& masters, TimePoint now);
    // Asks these servers directly, no master between.
    void AskServers(const std::vector<ServerAddress>& servers);

    std::vector<QueryScheduler::Send> TakeDue(TimePoint now);
    std::optional<QueryScheduler::Answer> Received(const ServerAddress& from,
                                                   std::string_view datagram, TimePoint now);
    void Stop();

    // Settled: every master done and every server answered or given up.
    bool Settled() const;
    std::size_t Listed() const { return scheduler_.Listed(); }
    std::size_t Answered() const { return scheduler_.Answered(); }
    const ServerAddress& Server(std::size_t index) const { return scheduler_.Server(index); }
    const ServerIntake& Intake() const { return intake_; }

private:
    struct MasterState {
        Master master;
        bool asked = false;
        bool done = false;
        TimePoint lastHeard;
    };

    QueryScheduler scheduler_;
    ServerIntake intake_;
    std::vector<MasterState> masters_;
    bool stopped_ = false;
};

}  // namespace kestrune
