#pragma once

#include <string>
#include <string_view>

#include "launcher/launcher_settings.h"
#include "launcher/stored_text.h"
#include "platform/exception.h"

namespace kestrune {

// "Cannot open file %s"
class FileOpenError : public Exception {
    using Exception::Exception;
};
// "Cannot create file %s"
class FileCreateError : public Exception {
    using Exception::Exception;
};
// "Stream write error"
class StreamWriteError : public Exception {
    using Exception::Exception;
};
// "Unable to write to %s"
class ProfileWriteError : public Exception {
    using Exception::Exception;
};

inline constexpr const char* kModsListFileName = "mods.kst";

// The settings file belonging to an executable: its extension (after the last "." of the
// name behind the last separator, "/" or on Windows "\" and ":") replaced by ".ini", or
// ".ini" appended.
std::string SettingsPathFor(std::string_view executablePath);

// The settings file of the running executable.
std::string SettingsPath();

// Reads the mods list into mods, then every key of the settings file. Texts keep their bytes
// as stored. A missing list is empty; one that cannot be read raises FileOpenError once the
// settings are in, and leaves mods as it was.
void LoadSettings(LauncherSettings& settings, ModsList& mods,
                  const std::string& settingsPath = SettingsPath(),
                  const std::string& modsListPath = kModsListFileName);

// The same, also telling what the settings file's edited texts are to be written in (set even
// when the list cannot be read).
void LoadSettings(LauncherSettings& settings, ModsList& mods, const std::string& settingsPath,
                  TextEncoding& settingsEncoding,
                  const std::string& modsListPath = kModsListFileName);

// Writes the mods list, then every key of the settings file.
void SaveSettings(const LauncherSettings& settings, const ModsList& mods,
                  const std::string& settingsPath = SettingsPath(),
                  const std::string& modsListPath = kModsListFileName);

// Writes every key of the settings file alone: for a mods list that could not be read, which
// must then not be overwritten.
void SaveSettingsFile(const LauncherSettings& settings,
                      const std::string& settingsPath = SettingsPath());

// The language the player chose in the Language menu ("de", "en"...), empty for the system's.
std::string LoadLanguageChoice(const std::string& settingsPath = SettingsPath());
// Stores the choice under a key of its own; nothing else in the file changes. Raises
// ProfileWriteError when the file cannot be written.
void SaveLanguageChoice(std::string_view language, const std::string& settingsPath = SettingsPath());

// Writes the mods list alone.
void SaveModsList(const ModsList& mods, const std::string& modsListPath = kModsListFileName);

}  // namespace kestrune
