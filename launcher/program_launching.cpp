#include "launcher/program_launching.h"

#include "platform/path_separators.h"
#include "platform/program_start.h"

namespace kestrune {

namespace {

constexpr int kModsGameType = 1;  // "Q3 Mods"

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

std::string GameParameters(const LauncherSettings& settings, std::string_view modText) {
    std::string parameters = "+connect ";
    parameters += settings.Q3Server;
    parameters += ':';
    parameters += settings.Q3Port;
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
    std::string address = "teamspeak://";
    address += settings.TSServer;
    address += ':';
    address += settings.TSPort;
    address += "/nickname=";
    address += settings.TSNick;
    address += "?loginname=";
    address += settings.TSLogin;
    address += "?password=";
    address += settings.TSPassword;
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

LaunchResult LaunchGame(const LauncherSettings& settings, std::string_view modText,
                        const ProgramRunner& run) {
    return run(kGameFileName, GameParameters(settings, modText),
               DirectoryPart(settings.Q3Executable), settings.Q3Executable);
}

LaunchResult LaunchTeamSpeak(const LauncherSettings& settings, const ProgramRunner& run) {
    return run(kVoiceClientFileName, TeamSpeakAddress(settings),
               DirectoryPart(settings.TSExecutable), settings.TSExecutable);
}

}  // namespace kestrune
