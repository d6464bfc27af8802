#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace kestrune {

// What a game server's status answer tells a player before joining. Each item is present only
// when the answer held it in readable form; texts are the server's bytes, colour codes removed.
struct ServerStatus {
    std::optional<std::string> hostName;  // sv_hostname
    std::optional<std::string> map;       // mapname
    std::optional<int> players;           // player lines; known once the settings line has ended
    std::optional<int> slotCount;         // sv_maxclients
    std::optional<int> gameType;          // g_gametype
    std::optional<std::string> mod;       // fs_game, or gamename when that is missing or empty
    std::optional<bool> needsPassword;    // g_needpass

    bool operator==(const ServerStatus&) const = default;
};

// Reads the answer to the status query: four 0xFF bytes, "statusResponse", a line break, the
// settings as \key\value pairs on one line (keys compared ignoring case, the first of equal keys
// counts), then one line `<score> <ping> "<name>"` per player. Nothing when the datagram is not
// such an answer. Works in one pass over the bytes given and reads nothing past them.
std::optional<ServerStatus> ParseStatusResponse(std::string_view datagram);

// The text without colour codes (a "^" and the character after it, unless that is another "^")
// and without control characters.
std::string WithoutColourCodes(std::string_view text);

}  // namespace kestrune
