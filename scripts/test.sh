#!/usr/bin/env bash
# Installs what is missing, builds Kestrune and runs the whole test suite: once as a Debug build
# (g++), once under AddressSanitizer and UndefinedBehaviorSanitizer (clang), then every fuzz
# target for FUZZ_SECONDS seconds (30 by default); then builds for 64-bit and 32-bit Windows
# (mingw-w64) and runs the 64-bit suites under wine64, then the 32-bit ones under Debian unstable's
# WoW64 Wine in a root of their own (scripts/wow64-root.sh), the window tests on a private Xvfb.
# Any failure or sanitizer report fails the run; 32-bit suites that cannot be run (no root, no
# archive) are counted as not run.
source "$(dirname "$0")/common.sh"

# The installed tree is checked with the desktop's own validators.
ensure_packages "${BUILD_PACKAGES[@]}" desktop-file-utils appstream file
ensure_fuzz_toolchain
ensure_packages "${VOICE_TEST_PACKAGES[@]}"
ensure_packages "${SERVER_LIST_TEST_PACKAGES[@]}"
ensure_packages "${GAME_SERVER_TEST_PACKAGES[@]}"

# The benchmarks are built too, so that they keep compiling; they are run by bench/run.sh.
configure_and_build build/test -DCMAKE_BUILD_TYPE=Debug -DKESTRUNE_WERROR=ON -DKESTRUNE_BENCH=ON
say "running the tests"
ctest --test-dir "$ROOT/build/test" --output-on-failure

configure_and_build build/asan -DCMAKE_BUILD_TYPE=Debug -DKESTRUNE_WERROR=ON -DKESTRUNE_SANITIZE=ON \
    -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++
say "running the tests under AddressSanitizer and UndefinedBehaviorSanitizer"
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1:strict_string_checks=1 \
LSAN_OPTIONS=suppressions="$ROOT/tests/sanitizer-leaks.supp":print_suppressions=0 \
UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
    ctest --test-dir "$ROOT/build/asan" --output-on-failure

"$ROOT/scripts/fuzz.sh" "${FUZZ_SECONDS:-30}"

ensure_packages "${WINDOWS_PACKAGES[@]}"
# The code-page suite runs under Wine in Russian and Polish too (code pages 1251 and 1250).
ensure_locales ru_RU pl_PL
# Without debug information: the two dozen statically linked suites of each build link in half
# the time, and a failing suite is read from its output, not in a debugger.
configure_and_build build/win64 -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/mingw-w64-x86_64.cmake" \
    -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS_DEBUG=-g0 -DKESTRUNE_WERROR=ON -DKESTRUNE_BENCH=ON
configure_and_build build/win32 -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/mingw-w64-i686.cmake" \
    -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS_DEBUG=-g0 -DKESTRUNE_WERROR=ON -DKESTRUNE_BENCH=ON
say "running the 64-bit Windows tests under Wine"
run_under_wine build/win64
say "running the 32-bit Windows tests under the WoW64 root's Wine"
wow64_status=0
run_under_wow64_wine build/win32 || wow64_status=$?
[ "$wow64_status" -eq 0 ] || [ "$wow64_status" -eq 77 ] || exit "$wow64_status"

# Reached only when everything passed (any failure above ends the script).
suites=$(ctest --test-dir "$ROOT/build/test" -N | awk '/Total Tests:/ {print $3}')
asan_suites=$(ctest --test-dir "$ROOT/build/asan" -N | awk '/Total Tests:/ {print $3}')
fuzzers=$(cd "$ROOT/fuzz" && ls fuzz_*.cpp | wc -l)
windows_suites=$(ctest --test-dir "$ROOT/build/win64" -N | awk '/Total Tests:/ {print $3}')
win32_suites=$(ctest --test-dir "$ROOT/build/win32" -N | awk '/Total Tests:/ {print $3}')
passed=$((suites + asan_suites + fuzzers + windows_suites))
if [ "$wow64_status" -eq 0 ]; then
    say "all passed: $suites test suites, $asan_suites under the sanitizers, $fuzzers fuzz targets," \
        "$windows_suites 64-bit Windows suites under Wine, $win32_suites 32-bit ones under WoW64 Wine"
    echo "summary: $((passed + win32_suites)) passed, 0 failed"
else
    say "all that ran passed: $suites test suites, $asan_suites under the sanitizers, $fuzzers" \
        "fuzz targets, $windows_suites 64-bit Windows suites under Wine;" \
        "the $win32_suites 32-bit Windows suites were NOT run: ${WOW64_UNAVAILABLE#no WoW64 root: }"
    echo "summary: $passed passed, 0 failed, $win32_suites skipped"
fi
