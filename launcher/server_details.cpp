#include "launcher/server_details.h"

#include <algorithm>
#include <array>
#include <string_view>
#include <vector>

#include "launcher/display_text.h"

namespace kestrune {

namespace {

constexpr std::string_view kSeparator = ServerDetailsLine::kSeparator;
// Longer values would make a hint wider than the screen; no map name is that long.
constexpr std::size_t kMostHintCharacters = 80;

// The game types every engine of the family knows; mods number theirs beyond.
constexpr std::array<std::string_view, 8> kGameTypes = {
    "Free for all",     "Tournament",   "Single player", "Team deathmatch",
    "Capture the flag", "One flag CTF", "Overload",      "Harvester"};

std::string Join(const std::vector<std::string>& parts, std::string_view separator) {
    std::string joined;
    for (const std::string& part : parts) {
        if (!joined.empty()) {
            joined += separator;
        }
        joined += part;
    }
    return joined;
}

bool IsBot(const ServerPlayer& player) {
    return player.ping == 0;  // as server browsers tell them
}

std::string Players(const std::vector<ServerPlayer>& players, std::optional<int> slots) {
    const std::string count = std::to_string(players.size());
    std::string text = slots ? count + "/" + std::to_string(*slots) + " players"
                             : count + (players.size() == 1 ? " player" : " players");
    const auto bots = std::count_if(players.begin(), players.end(), IsBot);
    if (bots > 0) {
        text += " (" + std::to_string(bots) + (bots == 1 ? " bot)" : " bots)");
    }
    return text;
}

std::string Shown(const std::string& bytes) {
    return Shortened(DisplayText(bytes), kMostHintCharacters);
}

// "name · score · ping", highest score first (the server's order among equals), then how many
// more there are.
std::vector<std::string> PlayerLines(std::vector<ServerPlayer> players) {
    std::stable_sort(
        players.begin(), players.end(),
        [](const ServerPlayer& a, const ServerPlayer& b) { return a.score > b.score; });
    std::vector<std::string> lines;
    for (const ServerPlayer& player : players) {
        if (lines.size() == kMostPlayerLines) {
            lines.push_back("and " + std::to_string(players.size() - kMostPlayerLines) + " more");
            break;
        }
        lines.push_back(Shown(player.name) + std::string(kSeparator) +
                        std::to_string(player.score) + std::string(kSeparator) +
                        (IsBot(player) ? "bot" : std::to_string(player.ping) + " ms"));
    }
    return lines;
}

std::string RoundTrip(std::chrono::microseconds roundTrip) {
    if (roundTrip < std::chrono::milliseconds(1)) {
        return "<1 ms";
    }
    const auto ms = (roundTrip.count() + 500) / 1000;
    return std::to_string(ms) + " ms";
}

}  // namespace

ServerDetailsLine MakeServerDetailsLine(const std::optional<ServerStatus>& status,
                                        std::chrono::microseconds roundTrip) {
    ServerDetailsLine line;
    if (status && status->map) {
        line.map = Shown(*status->map);
    }
    std::vector<std::string> figures;
    if (status && status->players) {
        figures.push_back(Players(*status->players, status->slotCount));
    }
    figures.push_back(RoundTrip(roundTrip));
    line.figures = Join(figures, kSeparator);
    return line;
}

ServerDetailsLine NoGameServerLine(std::uint16_t port) {
    return {{}, "No game server on port " + std::to_string(port)};
}

std::string ServerDetailsHint(const std::optional<ServerStatus>& status,
                              std::string_view answeredFrom) {
    std::vector<std::string> lines;
    if (status && status->hostName && !status->hostName->empty()) {
        lines.push_back("Host name: " + Shown(*status->hostName));
    }
    if (!answeredFrom.empty()) {
        lines.push_back("Address: " + std::string(answeredFrom));
    }
    if (!status) {
        return Join(lines, "\n");
    }
    if (status->gameType) {
        const int type = *status->gameType;
        lines.push_back("Game type: " + (type < static_cast<int>(kGameTypes.size())
                                             ? std::string(kGameTypes[type])
                                             : std::to_string(type)));
    }
    if (status->mod && !status->mod->empty()) {
        lines.push_back("Mod: " + Shown(*status->mod));
    }
    if (status->needsPassword) {
        lines.push_back(std::string("Password needed: ") + (*status->needsPassword ? "yes" : "no"));
    }
    if (status->players) {
        const std::vector<std::string> players = PlayerLines(*status->players);
        lines.insert(lines.end(), players.begin(), players.end());
    }
    return Join(lines, "\n");
}

}  // namespace kestrune
