#pragma once

#include <string>

namespace kestrune {

// Whether this user may make new files in the folder.
bool FolderMayBeWritten(const std::string& folder);

// Whether the file exists and this user may write it.
bool FileMayBeWritten(const std::string& path);

// The user's own folder for Kestrune's files, made for its owner's eyes only when missing; empty
// when the user has none or it cannot be made.
// - POSIX: $XDG_CONFIG_HOME/kestrune, or ~/.config/kestrune when that variable is unset, empty or
//   not an absolute path; made with its missing parents, each 0700.
// - Windows: %APPDATA%\Kestrune.
// Paths are UTF-8 on Windows, as every path the platform layer takes and gives there.
std::string UserConfigFolder();

}  // namespace kestrune
