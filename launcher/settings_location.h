#pragma once

#include <string>

#include "launcher/settings_store.h"

namespace kestrune {

// Where the settings file and the mods list are kept.
struct SettingsFiles {
    std::string settingsPath;
    std::string modsListPath = kModsListFileName;
};

// For the program at executablePath: the settings file beside it and "mods.kst" in the current
// directory, when its folder may be written, or holds a settings file that may be written, and is
// not installedFolder (where an installed copy lives: that folder belongs to the system's package
// manager, whoever runs the program). Otherwise
// both lie in the user's own configuration folder, the settings file under its usual name.
SettingsFiles SettingsFilesFor(const std::string& executablePath,
                               const std::string& installedFolder);

// For the running program.
SettingsFiles SettingsFilesOfThisProgram();

}  // namespace kestrune
