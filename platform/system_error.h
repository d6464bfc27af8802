#pragma once

#include <string>

namespace kestrune {

// The C library's message for an errno value, in the current locale. Never empty: a number
// the library does not know still gives a text naming it.
std::string SystemErrorMessage(int errorNumber);

}  // namespace kestrune
