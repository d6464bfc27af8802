#include "launcher/server_status.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <limits>
#include <utility>

#include "launcher/display_text.h"
#include "platform/ascii_text.h"

namespace kestrune {

namespace {

constexpr std::string_view kMarker = "\xFF\xFF\xFF\xFF";
constexpr std::string_view kCommand = "statusResponse";
// More digits than this is no count a server means.
constexpr std::size_t kMostDigits = 9;

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// Takes the text up to the next line break; false when the datagram ends first.
bool TakeLine(std::string_view& rest, std::string_view& line) {
    const std::size_t end = rest.find('\n');
    if (end == std::string_view::npos) {
        return false;
    }
    line = rest.substr(0, end);
    rest.remove_prefix(end + 1);
    return true;
}

// An optional minus sign and at least one digit, then the given separator. The value is held
// at an int's limits.
std::optional<int> TakeNumber(std::string_view& line, char separator) {
    const bool negative = !line.empty() && line[0] == '-';
    std::size_t i = negative ? 1 : 0;
    const std::size_t digitsStart = i;
    constexpr long long kLimit = std::numeric_limits<int>::max();
    long long value = 0;
    while (i < line.size() && IsDigit(line[i])) {
        value = std::min(value * 10 + (line[i] - '0'), kLimit + 1);
        ++i;
    }
    if (i == digitsStart || i >= line.size() || line[i] != separator) {
        return std::nullopt;
    }
    line.remove_prefix(i + 1);
    return static_cast<int>(negative ? std::max(-value, -kLimit - 1) : std::min(value, kLimit));
}

// `<score> <ping> "<name>"`
std::optional<ServerPlayer> ReadPlayerLine(std::string_view line) {
    const auto score = TakeNumber(line, ' ');
    const auto ping = score ? TakeNumber(line, ' ') : std::nullopt;
    if (!ping || line.size() < 2 || line.front() != '"' || line.back() != '"') {
        return std::nullopt;
    }
    return ServerPlayer{WithoutColourCodes(line.substr(1, line.size() - 2)), *score, *ping};
}

enum class Key { HostName, Map, Slots, GameType, FsGame, GameName, NeedPass, Count };

constexpr std::array<std::string_view, static_cast<std::size_t>(Key::Count)> kKeys = {
    "sv_hostname", "mapname", "sv_maxclients", "g_gametype", "fs_game", "gamename", "g_needpass"};

// The first value of each key the settings line holds. A value counts only when a "\" or the
// line's end closes it, so a datagram cut short never gives half a value.
std::array<std::optional<std::string_view>, kKeys.size()> ReadSettings(std::string_view line,
                                                                       bool lineEnded) {
    std::array<std::optional<std::string_view>, kKeys.size()> values;
    if (!line.empty() && line[0] == '\\') {
        line.remove_prefix(1);
    }
    while (!line.empty()) {
        const std::size_t keyEnd = line.find('\\');
        if (keyEnd == std::string_view::npos) {
            break;  // a key without a value
        }
        const std::string_view key = line.substr(0, keyEnd);
        line.remove_prefix(keyEnd + 1);
        const std::size_t valueEnd = line.find('\\');
        if (valueEnd == std::string_view::npos && !lineEnded) {
            break;
        }
        const std::string_view value = line.substr(0, valueEnd);
        line.remove_prefix(valueEnd == std::string_view::npos ? line.size() : valueEnd + 1);
        for (std::size_t k = 0; k < kKeys.size(); ++k) {
            if (!values[k] && EqualIgnoringAsciiCase(key, kKeys[k])) {
                values[k] = value;
                break;
            }
        }
    }
    return values;
}

}  // namespace

std::string WithoutColourCodes(std::string_view text) {
    std::string shown;
    shown.reserve(text.size());
    std::size_t i = 0;
    while (i < text.size()) {
        const char c = text[i];
        if (c == '^' && i + 1 < text.size() && text[i + 1] != '^') {
            // The code's character may be a whole UTF-8 sequence; a lone "^" at the end stays.
            i += 1 + std::max<std::size_t>(Utf8SequenceLength(text.substr(i + 1)), 1);
            continue;
        }
        if (static_cast<unsigned char>(c) >= 0x20 && c != 0x7F) {
            shown.push_back(c);
        }
        ++i;
    }
    return shown;
}

std::optional<ServerStatus> ParseStatusResponse(std::string_view datagram, bool cutShort) {
    if (!datagram.starts_with(kMarker)) {
        return std::nullopt;
    }
    std::string_view rest = datagram.substr(kMarker.size());
    if (!EqualIgnoringAsciiCase(rest.substr(0, kCommand.size()), kCommand)) {
        return std::nullopt;
    }
    rest.remove_prefix(kCommand.size());
    ServerStatus status;
    if (rest.empty()) {
        return status;  // the command alone: an answer, with nothing to read
    }
    if (rest.front() != '\n') {
        return std::nullopt;  // another command that begins alike
    }
    rest.remove_prefix(1);

    std::string_view settingsLine;
    const bool lineEnded = TakeLine(rest, settingsLine);
    if (!lineEnded) {
        settingsLine = rest;
        rest = {};
    }
    const auto values = ReadSettings(settingsLine, lineEnded);
    const auto value = [&](Key key) { return values[static_cast<std::size_t>(key)]; };
    if (const auto name = value(Key::HostName)) {
        status.hostName = WithoutColourCodes(*name);
    }
    if (const auto map = value(Key::Map)) {
        status.map = WithoutColourCodes(*map);
    }
    if (const auto slots = value(Key::Slots)) {
        status.slotCount = ParseDecimalCount(*slots, kMostDigits);
    }
    if (const auto gameType = value(Key::GameType)) {
        status.gameType = ParseDecimalCount(*gameType, kMostDigits);
    }
    // Servers that keep fs_game to themselves still name their game.
    const auto fsGame = value(Key::FsGame);
    const auto mod = (fsGame && !fsGame->empty()) ? fsGame : value(Key::GameName);
    if (mod) {
        status.mod = WithoutColourCodes(*mod);
    }
    if (const auto needPass = value(Key::NeedPass)) {
        if (const auto flag = ParseDecimalCount(*needPass, kMostDigits)) {
            status.needsPassword = *flag != 0;
        }
    }
    if (lineEnded && !cutShort) {
        std::vector<ServerPlayer> players;
        std::string_view line;
        while (TakeLine(rest, line)) {
            if (auto player = ReadPlayerLine(line)) {
                players.push_back(std::move(*player));
            }
        }
        status.players = std::move(players);
    }
    return status;
}

}  // namespace kestrune
