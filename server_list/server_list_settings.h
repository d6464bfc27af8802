#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "server_list/server_address.h"

namespace kestrune {

// A master server as the settings file names it: "host:port protocol".
struct MasterEntry {
    std::string host;
    std::uint16_t port = 27950;
    int protocol = 68;

    bool operator==(const MasterEntry&) const = default;
};

// A server the player keeps (a favourite) or started lately: "host:port" as the player had it.
struct KeptServer {
    std::string host;
    std::uint16_t port = 27960;

    bool operator==(const KeptServer&) const = default;
    std::string ToString() const;
};

inline constexpr std::uint16_t kDefaultMasterPort = 27950;
inline constexpr std::uint16_t kDefaultServerPort = 27960;
inline constexpr int kDefaultProtocol = 68;
inline constexpr std::size_t kMostRecentServers = 10;

// A listed server as the settings file keeps it.
KeptServer KeptServerOf(const ServerAddress& address);

// The masters asked when the settings file names none.
std::vector<MasterEntry> DefaultMasters();

// "host:port protocol" (port and protocol optional); nothing for a line no master can be.
std::optional<MasterEntry> ParseMasterEntry(std::string_view text);
std::optional<KeptServer> ParseKeptServer(std::string_view text);

// The server list's sections of the settings file: "[Masters]", "[Favourites]" and "[Recent]",
// each with keys "1", "2", ... up to the first missing or empty one. The masters are the
// defaults until the player writes the section; the lists are written only when they change, and
// every other line of the file is kept.
class ServerListSettings {
public:
    explicit ServerListSettings(std::string settingsPath);

    std::vector<MasterEntry> Masters() const;
    std::vector<KeptServer> Favourites() const;
    std::vector<KeptServer> Recent() const;

    // Each writes the file at once; false (and the file as it was) when it cannot be written.
    bool AddFavourite(const KeptServer& server);
    bool RemoveFavourite(const KeptServer& server);
    // Removes a favourite, else adds it.
    bool ToggleFavourite(const KeptServer& server);
    // The host's name in any case.
    bool IsFavourite(const KeptServer& server) const;
    // Puts the server first, once, keeping the latest kMostRecentServers.
    bool AddRecent(const KeptServer& server);

private:
    std::vector<std::string> ReadList(std::string_view section) const;
    bool WriteList(std::string_view section, const std::vector<KeptServer>& servers,
                   std::size_t oldCount);
    std::vector<KeptServer> ReadServers(std::string_view section) const;

    std::string path_;
};

}  // namespace kestrune
