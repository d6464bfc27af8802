#!/usr/bin/env bash
# Makes the Debian package of a build, as scripts/package.sh does, in a temporary folder, and checks
# what its control file asks of the system. Usage: check_debian_package.sh BUILD_DIR
set -euo pipefail

build=$1
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT

# The libraries' dependencies are dpkg-shlibdeps' affair; the ones named here are the package's.
cpack --config "$build/CPackConfig.cmake" -B "$out" -G DEB \
    -D CPACK_DEBIAN_PACKAGE_SHLIBDEPS=OFF >/dev/null
deb=$(ls "$out"/kestrune_*.deb)

failures=0
expect_field() {  # FIELD EXPECTED
    local got
    got=$(dpkg-deb --field "$deb" "$1")
    if [ "$got" != "$2" ]; then
        echo "FAIL: $1 is \"$got\", expected \"$2\""
        failures=$((failures + 1))
    fi
}
expect_field Package kestrune
# The X11 plugin always; the Wayland one, so that a Wayland session shows Kestrune natively.
expect_field Depends "qt6-qpa-plugins, fonts-liberation | fonts-dejavu-core"
expect_field Recommends "qt6-wayland, xdg-utils"
expect_field Suggests wine
[ "$failures" -eq 0 ] || exit 1
echo "the package's control file asks for what Kestrune needs"
