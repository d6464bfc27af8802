#include "server_list/master_answer.h"

#include <optional>

namespace kestrune {

namespace {

constexpr std::string_view kMarker = "\xFF\xFF\xFF\xFF";
constexpr std::string_view kAnswer = "getserversResponse";
constexpr std::string_view kExtendedAnswer = "getserversExtResponse";
constexpr std::string_view kEndOfList("\\EOT\0\0\0", 7);
constexpr std::string_view kEndOfPiece("\\EOF\0\0\0", 7);
constexpr std::size_t kIpv4Entry = 1 + 4 + 2;
constexpr std::size_t kIpv6Entry = 1 + 16 + 2;

std::uint16_t BigEndianPort(std::string_view bytes) {
    return static_cast<std::uint16_t>(static_cast<std::uint8_t>(bytes[0]) << 8 |
                                      static_cast<std::uint8_t>(bytes[1]));
}

}  // namespace

std::string MasterQuery(int protocol, bool ipv6) {
    const std::string number = std::to_string(protocol);
    if (ipv6) {
        return std::string(kMarker) + "getserversExt Quake3Arena " + number +
               " empty full ipv4 ipv6";
    }
    return std::string(kMarker) + "getservers " + number + " empty full";
}

std::optional<MasterAnswer> ParseMasterAnswer(std::string_view datagram) {
    if (!datagram.starts_with(kMarker)) {
        return std::nullopt;
    }
    std::string_view rest = datagram.substr(kMarker.size());
    bool extended = false;
    if (rest.starts_with(kExtendedAnswer)) {
        extended = true;
        rest.remove_prefix(kExtendedAnswer.size());
    } else if (rest.starts_with(kAnswer)) {
        rest.remove_prefix(kAnswer.size());
    } else {
        return std::nullopt;
    }
    // Some masters put a line break or a blank after the command.
    while (!rest.empty() && (rest.front() == '\n' || rest.front() == ' ')) {
        rest.remove_prefix(1);
    }
    MasterAnswer answer;
    while (!rest.empty()) {
        // The marks; an entry's address may begin with the same bytes, its port not with zeros.
        if (rest.starts_with(kEndOfList)) {
            answer.endOfList = true;
            break;
        }
        if (rest.starts_with(kEndOfPiece) || rest == "\\EOT" || rest == "\\EOF") {
            break;
        }
        if (rest.front() == '\\' && rest.size() >= kIpv4Entry) {
            ServerAddress server = ServerAddress::Ipv4(
                static_cast<std::uint8_t>(rest[1]), static_cast<std::uint8_t>(rest[2]),
                static_cast<std::uint8_t>(rest[3]), static_cast<std::uint8_t>(rest[4]),
                BigEndianPort(rest.substr(5, 2)));
            answer.servers.push_back(server);
            rest.remove_prefix(kIpv4Entry);
        } else if (extended && rest.front() == '/' && rest.size() >= kIpv6Entry) {
            std::array<std::uint8_t, 16> bytes{};
            for (std::size_t i = 0; i < 16; ++i) {
                bytes[i] = static_cast<std::uint8_t>(rest[1 + i]);
            }
            // An IPv4-mapped entry is that IPv4 server: its answers come from the IPv4 address.
            answer.servers.push_back(
                ServerAddress::FromIp(IpAddress::V6(bytes), BigEndianPort(rest.substr(17, 2))));
            rest.remove_prefix(kIpv6Entry);
        } else {
            break;
        }
    }
    return answer;
}

}  // namespace kestrune
