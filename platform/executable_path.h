#pragma once

#include <string>

namespace kestrune {

// The absolute path of the running program's executable, symbolic links resolved. Empty when
// the system cannot tell (no /proc).
std::string ExecutablePath();

}  // namespace kestrune
