#pragma once

#include <string>
#include <string_view>

#include "launcher/launcher_settings.h"

namespace kestrune {

// Empty when the program was started, otherwise the system's message for the failure.
using LaunchResult = std::string;

inline constexpr std::string_view kGameFileName = "quake3.exe";
inline constexpr std::string_view kVoiceClientFileName = "TeamSpeak.exe";

// Starts file (found in directory; with an empty directory in the current directory, then
// PATH) with the parameter text split into arguments, in directory, detached.
LaunchResult RunProgram(std::string_view file, std::string_view parameters,
                        std::string_view directory);

// "+connect server:port +password pw" and, for "Q3 Mods", " +set fs_game mod".
std::string GameParameters(const LauncherSettings& settings, std::string_view modText);

// "teamspeak://server:port/nickname=n?loginname=l?password=p", nothing escaped.
std::string TeamSpeakAddress(const LauncherSettings& settings);

// The folder of a configured executable path ("" when it has none).
std::string DirectoryPart(std::string_view path);

LaunchResult LaunchGame(const LauncherSettings& settings, std::string_view modText);
LaunchResult LaunchTeamSpeak(const LauncherSettings& settings);

}  // namespace kestrune
