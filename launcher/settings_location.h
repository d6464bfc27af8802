#pragma once

#include <string>

#include "launcher/settings_store.h"

namespace kestrune {

// Where the settings file and the mods list are kept.
struct SettingsFiles {
    std::string settingsPath;
    std::string modsListPath = kModsListFileName;
};

// Written beside the program by the Windows setup: the copy in that folder is an installed one.
// The setup chooses the folder (any the player or administrator names), so the program cannot
// know it when it is built, as it does on Linux.
constexpr char kInstalledMarkerName[] = "kestrune.installed";

// For the program at executablePath: the settings file beside it and "mods.kst" in the current
// directory, when its folder may be written, or holds a settings file that may be written, and the
// copy is not an installed one. A copy is installed when its folder is installedFolder (where the
// system's package manager puts it) or holds kInstalledMarkerName: its folder belongs to the
// installer, whoever runs the program and whether or not it may be written. Otherwise both lie in
// the user's own configuration folder, the settings file under its usual name.
//
// For an installed copy, a settings file left beside the program (a clan's ready-made one, copied
// in by the player) is moved into the user's folder, bytes unchanged, when that folder holds none
// yet; where it may not be taken away, it is copied. A settings file the user's folder already
// holds is never replaced.
SettingsFiles SettingsFilesFor(const std::string& executablePath,
                               const std::string& installedFolder);

// For the running program.
SettingsFiles SettingsFilesOfThisProgram();

}  // namespace kestrune
