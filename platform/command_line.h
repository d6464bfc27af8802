#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace kestrune {

// Splits a parameter text into arguments the way a Windows program's C runtime reads the part
// of its command line after the program name, so the programs we start see the arguments they
// were always given:
// - blanks and tabs outside double quotes separate arguments, runs of them count once;
// - a double quote switches quoting on or off and is dropped; inside quotes, "" is one literal
//   quote and quoting goes on; a quoted "" alone still makes an (empty) argument;
// - 2n backslashes before a quote give n backslashes and the quote does its usual work;
//   2n+1 give n backslashes and a literal quote; backslashes elsewhere are literal.
// The text ends at its first NUL byte, as a command line does.
std::vector<std::string> SplitCommandLine(std::string_view parameters);

// The parameter text that SplitCommandLine (and a Windows program) reads back as this one
// argument: the argument itself when it holds no blank, tab or quote and is not empty, else the
// argument in quotes, with each quote escaped and the backslashes before a quote (or before the
// closing quote) doubled. An argument holds no NUL.
std::string QuotedArgument(std::string_view argument);

}  // namespace kestrune
