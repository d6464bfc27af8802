#pragma once

#include <cstddef>
#include <optional>
#include <string_view>

// Texts of protocols and files, read byte by byte as ASCII whatever the locale: the case of
// letters, digits. Bytes beyond ASCII are left as they are.

namespace kestrune {

char AsciiLower(char c);

bool EqualIgnoringAsciiCase(std::string_view a, std::string_view b);

// The text without the blanks (spaces and tabs) at its ends.
std::string_view TrimmedBlanks(std::string_view text);

// 0 to 15 for a hex digit of either case, -1 for any other byte.
int HexDigitValue(char c);

// A count as servers write it: one to mostDigits decimal digits, no sign, no blanks.
std::optional<int> ParseDecimalCount(std::string_view text, std::size_t mostDigits);

}  // namespace kestrune
