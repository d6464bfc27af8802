#include "server_list/info_answer.h"

#include <array>
#include <cstddef>

#include "launcher/server_status.h"
#include "platform/ascii_text.h"

namespace kestrune {

namespace {

constexpr std::string_view kMarker = "\xFF\xFF\xFF\xFF";
constexpr std::string_view kCommand = "infoResponse";
constexpr std::size_t kMostDigits = 9;

enum class Key {
    HostName,
    Map,
    Clients,
    Humans,
    Slots,
    GameType,
    NeedPass,
    Game,
    Protocol,
    Challenge,
    Count
};
constexpr std::array<std::string_view, static_cast<std::size_t>(Key::Count)> kKeys = {
    "hostname", "mapname",    "clients", "g_humanplayers", "sv_maxclients",
    "gametype", "g_needpass", "game",    "protocol",       "challenge"};

}  // namespace

std::string InfoQuery(std::string_view nonce) {
    return std::string(kMarker) + "getinfo " + std::string(nonce);
}

std::optional<ServerInfo> ParseInfoResponse(std::string_view datagram) {
    if (!datagram.starts_with(kMarker)) {
        return std::nullopt;
    }
    std::string_view rest = datagram.substr(kMarker.size());
    if (!EqualIgnoringAsciiCase(rest.substr(0, kCommand.size()), kCommand)) {
        return std::nullopt;
    }
    rest.remove_prefix(kCommand.size());
    if (!rest.empty() && rest.front() != '\n') {
        return std::nullopt;  // another command that begins alike
    }
    if (!rest.empty()) {
        rest.remove_prefix(1);
    }
    // The info string is one line; anything after its end is not read.
    rest = rest.substr(0, rest.find('\n'));
    if (!rest.empty() && rest.front() == '\\') {
        rest.remove_prefix(1);
    }
    std::array<std::optional<std::string_view>, kKeys.size()> values;
    while (!rest.empty()) {
        const std::size_t keyEnd = rest.find('\\');
        if (keyEnd == std::string_view::npos) {
            break;  // a key without a value
        }
        const std::string_view key = rest.substr(0, keyEnd);
        rest.remove_prefix(keyEnd + 1);
        const std::size_t valueEnd = rest.find('\\');
        const std::string_view value = rest.substr(0, valueEnd);
        rest.remove_prefix(valueEnd == std::string_view::npos ? rest.size() : valueEnd + 1);
        for (std::size_t k = 0; k < kKeys.size(); ++k) {
            if (!values[k] && EqualIgnoringAsciiCase(key, kKeys[k])) {
                values[k] = value;
                break;
            }
        }
    }
    const auto text = [&](Key key) {
        const auto& value = values[static_cast<std::size_t>(key)];
        return value ? WithoutColourCodes(*value) : std::string();
    };
    const auto count = [&](Key key) {
        const auto& value = values[static_cast<std::size_t>(key)];
        return value ? ParseDecimalCount(*value, kMostDigits) : std::nullopt;
    };
    ServerInfo info;
    info.hostName = text(Key::HostName);
    info.map = text(Key::Map);
    info.clients = count(Key::Clients);
    info.humans = count(Key::Humans);
    info.slotCount = count(Key::Slots);
    info.gameType = count(Key::GameType);
    info.needsPassword = count(Key::NeedPass).value_or(0) != 0;
    info.game = text(Key::Game);
    info.protocol = count(Key::Protocol);
    if (const auto& challenge = values[static_cast<std::size_t>(Key::Challenge)]) {
        info.challenge = std::string(*challenge);
    }
    return info;
}

}  // namespace kestrune
