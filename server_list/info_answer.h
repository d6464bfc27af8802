#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace kestrune {

// The question for a server's info, with the nonce it must echo.
std::string InfoQuery(std::string_view nonce);

// What a server's info answer tells. Texts are the server's bytes, colour codes removed; a count
// is present only when it reads as one.
struct ServerInfo {
    std::string hostName;  // hostname
    std::string map;       // mapname
    std::optional<int> clients;
    std::optional<int> humans;  // g_humanplayers; servers that keep it to themselves have none
    std::optional<int> slotCount;   // sv_maxclients
    std::optional<int> gameType;
    bool needsPassword = false;  // g_needpass
    std::string game;            // the mod, empty for none
    std::optional<int> protocol;
    std::string challenge;  // the nonce echoed, as sent

    bool operator==(const ServerInfo&) const = default;
};

// Reads "\xFF\xFF\xFF\xFFinfoResponse\n" and the info string (\key\value pairs; keys compared
// ignoring case, the first of equal keys counts). Nothing when the datagram is no such answer.
std::optional<ServerInfo> ParseInfoResponse(std::string_view datagram);

}  // namespace kestrune
