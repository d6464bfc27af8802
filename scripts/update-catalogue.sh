#!/usr/bin/env bash
# Makes the catalogue's template (i18n/po/kestrune.pot) from the texts marked in the sources and
# brings every language's .po up to date with it (new texts untranslated, changed ones marked
# fuzzy): run it after adding or changing a marked text, then translate what it left open.
set -euo pipefail
ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
source "$ROOT/i18n/catalogue_sources.sh"

make_template "$ROOT/i18n/po/kestrune.pot"
# The template's creation date alone changes nothing.
sed -i -e "/^\"POT-Creation-Date:/d" -e "s/charset=CHARSET/charset=UTF-8/" "$ROOT/i18n/po/kestrune.pot"
for code in $(catalogue_languages); do
    po="$ROOT/i18n/po/$code.po"
    if [ ! -e "$po" ]; then
        msginit --no-translator --no-wrap -l "$code.UTF-8" -i "$ROOT/i18n/po/kestrune.pot" -o "$po"
    fi
    msgmerge --quiet --update --backup=none --no-wrap --add-location=file "$po" \
        "$ROOT/i18n/po/kestrune.pot"
    echo "$code: $(msgfmt --statistics -o /dev/null "$po" 2>&1)"
done
