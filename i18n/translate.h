#pragma once

#include <initializer_list>
#include <string>
#include <string_view>

// The program's own texts in the player's language. A text is marked where it is written, with
// Tr() where it is shown at once and N_() where it is kept in a table and shown later through
// Tr(); xgettext collects both into i18n/po/kestrune.pot. Texts are UTF-8; a text the chosen
// language does not translate is shown in English.
//
// A text that holds values names them %1, %2 ... and is filled in by Format(), so that a
// translation may order its words as its language does.

namespace kestrune {

// Marks a text for the catalogue where it cannot be translated yet (a table's constant).
#define N_(text) text

// The text in the chosen language. Valid for the program's life: it points into the catalogue
// or at the text given, which is a literal.
std::string_view Tr(std::string_view text);

// The form of a counted text for count in the chosen language: English has "singular" for 1 and
// "plural" otherwise; other languages as many forms as their grammar has.
std::string_view TrN(std::string_view singular, std::string_view plural, unsigned long count);

// The pattern with %1 ... %9 replaced by the values, in order; "%%" gives "%". A number with no
// value stays as it is.
std::string Format(std::string_view pattern, std::initializer_list<std::string_view> values);

}  // namespace kestrune
