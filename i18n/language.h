#pragma once

#include <span>
#include <string>
#include <string_view>

// Which language the program speaks: English, the language of the texts in the code, or one of
// the catalogues'. One choice for the whole program, made and read on the thread of the windows.

namespace kestrune {

struct Catalogue;

inline constexpr std::string_view kEnglish = "en";

// The catalogue in use, or nullptr for English.
const Catalogue* CurrentCatalogue();
// The code of the language in use ("en", "de", "pt_BR").
std::string_view CurrentLanguage();

// Speaks the language of code, which is "en" or a catalogue's code; false (and English) when the
// program has no such language.
bool SetLanguage(std::string_view code);

// The first of the player's languages, in order of preference, that the program speaks: a
// preference names a language as a locale does ("pt_BR.UTF-8", "de-AT", "ru", "C"). A language
// that names no country takes its country's catalogue ("pt" gives "pt_BR"), one that names a
// country the program has no catalogue for the language's ("de_AT" gives "de"). "C", "POSIX" and
// English ones give English. English when none matches.
std::string MatchLanguage(std::span<const std::string> preferences);

}  // namespace kestrune
