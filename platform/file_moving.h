#pragma once

#include <string>

namespace kestrune {

// Whether a regular file (not a folder) lies at path.
bool FileExists(const std::string& path);

// Moves the file at from to the path to, which must not exist yet, keeping its bytes. Where the
// file may not be taken out of its folder (one this user may not write), it is copied instead and
// stays where it was; a copy is readable by its owner alone, as a new settings file is. Returns
// whether the file now lies at to; nothing is replaced and nothing half-made is left there.
bool MoveOrCopyFile(const std::string& from, const std::string& to);

}  // namespace kestrune
