#include "launcher/server_details.h"

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

std::string Players(int players, std::optional<int> slots) {
    if (slots) {
        return std::to_string(players) + "/" + std::to_string(*slots) + " players";
    }
    return std::to_string(players) + (players == 1 ? " player" : " players");
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
        line.map = Shortened(DisplayText(*status->map), kMostHintCharacters);
    }
    std::vector<std::string> figures;
    if (status && status->players) {
        figures.push_back(Players(*status->players, status->slotCount));
    }
    figures.push_back(RoundTrip(roundTrip));
    line.figures = Join(figures, kSeparator);
    return line;
}

std::string ServerDetailsHint(const std::optional<ServerStatus>& status) {
    if (!status) {
        return {};
    }
    std::vector<std::string> lines;
    const auto shown = [](const std::string& bytes) {
        return Shortened(DisplayText(bytes), kMostHintCharacters);
    };
    if (status->hostName && !status->hostName->empty()) {
        lines.push_back("Host name: " + shown(*status->hostName));
    }
    if (status->gameType) {
        const int type = *status->gameType;
        lines.push_back("Game type: " + (type < static_cast<int>(kGameTypes.size())
                                             ? std::string(kGameTypes[type])
                                             : std::to_string(type)));
    }
    if (status->mod && !status->mod->empty()) {
        lines.push_back("Mod: " + shown(*status->mod));
    }
    if (status->needsPassword) {
        lines.push_back(std::string("Password needed: ") + (*status->needsPassword ? "yes" : "no"));
    }
    return Join(lines, "\n");
}

}  // namespace kestrune
