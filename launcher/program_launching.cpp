#include "launcher/program_launching.h"

#include <cstddef>

#include "launcher/server_address.h"
#include "launcher/stored_text.h"
#include "platform/command_line.h"
#include "platform/path_separators.h"
#include "platform/program_start.h"

namespace kestrune {

namespace {

constexpr int kModsGameType = 1;  // "Q3 Mods"

// What a URL may hold as it is, in a user name, a password and a query value alike: letters,
// digits, "-._~" and the sub-delimiters but "&" and "+", which a query's reader takes for a
// separator and a blank.
bool KeptInUrl(unsigned char byte) {
    constexpr std::string_view kKept = "-._~!$'()*,;=";
    return (byte >= 'a' && byte <= 'z') || (byte >= 'A' && byte <= 'Z') ||
           (byte >= '0' && byte <= '9') || kKept.find(static_cast<char>(byte)) != kKept.npos;
}

// A field's text as the player sees it, in UTF-8 (what a URL's percent-encoding stands for),
// with every byte a URL may not hold as it is written as "%" and two hex digits.
std::string UrlEncoded(std::string_view stored) {
    constexpr std::string_view kHexDigits = "0123456789ABCDEF";
    std::string encoded;
    for (const char c : EncodeText(DecodeStoredText(stored), TextEncoding::Utf8)) {
        const auto byte = static_cast<unsigned char>(c);
        if (KeptInUrl(byte)) {
            encoded.push_back(c);
        } else {
            encoded += '%';
            encoded += kHexDigits[byte >> 4];
            encoded += kHexDigits[byte & 0x0F];
        }
    }
    return encoded;
}

std::string FileNamePart(std::string_view path) {
    const auto separator = path.find_last_of(kPathSeparators);
    return std::string(separator == std::string_view::npos ? path : path.substr(separator + 1));
}

// The file name in a path, for telling programs apart: lower-case, without a trailing ".exe".
std::string ProgramName(std::string_view path) {
    std::string name = FileNamePart(path);
    for (char& c : name) {
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
    }
    if (name.ends_with(".exe")) {
        name.resize(name.size() - 4);
    }
    return name;
}

}  // namespace

LaunchResult RunProgram(std::string_view file, std::string_view parameters,
                        std::string_view directory, std::string_view chosenExecutable) {
#ifdef _WIN32
    // The shell opens the named file; Windows installs carry it.
    (void)chosenExecutable;
    return StartProgram(file, parameters, directory);
#else
    return StartProgram(file, parameters, directory, chosenExecutable);
#endif
}

LauncherSettings SystemTexts(const LauncherSettings& settings) {
    LauncherSettings texts = settings;
    for (std::string* text : {&texts.TSExecutable, &texts.TSServer, &texts.TSPort, &texts.TSNick,
                              &texts.TSLogin, &texts.TSPassword, &texts.Q3Executable,
                              &texts.Q3Server, &texts.Q3Port, &texts.Q3Password}) {
        *text = SystemText(*text);
    }
    return texts;
}

std::string GameParameters(const LauncherSettings& settings, std::string_view modText) {
    // A name goes as typed, for the engine to resolve its own way; IPv6 in brackets.
    const ServerField server = SplitServerField(settings.Q3Server);
    std::string parameters = "+connect ";
    parameters += HostBeforePort(server.host);
    parameters += ':';
    parameters += server.port.empty() ? settings.Q3Port : server.port;
    // Always present, even for an empty password.
    parameters += " +password ";
    parameters += settings.Q3Password;
    if (settings.Q3Game == kModsGameType) {
        parameters += " +set fs_game ";
        parameters += modText;
    }
    return parameters;
}

std::string TeamSpeakAddress(const LauncherSettings& settings) {
    const ServerField server = SplitServerField(settings.TSServer);
    std::string address = "teamspeak://";
    address += server.host;
    address += ':';
    address += server.port.empty() ? settings.TSPort : server.port;
    address += "/nickname=";
    address += settings.TSNick;
    address += "?loginname=";
    address += settings.TSLogin;
    address += "?password=";
    address += settings.TSPassword;
    return address;
}

VoiceClient VoiceClientNamed(std::string_view executablePath) {
    const std::string name = ProgramName(executablePath);
    if (name == "mumble") {
        return VoiceClient::Mumble;
    }
    if (name.starts_with("ts3client")) {
        return VoiceClient::TeamSpeak3;
    }
    return VoiceClient::TeamSpeak2;
}

std::string MumbleAddress(const LauncherSettings& settings) {
    std::string address = "mumble://";
    if (!settings.TSNick.empty() || !settings.TSPassword.empty()) {
        address += UrlEncoded(settings.TSNick);
        if (!settings.TSPassword.empty()) {
            address += ':';
            address += UrlEncoded(settings.TSPassword);
        }
        address += '@';
    }
    const ServerField server = SplitServerField(settings.TSServer);
    const std::string& port = server.port.empty() ? settings.TSPort : server.port;
    address += HostBeforePort(server.host);
    if (!port.empty()) {
        address += ':';
        address += port;
    }
    // The oldest protocol the server must speak; the client connects to any newer one.
    address += "/?version=1.2.0";
    return address;
}

std::string TeamSpeak3Address(const LauncherSettings& settings) {
    const ServerField server = SplitServerField(settings.TSServer);
    std::string address = "ts3server://";
    address += HostBeforePort(server.host);
    char separator = '?';
    const auto addValue = [&](std::string_view name, const std::string& value) {
        if (!value.empty()) {
            address += separator;
            address += name;
            address += '=';
            address += value;
            separator = '&';
        }
    };
    addValue("port", server.port.empty() ? settings.TSPort : server.port);
    addValue("nickname", UrlEncoded(settings.TSNick));
    addValue("password", UrlEncoded(settings.TSPassword));
    return address;
}

std::string DirectoryPart(std::string_view path) {
    const auto slash = path.find_last_of(kPathSeparators);
    if (slash == std::string_view::npos) {
        return {};
    }
    // Keep a drive's colon, the separator of the root, and of a run of them ("a//b" gives
    // "a//", "C:\x" gives "C:\").
    const bool keepSeparator =
        path[slash] != kFolderSeparator || slash == 0 || IsPathSeparator(path[slash - 1]);
    return std::string(path.substr(0, keepSeparator ? slash + 1 : slash));
}

// The mod text comes from the mods list, which may be in another encoding than the settings file.
LaunchResult LaunchGame(const LauncherSettings& settings, std::string_view modText,
                        const ProgramRunner& run) {
    const LauncherSettings texts = SystemTexts(settings);
    return run(kGameFileName, GameParameters(texts, SystemText(modText)),
               DirectoryPart(texts.Q3Executable), texts.Q3Executable);
}

VoiceClient VoiceClientToStart(const LauncherSettings& settings) {
    const VoiceClient named = VoiceClientNamed(settings.TSExecutable);
    if (named != VoiceClient::TeamSpeak2 &&
        ProgramFound(kVoiceClientFileName, DirectoryPart(SystemText(settings.TSExecutable)))) {
        return VoiceClient::TeamSpeak2;
    }
    return named;
}

LaunchResult LaunchTeamSpeak(const LauncherSettings& stored, VoiceClient client,
                             const ProgramRunner& run) {
    const LauncherSettings settings = SystemTexts(stored);
    const std::string directory = DirectoryPart(settings.TSExecutable);
    switch (client) {
        case VoiceClient::Mumble:
        case VoiceClient::TeamSpeak3: {
            // A server or port holding a blank must not split the address in two.
            const std::string address = client == VoiceClient::Mumble ? MumbleAddress(settings)
                                                                      : TeamSpeak3Address(settings);
            return run(FileNamePart(settings.TSExecutable), QuotedArgument(address), directory,
                       settings.TSExecutable);
        }
        case VoiceClient::TeamSpeak2:
            break;
    }
    if (IsIpv6Host(SplitServerField(settings.TSServer).host)) {
        return std::string(kTeamSpeak2NoIpv6);
    }
    return run(kVoiceClientFileName, TeamSpeakAddress(settings), directory, settings.TSExecutable);
}

LaunchResult LaunchTeamSpeak(const LauncherSettings& settings, const ProgramRunner& run) {
    return LaunchTeamSpeak(settings, VoiceClientToStart(settings), run);
}

}  // namespace kestrune
