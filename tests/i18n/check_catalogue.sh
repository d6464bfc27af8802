#!/usr/bin/env bash
# The catalogue is whole: its template holds every text marked in the sources and no other,
# every language's .po holds every text of the template, and msgfmt --check accepts each .po.
# (That no translation drops or renumbers a placeholder, test_translations checks on the
# compiled tables.)
set -euo pipefail
ROOT=$1
source "$ROOT/i18n/catalogue_sources.sh"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
template="$ROOT/i18n/po/kestrune.pot"

make_template "$work/fresh.pot"
if ! msgcmp --use-untranslated "$template" "$work/fresh.pot" ||
   ! msgcmp --use-untranslated "$work/fresh.pot" "$template"; then
    echo "i18n/po/kestrune.pot is not the sources' marked texts: run scripts/update-catalogue.sh" >&2
    exit 1
fi
status=0
for code in $(catalogue_languages); do
    po="$ROOT/i18n/po/$code.po"
    if ! msgfmt --check -o /dev/null "$po"; then
        echo "$code.po: msgfmt --check fails" >&2
        status=1
    fi
    if ! msgcmp --use-untranslated "$po" "$template"; then
        echo "$code.po lacks texts of the template: run scripts/update-catalogue.sh" >&2
        status=1
    fi
done
exit $status
