#include "server_list/server_refresh.h"

#include <utility>

#include "server_list/master_answer.h"

namespace kestrune {

ServerRefresh::ServerRefresh(QueryScheduler scheduler) : scheduler_(std::move(scheduler)) {}

void ServerRefresh::AskMasters(const std::vector<Master>& masters, TimePoint now) {
    for (const Master& master : masters) {
        masters_.push_back(MasterState{master, false, false, now});
    }
}

void ServerRefresh::AskServers(const std::vector<ServerAddress>& servers) {
    for (const ServerAddress& server : servers) {
        if (ReachOf(server) != AddressReach::Unusable && intake_.TakeDirect(server)) {
            scheduler_.Add(server);
        }
    }
}

std::vector<QueryScheduler::Send> ServerRefresh::TakeDue(TimePoint now) {
    std::vector<QueryScheduler::Send> due;
    for (MasterState& state : masters_) {
        if (!state.asked) {
            state.asked = true;
            state.lastHeard = now;
            due.push_back({state.master.address,
                           MasterQuery(state.master.protocol, state.master.address.ipv6)});
        } else if (!state.done && now - state.lastHeard >= kMasterSilence) {
            state.done = true;
        }
    }
    std::vector<QueryScheduler::Send> questions = scheduler_.TakeDue(now);
    due.insert(due.end(), std::make_move_iterator(questions.begin()),
               std::make_move_iterator(questions.end()));
    return due;
}

std::optional<QueryScheduler::Answer> ServerRefresh::Received(const ServerAddress& from,
                                                              std::string_view datagram,
                                                              TimePoint now) {
    if (stopped_) {
        return std::nullopt;
    }
    for (MasterState& state : masters_) {
        if (!state.asked || state.master.address != from) {
            continue;
        }
        const std::optional<MasterAnswer> answer = ParseMasterAnswer(datagram);
        if (!answer) {
            return std::nullopt;
        }
        // A list keeps coming after its end mark from masters that put one on every piece.
        state.lastHeard = now;
        state.done = state.done || answer->endOfList;
        for (const ServerAddress& server : intake_.Take(answer->servers, from)) {
            scheduler_.Add(server);
        }
        return std::nullopt;
    }
    return scheduler_.Received(from, datagram, now);
}

void ServerRefresh::Stop() {
    stopped_ = true;
    for (MasterState& state : masters_) {
        state.asked = true;
        state.done = true;
    }
    scheduler_.Stop();
}

bool ServerRefresh::Settled() const {
    for (const MasterState& state : masters_) {
        if (!state.done) {
            return false;
        }
    }
    return scheduler_.Settled();
}

}  // namespace kestrune
