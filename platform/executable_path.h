#pragma once

#include <string>

namespace kestrune {

// The absolute path of the running program's executable (symbolic links resolved on POSIX; on
// Windows in UTF-8). Empty when the system cannot tell.
std::string ExecutablePath();

}  // namespace kestrune
