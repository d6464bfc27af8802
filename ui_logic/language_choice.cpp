#include "ui_logic/language_choice.h"

#include "i18n/catalogue.h"
#include "i18n/language.h"
#include "i18n/translate.h"
#include "launcher/settings_store.h"
#include "platform/ui_languages.h"

namespace kestrune {

std::vector<LanguageEntry> LanguageMenuEntries() {
    std::vector<LanguageEntry> entries = {{"", std::string(Tr("System default"))},
                                          {std::string(kEnglish), "English"}};
    for (const Catalogue& catalogue : Catalogues()) {
        entries.push_back({std::string(catalogue.code), std::string(catalogue.name)});
    }
    return entries;
}

std::string ChosenLanguage(std::string_view stored, std::span<const std::string> preferences) {
    if (!stored.empty()) {
        const std::string storedList[] = {std::string(stored)};
        const std::string match = MatchLanguage(storedList);
        // A stored language the program no longer has leaves the choice to the system.
        if (match != kEnglish || stored == kEnglish) {
            return match;
        }
    }
    return MatchLanguage(preferences);
}

void StartInChosenLanguage(const std::string& settingsPath) {
    SetLanguage(ChosenLanguage(LoadLanguageChoice(settingsPath), PreferredUiLanguages()));
}

}  // namespace kestrune
