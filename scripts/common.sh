# Shared steps of the start and test commands: install what is missing, configure, build.
# Sourced, not run.
set -euo pipefail

ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)

say() { printf '\033[1m==> %s\033[0m\n' "$*"; }

as_root() {
    if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi
}

# ensure_packages PKG...: installs the Debian packages of the list that are not installed yet.
ensure_packages() {
    local missing=()
    local pkg
    for pkg in "$@"; do
        if ! dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q 'install ok installed'; then
            missing+=("$pkg")
        fi
    done
    if [ ${#missing[@]} -eq 0 ]; then
        say "packages present: $*"
        return
    fi
    say "installing: ${missing[*]}"
    as_root apt-get update -qq
    as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}"
}

BUILD_PACKAGES=(g++ cmake ninja-build pkg-config qt6-base-dev libgl-dev
                libgtest-dev libgmock-dev qt6-qpa-plugins fonts-dejavu-core fonts-liberation
                libxcb1-dev libxcb-damage0-dev)

# The Windows builds: Debian's mingw-w64 compilers (posix threads), GoogleTest's sources to
# build for them, and wine64 to run the 64-bit programs (never wine32: no 32-bit loader here).
WINDOWS_PACKAGES=(g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix googletest wine64)

wine_tool() {
    local name=$1
    if [ -x "/usr/lib/wine/$name" ]; then echo "/usr/lib/wine/$name"; else command -v "$name"; fi
}

# run_under_wine DIR: runs the CTest suites of a 64-bit Windows build under wine64, in a Wine
# prefix inside the build (made once; wineboot starts its server so that the first suite does
# not spend its time on that), and shuts the prefix's server down afterwards.
run_under_wine() {
    local dir=$ROOT/$1
    export WINEPREFIX=$dir/wineprefix WINEDEBUG=-all
    local wine wineserver
    wine=$(wine_tool wine64)
    wineserver=$(wine_tool wineserver)
    # No browser or .NET runtime for the prefix: the suites need neither.
    WINEDLLOVERRIDES="mscoree=;mshtml=" "$wine" wineboot --init >/dev/null 2>&1
    local status=0
    ctest --test-dir "$dir" --output-on-failure || status=$?
    "$wineserver" -k 2>/dev/null || true
    "$wineserver" -w 2>/dev/null || true
    unset WINEPREFIX WINEDEBUG
    return $status
}

# configure_and_build DIR [cmake options...]
configure_and_build() {
    local dir=$1
    shift
    say "configuring $dir $*"
    cmake -S "$ROOT" -B "$ROOT/$dir" -G Ninja "$@" >/dev/null
    say "building $dir"
    cmake --build "$ROOT/$dir" --parallel "$(nproc)"
}

# Clang with its sanitizer and libFuzzer runtimes.
ensure_fuzz_toolchain() {
    ensure_packages clang
    if [ ! -f "$(clang -print-file-name=libclang_rt.fuzzer-x86_64.a)" ] &&
       [ ! -f "$(clang -print-resource-dir)/lib/linux/libclang_rt.fuzzer-x86_64.a" ]; then
        ensure_packages libclang-rt-dev
    fi
}
