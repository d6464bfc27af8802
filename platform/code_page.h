#pragma once

// Windows ANSI code pages: the 8-bit encodings that files written on Windows hold their texts in,
// one per group of languages (1252 for Western Europe, 1251 for Cyrillic, 932 for Japanese...).

#include <optional>
#include <string>
#include <string_view>

namespace kestrune {

inline constexpr unsigned kWesternEuropeCodePage = 1252;

// The ANSI code page Windows uses for the language of a POSIX locale name,
// language[_TERRITORY][.codeset][@modifier] ("ru_RU.UTF-8" gives 1251, "zh_TW" 950,
// "sr_RS@latin" 1250); 1252 for a language without one of its own, "C" and "POSIX" included.
unsigned CodePageForLocale(std::string_view localeName);

// The ANSI code page in force on this system.
// - Windows: the system's own (GetACP).
// - POSIX: the one of the player's language, from the first of LC_ALL, LC_CTYPE and LANG that
//   is set and not empty.
unsigned SystemCodePage();

// Bytes in a code page as UTF-16. Every byte shows as something: in a single-byte page a byte
// that names no character is the control character of the same number (as Windows reads it), and
// in a multi-byte page a byte that begins no character is U+FFFD. An unknown code page reads as
// 1252.
std::u16string DecodeCodePage(std::string_view bytes, unsigned codePage);

// The text in a code page, or nothing when one of its characters has no place there (a lone
// surrogate never has one).
std::optional<std::string> EncodeCodePage(std::u16string_view text, unsigned codePage);

}  // namespace kestrune
