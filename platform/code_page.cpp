#include "platform/code_page.h"

#include <algorithm>
#include <cctype>

namespace kestrune {

namespace {

struct LanguageCodePage {
    std::string_view language;
    std::string_view territory;  // empty: any
    std::string_view modifier;   // empty: any
    unsigned codePage;
};

// Windows' ANSI code page for each language that has one other than 1252; the first row that
// matches counts, so a script or territory of its own comes before its language's row.
constexpr LanguageCodePage kLanguageCodePages[] = {
    // Serbian and Uzbek are written in both alphabets; Windows gives each its own page.
    {"sr", "", "latin", 1250},
    {"uz", "", "cyrillic", 1251},
    // Traditional Chinese; the other Chinese locales are Simplified.
    {"zh", "TW", "", 950},
    {"zh", "HK", "", 950},
    {"zh", "MO", "", 950},
    {"zh", "", "", 936},
    // Cyrillic
    {"ru", "", "", 1251},
    {"uk", "", "", 1251},
    {"be", "", "", 1251},
    {"bg", "", "", 1251},
    {"sr", "", "", 1251},
    {"mk", "", "", 1251},
    {"kk", "", "", 1251},
    {"ky", "", "", 1251},
    {"tt", "", "", 1251},
    {"mn", "", "", 1251},
    {"tg", "", "", 1251},
    // Central Europe
    {"pl", "", "", 1250},
    {"cs", "", "", 1250},
    {"sk", "", "", 1250},
    {"hu", "", "", 1250},
    {"sl", "", "", 1250},
    {"hr", "", "", 1250},
    {"bs", "", "", 1250},
    {"ro", "", "", 1250},
    {"sq", "", "", 1250},
    {"el", "", "", 1253},
    {"tr", "", "", 1254},
    {"az", "", "", 1254},
    {"uz", "", "", 1254},
    {"he", "", "", 1255},
    {"ar", "", "", 1256},
    {"fa", "", "", 1256},
    {"ur", "", "", 1256},
    {"lt", "", "", 1257},
    {"lv", "", "", 1257},
    {"et", "", "", 1257},
    {"vi", "", "", 1258},
    {"th", "", "", 874},
    {"ja", "", "", 932},
    {"ko", "", "", 949},
};

bool SameLetters(std::string_view a, std::string_view b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        return std::tolower(static_cast<unsigned char>(x)) ==
               std::tolower(static_cast<unsigned char>(y));
    });
}

}  // namespace

unsigned CodePageForLocale(std::string_view localeName) {
    std::string_view modifier;
    if (const auto at = localeName.find('@'); at != std::string_view::npos) {
        modifier = localeName.substr(at + 1);
        localeName = localeName.substr(0, at);
    }
    localeName = localeName.substr(0, localeName.find('.'));
    const auto underscore = localeName.find('_');
    const std::string_view language = localeName.substr(0, underscore);
    const std::string_view territory = underscore == std::string_view::npos
                                           ? std::string_view()
                                           : localeName.substr(underscore + 1);
    for (const LanguageCodePage& row : kLanguageCodePages) {
        if (SameLetters(row.language, language) &&
            (row.territory.empty() || SameLetters(row.territory, territory)) &&
            (row.modifier.empty() || SameLetters(row.modifier, modifier))) {
            return row.codePage;
        }
    }
    return kWesternEuropeCodePage;
}

}  // namespace kestrune
