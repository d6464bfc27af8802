#include "i18n/translate.h"

#include <algorithm>

#include "i18n/catalogue.h"
#include "i18n/language.h"

namespace kestrune {

const CatalogueEntry* FindEntry(const Catalogue& catalogue, std::string_view english) {
    const auto entries = catalogue.entries;
    const auto found = std::lower_bound(
        entries.begin(), entries.end(), english,
        [](const CatalogueEntry& entry, std::string_view text) { return entry.english < text; });
    return found != entries.end() && found->english == english ? &*found : nullptr;
}

std::string_view Form(const CatalogueEntry& entry, int index) {
    std::string_view forms = entry.forms;
    for (int i = 0; i < index; ++i) {
        const auto end = forms.find('\0');
        if (end == std::string_view::npos) {
            return {};
        }
        forms.remove_prefix(end + 1);
    }
    return forms.substr(0, forms.find('\0'));
}

std::string_view Tr(std::string_view text) {
    if (const Catalogue* catalogue = CurrentCatalogue()) {
        if (const CatalogueEntry* entry = FindEntry(*catalogue, text)) {
            const std::string_view translated = Form(*entry, 0);
            if (!translated.empty()) {
                return translated;
            }
        }
    }
    return text;
}

std::string_view TrN(std::string_view singular, std::string_view plural, unsigned long count) {
    if (const Catalogue* catalogue = CurrentCatalogue()) {
        if (const CatalogueEntry* entry = FindEntry(*catalogue, singular)) {
            const std::string_view translated = Form(*entry, catalogue->plural(count));
            if (!translated.empty()) {
                return translated;
            }
        }
    }
    return count == 1 ? singular : plural;
}

std::string Format(std::string_view pattern, std::initializer_list<std::string_view> values) {
    std::string text;
    text.reserve(pattern.size());
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        const char c = pattern[i];
        if (c == '%' && i + 1 < pattern.size()) {
            const char next = pattern[i + 1];
            if (next == '%') {
                text += '%';
                ++i;
                continue;
            }
            if (next >= '1' && next <= '9' &&
                static_cast<std::size_t>(next - '1') < values.size()) {
                text += values.begin()[next - '1'];
                ++i;
                continue;
            }
        }
        text += c;
    }
    return text;
}

}  // namespace kestrune
