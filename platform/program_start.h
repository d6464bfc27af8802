#pragma once

#include <string>
#include <string_view>

namespace kestrune {

// Starts the program file, found in directory, with the parameter text, and lets it run on
// its own; the program runs in directory. Empty when it started, otherwise the system's
// message for the failure (never empty then).
// - Windows: the shell opens the file with the parameter text exactly as given; the program
//   reads its own command line.
// - POSIX: the program is started directly (never through a shell) with the parameter text
//   split into arguments the way a Windows program's runtime would split it (see
//   command_line.h and process_spawn.h). With an empty directory it is looked for in the
//   current directory, then along PATH.
std::string StartProgram(std::string_view file, std::string_view parameters,
                         std::string_view directory);

}  // namespace kestrune
