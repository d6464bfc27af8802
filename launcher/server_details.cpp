#include "launcher/server_details.h"

#include <algorithm>
#include <array>
#include <string_view>
#include <vector>

#include "i18n/translate.h"
#include "launcher/display_text.h"

namespace kestrune {

namespace {

constexpr std::string_view kSeparator = ServerDetailsLine::kSeparator;
// Longer values would make a hint wider than the screen; no map name is that long.
constexpr std::size_t kMostHintCharacters = 80;

// The game types every engine of the family knows; mods number theirs beyond.
constexpr std::array<const char*, 8> kGameTypes = {
    N_("Free for all"),     N_("Tournament"),   N_("Single player"), N_("Team deathmatch"),
    N_("Capture the flag"), N_("One flag CTF"), N_("Overload"),      N_("Harvester")};

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
    const auto bots = static_cast<unsigned long>(std::count_if(players.begin(), players.end(), IsBot));
    const std::string botCount = std::to_string(bots);
    // TRANSLATORS: %1 players of %2 slots; reads e.g. "3/16 players".
    std::string text = slots ? Format(Tr("%1/%2 players"), {count, std::to_string(*slots)})
                             : Format(TrN("%1 player", "%1 players", players.size()), {count});
    if (bots > 0) {
        // TRANSLATORS: the players, then how many of them are bots: "3 players (1 bot)".
        text = Format(TrN("%1 (%2 bot)", "%1 (%2 bots)", bots), {text, botCount});
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
            const std::size_t more = players.size() - kMostPlayerLines;
            // TRANSLATORS: the players the list has no room for.
            lines.push_back(Format(TrN("and %1 more", "and %1 more", more), {std::to_string(more)}));
            break;
        }
        lines.push_back(Shown(player.name) + std::string(kSeparator) +
                        std::to_string(player.score) + std::string(kSeparator) +
                        (IsBot(player) ? std::string(Tr("bot"))
                                       : Format(Tr("%1 ms"), {std::to_string(player.ping)})));
    }
    return lines;
}

std::string RoundTrip(std::chrono::microseconds roundTrip) {
    if (roundTrip < std::chrono::milliseconds(1)) {
        return std::string(Tr("<1 ms"));
    }
    const auto ms = (roundTrip.count() + 500) / 1000;
    return Format(Tr("%1 ms"), {std::to_string(ms)});
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
    return {{}, Format(Tr("No game server on port %1"), {std::to_string(port)})};
}

std::string ServerDetailsHint(const std::optional<ServerStatus>& status,
                              std::string_view answeredFrom) {
    std::vector<std::string> lines;
    if (status && status->hostName && !status->hostName->empty()) {
        lines.push_back(Format(Tr("Host name: %1"), {Shown(*status->hostName)}));
    }
    if (!answeredFrom.empty()) {
        lines.push_back(Format(Tr("Address: %1"), {answeredFrom}));
    }
    if (!status) {
        return Join(lines, "\n");
    }
    if (status->gameType) {
        const int type = *status->gameType;
        const std::string name = type >= 0 && type < static_cast<int>(kGameTypes.size())
                                     ? std::string(Tr(kGameTypes[type]))
                                     : std::to_string(type);
        lines.push_back(Format(Tr("Game type: %1"), {name}));
    }
    if (status->mod && !status->mod->empty()) {
        lines.push_back(Format(Tr("Mod: %1"), {Shown(*status->mod)}));
    }
    if (status->needsPassword) {
        lines.push_back(*status->needsPassword ? std::string(Tr("Password needed: yes"))
                                               : std::string(Tr("Password needed: no")));
    }
    if (status->players) {
        const std::vector<std::string> players = PlayerLines(*status->players);
        lines.insert(lines.end(), players.begin(), players.end());
    }
    return Join(lines, "\n");
}

}  // namespace kestrune
