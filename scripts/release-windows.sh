#!/usr/bin/env bash
# Builds the Windows edition for release: kestrune.exe for 64-bit and for 32-bit Windows, in
# Release with the C and C++ runtimes linked in and stripped, each zipped with a readme that tells
# a player where the settings go (packaging/windows/README.txt), and the setup program that
# installs the edition that fits the player's Windows (packaging/windows/kestrune.nsi):
#
#   build/release/kestrune-VERSION-win64.zip    build/release/kestrune-VERSION-win32.zip
#   build/release/kestrune-VERSION-setup.exe
#
# Each program is checked to import system DLLs only (none of the compiler's runtime DLLs).
source "$(dirname "$0")/common.sh"

ensure_packages cmake ninja-build g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix zip nsis

VERSION=$(sed -n 's/^project(Kestrune VERSION \([0-9.]*\).*/\1/p' "$ROOT/CMakeLists.txt")
OUT=$ROOT/build/release
mkdir -p "$OUT"

# release EDITION PROCESSOR BITS: builds, strips, checks and zips one edition.
release() {
    local edition=$1 processor=$2 bits=$3
    local triple=$processor-w64-mingw32 build=build/release-$edition
    configure_and_build "$build" -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/mingw-w64-$processor.cmake" \
        -DCMAKE_BUILD_TYPE=Release -DKESTRUNE_WERROR=ON -DKESTRUNE_TESTS=OFF
    local staging=$ROOT/$build/zip
    rm -rf "$staging"
    mkdir -p "$staging"
    "$triple-strip" -o "$staging/kestrune.exe" "$ROOT/$build/app/kestrune.exe"

    # Every DLL it imports must come with Windows: the ones the compiler ships (its C++ runtime,
    # libgcc, winpthread) lie in the toolchain's folders.
    local dll found=0
    for dll in $("$triple-objdump" -p "$staging/kestrune.exe" | awk '/DLL Name:/ {print $3}'); do
        if [ -n "$(find "/usr/lib/gcc/$triple" "/usr/$triple" -iname "$dll" -print -quit)" ]; then
            echo "kestrune.exe ($edition) imports $dll, which Windows does not have" >&2
            found=1
        fi
    done
    [ "$found" -eq 0 ] || return 1
    say "kestrune.exe ($edition) imports: $("$triple-objdump" -p "$staging/kestrune.exe" |
        awk '/DLL Name:/ {printf "%s%s", sep, $3; sep = " "}')"

    # The readme with Windows' line ends, for Notepad.
    sed -e "s/@VERSION@/$VERSION/" -e "s/@EDITION@/$bits/" -e 's/$/\r/' \
        "$ROOT/packaging/windows/README.txt" >"$staging/README.txt"
    local zip=$OUT/kestrune-$VERSION-$edition.zip
    rm -f "$zip"
    (cd "$staging" && zip -q -X "$zip" kestrune.exe README.txt)
    say "$(basename "$zip"): $(stat -c %s "$zip") bytes (kestrune.exe $(stat -c %s \
        "$staging/kestrune.exe") bytes)"
}

release win64 x86_64 64-bit
release win32 i686 32-bit

# The setup holds both programs; it must stay small enough to fetch in a moment.
setup=$OUT/kestrune-$VERSION-setup.exe
"$ROOT/packaging/windows/make-setup.sh" "$VERSION" "$ROOT/build/release-win64/zip/kestrune.exe" \
    "$ROOT/build/release-win32/zip/kestrune.exe" "$setup"
size=$(stat -c %s "$setup")
say "$(basename "$setup"): $size bytes"
if [ "$size" -gt $((1536 * 1024)) ]; then
    echo "$(basename "$setup") is larger than 1.5 MiB" >&2
    exit 1
fi
