#pragma once

#include <cstddef>
#include <span>
#include <string_view>

// The translations as the build compiles them from i18n/po/*.po (make_tables.py): one table a
// language, its entries sorted by their English text.

namespace kestrune {

struct CatalogueEntry {
    std::string_view english;  // the singular, for a counted text
    // The translated forms, each ended by a NUL: one for a plain text, the language's number of
    // plural forms for a counted one. An empty form is not translated.
    std::string_view forms;
};

struct Catalogue {
    std::string_view code;  // as the .po file is named: "de", "pt_BR"
    std::string_view name;  // in the language itself: "Deutsch"
    std::span<const CatalogueEntry> entries;
    // Which of the forms a count takes (the Plural-Forms header's rule).
    int (*plural)(unsigned long n);
};

// Every translated language, in the order of i18n/po/LINGUAS.
std::span<const Catalogue> Catalogues();

// The entry for an English text, or nullptr.
const CatalogueEntry* FindEntry(const Catalogue& catalogue, std::string_view english);

// Form number index of an entry; empty when there is no such form or it is not translated.
std::string_view Form(const CatalogueEntry& entry, int index);

}  // namespace kestrune
