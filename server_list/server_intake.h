#pragma once

#include <cstddef>
#include <string>
#include <unordered_set>
#include <vector>

#include "server_list/server_address.h"

namespace kestrune {

// How many of a refresh's listed servers each rule dropped.
struct IntakeCounts {
    std::size_t duplicates = 0;
    std::size_t unusable = 0;    // 0.0.0.0/8, multicast, broadcast, port 0
    std::size_t local = 0;       // loopback, private, link-local from a master that is not
    std::size_t overLimit = 0;   // beyond the refresh's most servers

    bool operator==(const IntakeCounts&) const = default;
};

// Takes the servers that masters list, so that a hostile master cannot aim the refresh at
// anyone: each server once, none at an address no server can have, none on the player's own
// networks unless the master is there too, at most kMostServers in all. With the scheduler's three
// datagrams a server, no listed address gets more than three a refresh.
class ServerIntake {
public:
    static constexpr std::size_t kMostServers = 10'000;

    // The listed servers that are new and pass the rules, in their order.
    std::vector<ServerAddress> Take(const std::vector<ServerAddress>& listed,
                                    const ServerAddress& master);
    // A server the player named (a favourite, a recent one): only the duplicates and the limit
    // apply.
    bool TakeDirect(const ServerAddress& server);

    std::size_t Taken() const { return taken_.size(); }
    const IntakeCounts& Counts() const { return counts_; }
    // One line per rule that dropped something, e.g. "Master lists: 12 duplicate servers
    // dropped".
    std::vector<std::string> LogLines() const;

private:
    bool TakeOne(const ServerAddress& server);

    std::unordered_set<ServerAddress, ServerAddressHash> taken_;
    IntakeCounts counts_;
};

}  // namespace kestrune
