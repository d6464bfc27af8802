#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "platform/exception.h"

namespace kestrune {

// "'%s' is not a valid integer value"
class ConvertError : public Exception {
    using Exception::Exception;
};

// Converts a text the way settings keys and the port field are read: leading spaces, one
// sign, decimal digits, or a "$", "x", "X", "0x", "0X" prefix with one to eight hex digits.
// Nothing else is a number: no trailing blanks, no empty text, no decimal value outside the
// signed 32-bit range. Hex digits are taken as a 32-bit pattern ("$FFFFFFFF" is -1), and a
// sign before them negates that value.
std::optional<int> ParseInteger(std::string_view text);

// ParseInteger, or fallback when the text is not a number.
int IntegerOr(std::string_view text, int fallback);

// ParseInteger, or ConvertError "'<text>' is not a valid integer value".
int ToInteger(std::string_view text);

}  // namespace kestrune
