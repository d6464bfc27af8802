#pragma once

#include <string>

namespace kestrune {

// The absolute path of the running program's executable (symbolic links resolved on POSIX; on
// Windows in the ANSI code page). Empty when the system cannot tell.
std::string ExecutablePath();

}  // namespace kestrune
