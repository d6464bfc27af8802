#pragma once

#include <string_view>

namespace kestrune {

// The characters after which a path's next name begins: "\" and ":" (a drive) on Windows, "/"
// elsewhere. The rules that take a path apart (the settings file's name, a program's folder)
// use these and nothing else.
#ifdef _WIN32
inline constexpr std::string_view kPathSeparators = "\\:";
inline constexpr char kFolderSeparator = '\\';
#else
inline constexpr std::string_view kPathSeparators = "/";
inline constexpr char kFolderSeparator = '/';
#endif

inline bool IsPathSeparator(char c) {
    return kPathSeparators.find(c) != std::string_view::npos;
}

}  // namespace kestrune
