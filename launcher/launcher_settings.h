#pragma once

#include <string>
#include <vector>

namespace kestrune {

// Every persisted setting, each field named after its key in the settings file.
struct LauncherSettings {
    // [Main]
    bool Autosave = true;
    bool ExitOnLaunch = false;
    int Mods = 0;  // selected index of the mods list, -1 for none
    // [TeamSpeak]
    std::string TSExecutable;
    std::string TSServer;
    std::string TSPort;
    std::string TSNick;
    std::string TSLogin;
    std::string TSPassword;
    bool Autojoin = true;
    // [Quake3]
    std::string Q3Executable;
    std::string Q3Server;
    std::string Q3Port;
    std::string Q3Password;
    int Q3Game = 1;  // 0 "Quake III", 1 "Q3 Mods", -1 none

    bool operator==(const LauncherSettings&) const = default;
};

using ModsList = std::vector<std::string>;

}  // namespace kestrune
