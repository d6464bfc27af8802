#include "server_list/server_intake.h"

namespace kestrune {

std::vector<ServerAddress> ServerIntake::Take(const std::vector<ServerAddress>& listed,
                                              const ServerAddress& master) {
    const bool masterIsLocal = ReachOf(master) == AddressReach::Local;
    std::vector<ServerAddress> taken;
    for (const ServerAddress& server : listed) {
        const AddressReach reach = ReachOf(server);
        if (reach == AddressReach::Unusable) {
            ++counts_.unusable;
        } else if (reach == AddressReach::Local && !masterIsLocal) {
            ++counts_.local;
        } else if (TakeOne(server)) {
            taken.push_back(server);
        }
    }
    return taken;
}

bool ServerIntake::TakeDirect(const ServerAddress& server) {
    return TakeOne(server);
}

bool ServerIntake::TakeOne(const ServerAddress& server) {
    if (taken_.contains(server)) {
        ++counts_.duplicates;
        return false;
    }
    if (taken_.size() >= kMostServers) {
        ++counts_.overLimit;
        return false;
    }
    taken_.insert(server);
    return true;
}

std::vector<std::string> ServerIntake::LogLines() const {
    std::vector<std::string> lines;
    const auto add = [&](std::size_t count, const char* what) {
        if (count > 0) {
            lines.push_back("Master lists: " + std::to_string(count) + " " + what);
        }
    };
    add(counts_.duplicates, "duplicate servers dropped");
    add(counts_.unusable, "servers at addresses no server can have dropped");
    add(counts_.local, "servers on local networks dropped (the master is not on one)");
    add(counts_.overLimit,
        ("servers beyond the first " + std::to_string(kMostServers) + " dropped").c_str());
    return lines;
}

}  // namespace kestrune
