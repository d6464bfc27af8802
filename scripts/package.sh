#!/usr/bin/env bash
# Installs what is missing, builds Kestrune in Release for /usr in build/package and makes the
# Debian package build/package/kestrune_<version>_amd64.deb.
source "$(dirname "$0")/common.sh"

ensure_packages "${BUILD_PACKAGES[@]}" dpkg-dev file
configure_and_build build/package -DCMAKE_BUILD_TYPE=Release -DKESTRUNE_TESTS=OFF \
    -DCMAKE_INSTALL_PREFIX=/usr
say "packaging"
(cd "$ROOT/build/package" && cpack -G DEB)
say "made $(ls "$ROOT"/build/package/kestrune_*.deb)"
