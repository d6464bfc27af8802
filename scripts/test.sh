#!/usr/bin/env bash
# Installs what is missing, builds Kestrune and runs the whole test suite.
source "$(dirname "$0")/common.sh"

ensure_packages "${BUILD_PACKAGES[@]}"
configure_and_build build/test -DCMAKE_BUILD_TYPE=Debug -DKESTRUNE_WERROR=ON
say "running the tests"
ctest --test-dir "$ROOT/build/test" --output-on-failure
