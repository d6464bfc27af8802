#include "server_list/server_list_settings.h"

#include <algorithm>
#include <charconv>
#include <sys/stat.h>

#include "platform/ascii_text.h"
#include "platform/profile_file.h"

namespace kestrune {

namespace {

constexpr std::string_view kMastersSection = "Masters";
constexpr std::string_view kFavouritesSection = "Favourites";
constexpr std::string_view kRecentSection = "Recent";
// A list in the file ends here whatever follows: no file makes the list unbounded.
constexpr std::size_t kMostListEntries = 1000;
// Like the rest of the settings file: it holds passwords.
constexpr mode_t kNewSettingsFileMode = S_IRUSR | S_IWUSR;

bool SameServer(const KeptServer& a, const KeptServer& b) {
    return a.port == b.port && EqualIgnoringAsciiCase(a.host, b.host);
}

}  // namespace

std::string KeptServer::ToString() const {
    const bool ipv6 = host.find(':') != std::string::npos;
    return (ipv6 ? "[" + host + "]" : host) + ":" + std::to_string(port);
}

KeptServer KeptServerOf(const ServerAddress& address) {
    return KeptServer{address.Host(), address.port};
}

std::vector<MasterEntry> DefaultMasters() {
    std::vector<MasterEntry> masters;
    for (const char* host : {"master.quake3arena.com", "directory.ioquake3.org",
                             "master.ioquake3.org", "master.maverickservers.com",
                             "dpmaster.deathmask.net"}) {
        masters.push_back(MasterEntry{host, kDefaultMasterPort, kDefaultProtocol});
    }
    return masters;
}

std::optional<MasterEntry> ParseMasterEntry(std::string_view text) {
    text = TrimmedBlanks(text);
    const std::size_t blank = text.find_first_of(" \t");
    int protocol = kDefaultProtocol;
    if (blank != std::string_view::npos) {
        const std::string_view number = TrimmedBlanks(text.substr(blank));
        const auto [end, error] =
            std::from_chars(number.data(), number.data() + number.size(), protocol);
        if (error != std::errc() || end != number.data() + number.size() || protocol < 0) {
            return std::nullopt;
        }
        text = text.substr(0, blank);
    }
    const auto hostAndPort = ParseHostAndPort(text, kDefaultMasterPort);
    if (!hostAndPort) {
        return std::nullopt;
    }
    return MasterEntry{hostAndPort->host, hostAndPort->port, protocol};
}

std::optional<KeptServer> ParseKeptServer(std::string_view text) {
    const auto hostAndPort = ParseHostAndPort(text, kDefaultServerPort);
    if (!hostAndPort || hostAndPort->host.find_first_of(" \t") != std::string::npos) {
        return std::nullopt;
    }
    return KeptServer{hostAndPort->host, hostAndPort->port};
}

ServerListSettings::ServerListSettings(std::string settingsPath)
    : path_(std::move(settingsPath)) {}

std::vector<std::string> ServerListSettings::ReadList(std::string_view section) const {
    const ProfileFile file(path_);
    std::vector<std::string> values;
    for (std::size_t i = 1; i <= kMostListEntries; ++i) {
        const auto value = file.value(section, std::to_string(i));
        if (!value || value->empty()) {
            break;
        }
        values.push_back(*value);
    }
    return values;
}

std::vector<MasterEntry> ServerListSettings::Masters() const {
    const std::vector<std::string> lines = ReadList(kMastersSection);
    if (lines.empty()) {
        return DefaultMasters();
    }
    std::vector<MasterEntry> masters;
    for (const std::string& line : lines) {
        if (auto master = ParseMasterEntry(line)) {
            masters.push_back(std::move(*master));
        }
    }
    return masters;
}

std::vector<KeptServer> ServerListSettings::ReadServers(std::string_view section) const {
    std::vector<KeptServer> servers;
    for (const std::string& line : ReadList(section)) {
        if (auto server = ParseKeptServer(line)) {
            servers.push_back(std::move(*server));
        }
    }
    return servers;
}

std::vector<KeptServer> ServerListSettings::Favourites() const {
    return ReadServers(kFavouritesSection);
}

std::vector<KeptServer> ServerListSettings::Recent() const {
    std::vector<KeptServer> recent = ReadServers(kRecentSection);
    if (recent.size() > kMostRecentServers) {
        recent.resize(kMostRecentServers);
    }
    return recent;
}

bool ServerListSettings::WriteList(std::string_view section,
                                   const std::vector<KeptServer>& servers, std::size_t oldCount) {
    ProfileFile file(path_);
    for (std::size_t i = 0; i < servers.size(); ++i) {
        file.setValue(section, std::to_string(i + 1), servers[i].ToString());
    }
    // A shorter list ends at an empty entry; the lines after it are no longer read.
    if (oldCount > servers.size()) {
        file.setValue(section, std::to_string(servers.size() + 1), "");
    }
    return static_cast<bool>(file.save(kNewSettingsFileMode));
}

bool ServerListSettings::AddFavourite(const KeptServer& server) {
    std::vector<KeptServer> favourites = Favourites();
    const std::size_t oldCount = ReadList(kFavouritesSection).size();
    if (std::any_of(favourites.begin(), favourites.end(),
                    [&](const KeptServer& kept) { return SameServer(kept, server); })) {
        return true;
    }
    favourites.push_back(server);
    return WriteList(kFavouritesSection, favourites, oldCount);
}

bool ServerListSettings::RemoveFavourite(const KeptServer& server) {
    std::vector<KeptServer> favourites = Favourites();
    const std::size_t oldCount = ReadList(kFavouritesSection).size();
    const auto removed = std::remove_if(favourites.begin(), favourites.end(),
                                        [&](const KeptServer& kept) { return SameServer(kept, server); });
    if (removed == favourites.end()) {
        return true;
    }
    favourites.erase(removed, favourites.end());
    return WriteList(kFavouritesSection, favourites, oldCount);
}

bool ServerListSettings::ToggleFavourite(const KeptServer& server) {
    return IsFavourite(server) ? RemoveFavourite(server) : AddFavourite(server);
}

bool ServerListSettings::IsFavourite(const KeptServer& server) const {
    const std::vector<KeptServer> favourites = Favourites();
    return std::any_of(favourites.begin(), favourites.end(),
                       [&](const KeptServer& kept) { return SameServer(kept, server); });
}

bool ServerListSettings::AddRecent(const KeptServer& server) {
    std::vector<KeptServer> recent = ReadServers(kRecentSection);
    const std::size_t oldCount = ReadList(kRecentSection).size();
    std::erase_if(recent, [&](const KeptServer& kept) { return SameServer(kept, server); });
    recent.insert(recent.begin(), server);
    if (recent.size() > kMostRecentServers) {
        recent.resize(kMostRecentServers);
    }
    return WriteList(kRecentSection, recent, oldCount);
}

}  // namespace kestrune
