#pragma once

#include <sys/types.h>

#include <optional>
#include <string>
#include <string_view>

#include "platform/atomic_file.h"

namespace kestrune {

// Profile (INI) files: "[Section]" header lines and "Key=Value" lines, read and written one key
// at a time without disturbing anything else in the file.
//
// Reading:
// - lines end in LF or CR LF; a UTF-8 byte-order mark at the very start is skipped;
// - section and key names match without regard to ASCII case, blanks (spaces, tabs) around
//   them ignored; only the first section of a name and the first matching key line in it count;
// - a line whose first non-blank character is ";" is a comment; lines before the first
//   section belong to no section;
// - a value ends at a NUL byte, loses its surrounding blanks and then one pair of matching
//   single or double quotes around it;
// - a key line without "=" has no value, just as a missing file, section or key.
//
// Writing changes only the first matching key line, adds a missing key after the last key line
// of its section (or right after the header when it has none) and a missing section at the end.
// Every other byte stays as it was. New lines end like the file's first line (CR LF in a file
// that has none yet).

// The value of key in section, or nullopt when the content has none.
std::optional<std::string> ReadProfileValue(std::string_view content, std::string_view section,
                                            std::string_view key);

// The content after writing key=value into section. The value is written as
// ProfileValueAsWritten(value). Throws std::invalid_argument for a name that cannot be written
// (see IsValidProfileSectionName and IsValidProfileKeyName).
std::string WriteProfileValue(std::string_view content, std::string_view section,
                              std::string_view key, std::string_view value);

// What is written for a value: the value as given, except that it ends at its first NUL byte
// and each CR or LF becomes a blank, so that a value can never add lines to the file.
std::string ProfileValueAsWritten(std::string_view value);

// How the text after "=" reads as a value (NUL, blanks and one pair of quotes as above).
std::string ProfileValueAsRead(std::string_view rawValue);

// A section name is non-blank and holds no "]", CR, LF or NUL.
bool IsValidProfileSectionName(std::string_view section);
// A key name is non-blank, holds no "=", CR, LF or NUL and does not begin with "[" or ";".
bool IsValidProfileKeyName(std::string_view key);

// A profile file read once from disk, changed in memory and written back once, atomically.
class ProfileFile {
public:
    // Reads path. A file that cannot be read reads as empty; readError() tells why.
    explicit ProfileFile(std::string path);

    const std::string& path() const { return path_; }
    const std::string& content() const { return content_; }
    // 0 when the file was read, otherwise the errno of the failure (ENOENT: no such file).
    int readError() const { return readError_; }

    std::optional<std::string> value(std::string_view section, std::string_view key) const;
    void setValue(std::string_view section, std::string_view key, std::string_view value);

    // Replaces the file on disk with the content. A file that does not exist yet is created
    // with newFileMode (less the umask).
    ReplaceResult save(mode_t newFileMode) const;

private:
    std::string path_;
    std::string content_;
    int readError_ = 0;
};

}  // namespace kestrune
