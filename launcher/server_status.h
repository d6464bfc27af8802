#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kestrune {

// One player line of the answer.
struct ServerPlayer {
    std::string name;  // colour codes removed
    int score = 0;     // numbers beyond an int's range are held at its limits
    int ping = 0;      // in ms; 0 for a bot

    bool operator==(const ServerPlayer&) const = default;
};

// What a game server's status answer tells a player before joining. Each item is present only
// when the answer held it in readable form; texts are the server's bytes, colour codes removed.
struct ServerStatus {
    std::optional<std::string> hostName;  // sv_hostname
    std::optional<std::string> map;       // mapname
    // The player lines, in the answer's order; known only when the settings line has ended and
    // the datagram came whole.
    std::optional<std::vector<ServerPlayer>> players;
    std::optional<int> slotCount;       // sv_maxclients
    std::optional<int> gameType;        // g_gametype
    std::optional<std::string> mod;     // fs_game, or gamename when that is missing or empty
    std::optional<bool> needsPassword;  // g_needpass

    bool operator==(const ServerStatus&) const = default;
};

// Reads the answer to the status query: four 0xFF bytes, "statusResponse", a line break, the
// settings as \key\value pairs on one line (keys compared ignoring case, the first of equal keys
// counts), then one line `<score> <ping> "<name>"` per player. Nothing when the datagram is not
// such an answer. Works in one pass over the bytes given and reads nothing past them. A datagram
// that the system cut short gives no players: their count would be wrong.
std::optional<ServerStatus> ParseStatusResponse(std::string_view datagram, bool cutShort = false);

// The text without colour codes (a "^" and the character after it, unless that is another "^")
// and without control characters.
std::string WithoutColourCodes(std::string_view text);

}  // namespace kestrune
