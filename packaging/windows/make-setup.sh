#!/usr/bin/env bash
# Makes Kestrune's setup program with Debian's NSIS (makensis) from the two editions' programs,
# its pages in the languages of the program's catalogue:
#
#   packaging/windows/make-setup.sh VERSION PROGRAM64 PROGRAM32 OUTFILE
set -euo pipefail

if [ $# -ne 4 ]; then
    echo "usage: $0 VERSION PROGRAM64 PROGRAM32 OUTFILE" >&2
    exit 2
fi
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
version=$1
# The version resource wants four numbers: 2.0 is 2.0.0.0.
version4=$version
while [ "$(tr -cd . <<<"$version4" | wc -c)" -lt 3 ]; do version4=$version4.0; done
absolute() { echo "$(cd "$(dirname "$1")" && pwd)/$(basename "$1")"; }
# The pages' languages and our texts in them, from the program's catalogue.
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
i18n=$here/../../i18n
python3 "$i18n/make_setup_strings.py" "$(command -v msgfmt)" "$i18n/po/LINGUAS" "$i18n/po" \
    "$here/setup_texts.list" "$work/languages.nsh"
# -V2: warnings and errors only; -WX: a warning fails the build.
makensis -V2 -WX -INPUTCHARSET UTF8 \
    "-DVERSION=$version" "-DVERSION_4=$version4" \
    "-DPROGRAM64=$(absolute "$2")" "-DPROGRAM32=$(absolute "$3")" \
    "-DICON=$(cd "$here/../../ui_win32/resources" && pwd)/kestrune.ico" \
    "-DOUTFILE=$(absolute "$4")" "-DLANGUAGES=$work/languages.nsh" "$here/kestrune.nsi"
