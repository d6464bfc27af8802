#include "i18n/language.h"

#include <algorithm>

#include "i18n/catalogue.h"

namespace kestrune {

namespace {

const Catalogue* current = nullptr;

// "pt_BR.UTF-8@euro" and "pt-BR" give "pt_BR".
std::string LocaleLanguage(std::string_view locale) {
    locale = locale.substr(0, locale.find_first_of(".@"));
    std::string name(locale);
    std::replace(name.begin(), name.end(), '-', '_');
    return name;
}

std::string_view LanguagePart(std::string_view code) {
    return code.substr(0, code.find('_'));
}

bool SameText(std::string_view a, std::string_view b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; };
        return lower(x) == lower(y);
    });
}

}  // namespace

const Catalogue* CurrentCatalogue() {
    return current;
}

std::string_view CurrentLanguage() {
    return current ? current->code : kEnglish;
}

bool SetLanguage(std::string_view code) {
    for (const Catalogue& catalogue : Catalogues()) {
        if (catalogue.code == code) {
            current = &catalogue;
            return true;
        }
    }
    current = nullptr;
    return code == kEnglish;
}

std::string MatchLanguage(std::span<const std::string> preferences) {
    for (const std::string& preference : preferences) {
        const std::string wanted = LocaleLanguage(preference);
        if (wanted.empty()) {
            continue;
        }
        if (wanted == "C" || wanted == "POSIX" || SameText(LanguagePart(wanted), kEnglish)) {
            return std::string(kEnglish);
        }
        const auto catalogues = Catalogues();
        // The language and country as named, then the language in whatever country.
        for (const Catalogue& catalogue : catalogues) {
            if (SameText(catalogue.code, wanted)) {
                return std::string(catalogue.code);
            }
        }
        for (const Catalogue& catalogue : catalogues) {
            if (SameText(LanguagePart(catalogue.code), LanguagePart(wanted))) {
                return std::string(catalogue.code);
            }
        }
    }
    return std::string(kEnglish);
}

}  // namespace kestrune
