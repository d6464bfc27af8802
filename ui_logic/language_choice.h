#pragma once

#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace kestrune {

// What the Language menu offers: "System default" (an empty code), English, then each catalogue,
// each by its own name.
struct LanguageEntry {
    std::string code;
    std::string name;  // UTF-8, in the language itself; "System default" is translated
};
std::vector<LanguageEntry> LanguageMenuEntries();

// The language to speak: the stored choice when the program has it, else the first of the
// system's preferences that it has, else English.
std::string ChosenLanguage(std::string_view stored, std::span<const std::string> preferences);

// Speaks the language that the settings file at settingsPath and the system choose.
void StartInChosenLanguage(const std::string& settingsPath);

}  // namespace kestrune
