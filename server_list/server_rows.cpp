#include "server_list/server_rows.h"

#include <algorithm>
#include <array>
#include <tuple>

#include "i18n/translate.h"
#include "launcher/display_text.h"
#include "platform/ascii_text.h"

namespace kestrune {

namespace {

std::string Lowered(std::string_view text) {
    std::string lowered(text);
    std::transform(lowered.begin(), lowered.end(), lowered.begin(), AsciiLower);
    return lowered;
}

// -1, 0 or 1 as a sorts before, with or after b ignoring ASCII case.
int CompareText(std::string_view a, std::string_view b) {
    const std::size_t common = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < common; ++i) {
        const char x = AsciiLower(a[i]), y = AsciiLower(b[i]);
        if (x != y) {
            return static_cast<unsigned char>(x) < static_cast<unsigned char>(y) ? -1 : 1;
        }
    }
    return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

template <typename T>
int Compare(const T& a, const T& b) {
    return a < b ? -1 : (b < a ? 1 : 0);
}

std::string RowText(std::string_view bytes) {
    return Shortened(DisplayText(bytes), kMostRowTextCharacters);
}

// Shown through Tr: the first eight are the game's own, the others its mods'.
constexpr std::array<const char*, 13> kGameTypeNames = {
    N_("Free for all"),      N_("Tournament"),        N_("Single player"), N_("Team deathmatch"),
    N_("Capture the flag"),  N_("One flag CTF"),      N_("Overload"),      N_("Harvester"),
    N_("Elimination"),       N_("CTF elimination"),   N_("Last man standing"),
    N_("Double domination"), N_("Domination")};

}  // namespace

bool RunsMod(std::string_view game) {
    return !game.empty() && !EqualIgnoringAsciiCase(game, "baseq3");
}

ServerRow MakeServerRow(const ServerAddress& address, const ServerInfo& info, int pingMs) {
    ServerRow row;
    row.address = address;
    row.name = RowText(info.hostName);
    row.map = RowText(info.map);
    row.game = RunsMod(info.game) ? RowText(info.game) : std::string();
    const int clients = std::max(info.clients.value_or(0), 0);
    if (info.humans) {
        row.humans = std::min(*info.humans, clients);
        row.bots = clients - row.humans;
    } else {
        row.humans = clients;
    }
    row.slotCount = info.slotCount.value_or(0);
    row.gameType = info.gameType;
    row.needsPassword = info.needsPassword;
    row.pingMs = pingMs;
    return row;
}

std::string GameTypeName(std::optional<int> gameType) {
    if (!gameType) {
        return {};
    }
    if (*gameType >= 0 && *gameType < static_cast<int>(kGameTypeNames.size())) {
        return std::string(Tr(kGameTypeNames[static_cast<std::size_t>(*gameType)]));
    }
    return std::to_string(*gameType);
}

std::string ColumnText(const ServerRow& row, ServerColumn column) {
    switch (column) {
        case ServerColumn::Name:
            return row.name;
        case ServerColumn::Map:
            return row.map;
        case ServerColumn::Players:
            if (row.bots) {
                return std::to_string(row.humans) + "+" + std::to_string(*row.bots) + "/" +
                       std::to_string(row.slotCount);
            }
            return std::to_string(row.humans) + "/" + std::to_string(row.slotCount);
        case ServerColumn::Ping:
            return std::to_string(row.pingMs);
        case ServerColumn::GameType:
            return GameTypeName(row.gameType);
        case ServerColumn::Mod:
            return row.game;
        case ServerColumn::Lock:
            // TRANSLATORS: the server list's Lock column, for a server that needs a password.
            return row.needsPassword ? std::string(Tr("yes")) : std::string();
        case ServerColumn::Address:
            return row.address.ToString();
        case ServerColumn::Count:
            break;
    }
    return {};
}

bool SortsBefore(const ServerRow& a, const ServerRow& b, ServerColumn column) {
    int order = 0;
    switch (column) {
        case ServerColumn::Name:
            order = CompareText(a.name, b.name);
            break;
        case ServerColumn::Map:
            order = CompareText(a.map, b.map);
            break;
        case ServerColumn::Players:
            order = Compare(std::tuple(a.humans, a.bots.value_or(0), a.slotCount),
                            std::tuple(b.humans, b.bots.value_or(0), b.slotCount));
            break;
        case ServerColumn::Ping:
            order = Compare(a.pingMs, b.pingMs);
            break;
        case ServerColumn::GameType:
            order = Compare(a.gameType.value_or(-1), b.gameType.value_or(-1));
            break;
        case ServerColumn::Mod:
            order = CompareText(a.game, b.game);
            break;
        case ServerColumn::Lock:
            order = Compare(a.needsPassword, b.needsPassword);
            break;
        case ServerColumn::Address:
        case ServerColumn::Count:
            break;
    }
    return order != 0 ? order < 0 : a.address < b.address;
}

bool PassesFilter(const ServerRow& row, const RowFilter& filter) {
    if (filter.hideEmpty && row.humans == 0) {
        return false;
    }
    if (filter.hideFull && row.slotCount > 0 && row.humans + row.bots.value_or(0) >= row.slotCount) {
        return false;
    }
    if (filter.hidePassword && row.needsPassword) {
        return false;
    }
    if (filter.onlyMod && !EqualIgnoringAsciiCase(row.game, RunsMod(*filter.onlyMod) ? *filter.onlyMod
                                                                                : "")) {
        return false;
    }
    if (!filter.text.empty()) {
        const std::string wanted = Lowered(filter.text);
        const auto holds = [&](std::string_view text) {
            return Lowered(text).find(wanted) != std::string::npos;
        };
        return holds(row.name) || holds(row.map) || holds(row.game) ||
               holds(row.address.ToString());
    }
    return true;
}

std::vector<std::size_t> ShownRows(const std::vector<ServerRow>& rows, const RowFilter& filter,
                                   ServerColumn column, bool descending) {
    std::vector<std::size_t> shown;
    shown.reserve(rows.size());
    for (std::size_t i = 0; i < rows.size(); ++i) {
        if (PassesFilter(rows[i], filter)) {
            shown.push_back(i);
        }
    }
    std::sort(shown.begin(), shown.end(), [&](std::size_t a, std::size_t b) {
        return descending ? SortsBefore(rows[b], rows[a], column)
                          : SortsBefore(rows[a], rows[b], column);
    });
    return shown;
}

}  // namespace kestrune
