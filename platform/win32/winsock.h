#pragma once

namespace kestrune::win32 {

// Starts Winsock 2.2 the first time it is called, for the rest of the program; 0 when it is
// ready, else the start's error number (given again to every later caller).
int StartWinsock();

}  // namespace kestrune::win32
