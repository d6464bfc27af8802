#pragma once

#include <string>

namespace kestrune {

// The system's message for an error number (errno and the C library's text; on Windows a
// Windows or Winsock error and FormatMessageW's text in UTF-8, line break included). Never empty: a
// number the system does not know still gives a text naming it.
std::string SystemErrorMessage(int errorNumber);

}  // namespace kestrune
