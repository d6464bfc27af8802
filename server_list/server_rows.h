#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "server_list/info_answer.h"
#include "server_list/server_address.h"

namespace kestrune {

// One answered server as the list shows it. Texts are UTF-8, colour codes removed, cut to a
// length a column can show.
struct ServerRow {
    ServerAddress address;
    std::string name;
    std::string map;
    std::string game;  // the mod, empty when the server runs none
    int humans = 0;
    std::optional<int> bots;  // unknown where the server does not tell its humans
    int slotCount = 0;
    std::optional<int> gameType;
    bool needsPassword = false;
    int pingMs = 0;

    bool operator==(const ServerRow&) const = default;
};

// The longest text a row keeps of a name, map or mod.
inline constexpr std::size_t kMostRowTextCharacters = 64;

ServerRow MakeServerRow(const ServerAddress& address, const ServerInfo& info, int pingMs);

// The mod a server's game names: none for the plain game ("baseq3" or nothing).
bool RunsMod(std::string_view game);

enum class ServerColumn { Name, Map, Players, Ping, GameType, Mod, Lock, Address, Count };

// The column's text in the chosen language: players as "humans+bots/slots" ("clients/slots"
// where the humans are not told), the lock as "yes" or nothing, the game type by name where it
// has one.
std::string ColumnText(const ServerRow& row, ServerColumn column);
std::string GameTypeName(std::optional<int> gameType);

// Whether a sorts before b in the column, ascending; texts ignore ASCII case, numbers compare as
// numbers, players by humans then bots, and ties by address, so that an order is always whole.
bool SortsBefore(const ServerRow& a, const ServerRow& b, ServerColumn column);

struct RowFilter {
    bool hideEmpty = false;     // no human players (no players at all where humans are not told)
    bool hideFull = false;      // no free slot
    bool hidePassword = false;  // a password is needed
    // Only servers running this mod ("" for the plain game); nothing: any.
    std::optional<std::string> onlyMod;
    std::string text;           // in the name, map, mod or address, ignoring ASCII case

    bool operator==(const RowFilter&) const = default;
};

bool PassesFilter(const ServerRow& row, const RowFilter& filter);

// The rows to show, in order: the indexes of the rows passing the filter, sorted by the column.
std::vector<std::size_t> ShownRows(const std::vector<ServerRow>& rows, const RowFilter& filter,
                                   ServerColumn column, bool descending);

}  // namespace kestrune
