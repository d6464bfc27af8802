#!/usr/bin/env bash
# Installs what is missing, builds Kestrune in build/release and starts it.
source "$(dirname "$0")/common.sh"

ensure_packages "${BUILD_PACKAGES[@]}" xdg-utils
configure_and_build build/release -DCMAKE_BUILD_TYPE=Release -DKESTRUNE_TESTS=OFF
say "starting $ROOT/build/release/app/kestrune"
cd "$ROOT/build/release/app"
exec ./kestrune
