#!/usr/bin/env bash
# Installs a build into a temporary prefix and checks what a desktop needs: the program, the
# desktop entry, the icon in every usual size and the software centre's metadata, the entry and
# the metadata valid. Usage: check_installed_tree.sh BUILD_DIR
set -euo pipefail

build=$1
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
failures=0
fail() {
    echo "FAIL: $*"
    failures=$((failures + 1))
}

cmake --install "$build" --prefix "$prefix" >/dev/null

id=org.kestrune.Kestrune
[ -x "$prefix/bin/kestrune" ] || fail "no program at bin/kestrune"
[ -f "$prefix/share/icons/hicolor/scalable/apps/$id.svg" ] || fail "no scalable icon"
for size in 16 22 24 32 48 64 128 256; do
    png="$prefix/share/icons/hicolor/${size}x${size}/apps/$id.png"
    if [ ! -f "$png" ]; then
        fail "no ${size}x${size} icon"
    elif ! file "$png" | grep -q "PNG image data, $size x $size,"; then
        fail "the ${size}x${size} icon is $(file -b "$png")"
    fi
done

desktop="$prefix/share/applications/$id.desktop"
if [ -f "$desktop" ]; then
    desktop-file-validate "$desktop" || fail "desktop-file-validate refused the entry"
    grep -qx "Exec=kestrune" "$desktop" || fail "the entry does not start kestrune"
    grep -qx "Icon=$id" "$desktop" || fail "the entry does not name the icon"
else
    fail "no desktop entry"
fi

metainfo="$prefix/share/metainfo/$id.metainfo.xml"
if [ -f "$metainfo" ]; then
    appstreamcli validate --no-net --explain "$metainfo" || fail "appstreamcli refused the metadata"
    grep -q "<launchable type=\"desktop-id\">$id.desktop</launchable>" "$metainfo" ||
        fail "the metadata does not name the desktop entry"
    grep -q "<screenshot type=\"default\">" "$metainfo" || fail "the metadata has no screenshot"
else
    fail "no metadata"
fi

if [ "$failures" -ne 0 ]; then
    echo "$failures problems in the installed tree"
    exit 1
fi
echo "the installed tree under $prefix is complete and valid"
