#pragma once

#include <string>
#include <string_view>

namespace kestrune {

// Starts the program file, found in directory, with the parameter text, and lets it run on
// its own; the program runs in directory. Empty when it started, otherwise the system's
// message for the failure (never empty then).
// - Windows: the three texts are UTF-8, handed on as wide text; the shell opens the file with
//   the parameter text exactly as given, and the program reads its own command line.
// - POSIX: the program is started directly (never through a shell) with the parameter text
//   split into arguments the way a Windows program's runtime would split it (see
//   command_line.h and process_spawn.h). With an empty directory it is looked for in the
//   current directory, then along PATH.
std::string StartProgram(std::string_view file, std::string_view parameters,
                         std::string_view directory);

// Whether StartProgram, given file and directory, would find the file: in directory, or with an
// empty directory along the search the start makes.
bool ProgramFound(std::string_view file, std::string_view directory);

#ifndef _WIN32
// What a start gives when the program is a Windows one and no Wine can be found.
inline constexpr std::string_view kWineMissingMessage = "A Windows program needs Wine.";

// A player's program on a Linux desktop, which rarely carries the Windows names and runs
// Windows programs through Wine. The start is StartProgram's, except:
// - when the search finds no file of that name but the executable the player chose
//   (chosenExecutable, a path whose folder is directory) names another file that exists, that
//   one is started instead;
// - a file that is a Windows program (it begins with "MZ") is started through `wine` from PATH
//   (`wine64` where there is no `wine`), given the program's absolute path and the arguments;
//   with neither on PATH the start fails with kWineMissingMessage.
std::string StartProgram(std::string_view file, std::string_view parameters,
                         std::string_view directory, std::string_view chosenExecutable);
#endif

}  // namespace kestrune
