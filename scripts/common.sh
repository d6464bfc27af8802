# Shared steps of the start and test commands: install what is missing, configure, build.
# Sourced, not run.
set -euo pipefail

# An environment may name no PATH at all (env -i): bash then searches a default of its own but
# hands none to the programs it starts, and CMake, which finds its own modules through PATH,
# cannot configure.
if ! printenv PATH >/dev/null; then
    export PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin
fi

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
    # Another apt may hold the lock for a while (an installation of its own): waited for, bounded.
    as_root apt-get -o DPkg::Lock::Timeout=600 update -qq
    as_root env DEBIAN_FRONTEND=noninteractive apt-get -o DPkg::Lock::Timeout=600 install -y -qq \
        --no-install-recommends "${missing[@]}"
}

BUILD_PACKAGES=(g++ cmake ninja-build pkg-config qt6-base-dev libgl-dev
                libgtest-dev libgmock-dev qt6-qpa-plugins fonts-dejavu-core fonts-liberation
                libxcb1-dev libxcb-damage0-dev gettext python3)

# The Windows builds: Debian's mingw-w64 compilers (posix threads), GoogleTest's sources to
# build for them, wine64 to run the 64-bit programs (never wine32: no 32-bit loader here), a
# private X server for the window tests, and NSIS for the setup program.
WINDOWS_PACKAGES=(g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix googletest wine64 xvfb nsis)

# The end-to-end voice test: Debian's Mumble server and client, and what settles the client's
# first run and clicks the launcher on a private X server.
VOICE_TEST_PACKAGES=(mumble-server mumble xvfb xdotool openssl sqlite3)
# The real dedicated game server that "Test server" asks over IPv6, and the game client that
# joins it, with their game data.
GAME_SERVER_TEST_PACKAGES=(ioquake3-server openarena-server ioquake3 openarena xvfb)

# The server list's end-to-end test: Debian's dedicated game server with the free game's data.
SERVER_LIST_TEST_PACKAGES=(ioquake3-server openarena-server)

# ensure_locales NAME...: generates the UTF-8 locales of the list that are missing ("ru_RU"
# gives ru_RU.UTF-8), with the `locales` package's data; the others are left as they are.
ensure_locales() {
    ensure_packages locales
    local name
    for name in "$@"; do
        if ! locale -a 2>/dev/null | grep -qix "$name.utf-\?8"; then
            say "generating the locale $name.UTF-8"
            as_root localedef -i "$name" -f UTF-8 "$name.UTF-8"
        fi
    done
}

wine_tool() {
    local name=$1
    if [ -x "/usr/lib/wine/$name" ]; then echo "/usr/lib/wine/$name"; else command -v "$name"; fi
}

# start_private_x_server: starts Xvfb on the first free display of :80 to :89 (no TCP) and sets
# PRIVATE_DISPLAY (":80") once it accepts clients; its process is XVFB_PID. The server never
# resets: by default an X server resets whenever its last client leaves, and a client that
# connects meanwhile (the next xdotool, a program just started) is refused, "Can't open display".
XVFB_PID=
PRIVATE_DISPLAY=
start_private_x_server() {
    local number ready
    ready=$(mktemp)
    for number in 80 81 82 83 84 85 86 87 88 89; do
        if [ -e "/tmp/.X$number-lock" ] || [ -e "/tmp/.X11-unix/X$number" ]; then
            continue
        fi
        # Xvfb writes the display's number to -displayfd once it accepts clients. Another
        # server taking the number first makes this one end: the next number is tried. A busy
        # machine may take long to start it, so the wait is for either, not for a time (its
        # bound only guards against a server that hangs).
        : >"$ready"
        Xvfb ":$number" -screen 0 1280x1024x24 -nolisten tcp -noreset -displayfd 3 3>"$ready" \
            >/dev/null 2>&1 &
        XVFB_PID=$!
        for _ in $(seq 1200); do
            if [ -s "$ready" ] || ! kill -0 "$XVFB_PID" 2>/dev/null; then break; fi
            sleep 0.05
        done
        if [ -s "$ready" ]; then
            rm -f "$ready"
            PRIVATE_DISPLAY=:$number
            say "Xvfb on $PRIVATE_DISPLAY"
            return 0
        fi
        stop_private_x_server
    done
    rm -f "$ready"
    echo "no free X display among :80 to :89" >&2
    return 1
}

# Ends the private X server, once whatever drew on it has ended; one that does not end on
# request within 10 s is killed, so that the caller never waits for ever.
stop_private_x_server() {
    if [ -n "$XVFB_PID" ]; then
        kill "$XVFB_PID" 2>/dev/null || true
        for _ in $(seq 200); do
            kill -0 "$XVFB_PID" 2>/dev/null || break
            sleep 0.05
        done
        kill -KILL "$XVFB_PID" 2>/dev/null || true
        wait "$XVFB_PID" 2>/dev/null || true
        XVFB_PID=
        PRIVATE_DISPLAY=
    fi
}

# choose_wine: sets WINE and WINESERVER, the commands of the Wine that runs this build's
# programs, and WINE_FILES, the tree its paths are in: the host's wine64 (64-bit programs only),
# or within scripts/wow64-root.sh run, the WoW64 root's Wine (32-bit and 64-bit programs).
WINE=()
WINESERVER=()
WINE_FILES=
choose_wine() {
    if [ -n "${KESTRUNE_WOW64_ROOT:-}" ]; then
        WINE=("$ROOT/scripts/wow64-root.sh" wine)
        WINESERVER=("$ROOT/scripts/wow64-root.sh" wineserver)
        WINE_FILES=$KESTRUNE_WOW64_ROOT
    else
        WINE=("$(wine_tool wine64)")
        WINESERVER=("$(wine_tool wineserver)")
        WINE_FILES=
    fi
}

# run_under_wine DIR [CTEST-OPTIONS...]: runs the CTest suites of a Windows build (those the options
# choose) under Wine, with a private X server for the window tests: a 64-bit build under the host's
# wine64; within scripts/wow64-root.sh run, a 32-bit build under the root's Wine; either in a Wine
# prefix inside the build (made once). The prefix's server is started first and kept running, so
# that no suite spends its time on starting it (and its services) again; it and the X server are
# ended afterwards, whatever happened (a failure, an error in this script, Ctrl-C). Wine names files
# on disk through the Unix locale, so everything runs in C.UTF-8, which every Debian (and the root)
# has, whatever the machine names or lacks; a suite that needs another locale sets its own.
run_under_wine() {
    local dir=$ROOT/$1
    shift
    choose_wine
    # The prefix is the build's own, also in the WoW64 root (which holds the build folder at the
    # same path): two clones' runs never share one.
    export WINEPREFIX=$dir/wineprefix
    export WINEDEBUG=-all
    WINE_SERVER_TO_END=("${WINESERVER[@]}")
    trap 'end_wine_and_x_server' EXIT
    trap 'exit 130' INT
    trap 'exit 143' TERM
    start_private_x_server
    # The server needs the prefix's folder; wineboot fills it the first time.
    mkdir -p "$WINE_FILES$WINEPREFIX"
    LC_ALL=C.UTF-8 "${WINESERVER[@]}" -p
    # No browser or .NET runtime for the prefix: the suites need neither.
    LC_ALL=C.UTF-8 DISPLAY=$PRIVATE_DISPLAY WINEDLLOVERRIDES="mscoree=;mshtml=" "${WINE[@]}" \
        wineboot --init >/dev/null 2>&1
    # The private X server has no window manager. Wine hands its windows to one all the same and,
    # each time one is hidden, waits a second for it to answer (Wine 8: the 64-bit window suites
    # took 53 s rather than 4). Windows that no window manager handles are hidden at once.
    LC_ALL=C.UTF-8 DISPLAY=$PRIVATE_DISPLAY "${WINE[@]}" reg add 'HKCU\Software\Wine\X11 Driver' \
        /v Managed /d N /f >/dev/null 2>&1
    local status=0
    # WoW64 runs 32-bit code in a 64-bit process through the kernel's 32-bit code segment, which
    # some virtual machines do not give: there every 32-bit program crashes at its start. One of
    # Wine's own tells it before the suites would all fail.
    if [ -n "${KESTRUNE_WOW64_ROOT:-}" ] &&
       ! LC_ALL=C.UTF-8 "${WINE[@]}" /usr/lib/x86_64-linux-gnu/wine/i386-windows/hostname.exe \
           >/dev/null 2>&1; then
        echo "$WOW64_NO_32_BIT_CODE" >&2
        status=$WOW64_UNAVAILABLE_STATUS
    else
        LC_ALL=C.UTF-8 DISPLAY=$PRIVATE_DISPLAY ctest --test-dir "$dir" --output-on-failure "$@" ||
            status=$?
    fi
    end_wine_and_x_server
    trap - EXIT INT TERM
    unset WINEPREFIX WINEDEBUG
    return $status
}

# run_under_wow64_wine DIR [CTEST-OPTIONS...]: run_under_wine for a 32-bit build, within the WoW64
# root. Returns 77 where the root cannot be had, the one line that says why in WOW64_UNAVAILABLE
# (and printed).
WOW64_UNAVAILABLE=
WOW64_UNAVAILABLE_STATUS=77
WOW64_NO_32_BIT_CODE="no WoW64 root: this machine runs no 32-bit code (Wine's own 32-bit \
hostname.exe crashed at its start: the kernel gives no 32-bit code segment)"
run_under_wow64_wine() {
    local status=0
    { WOW64_UNAVAILABLE=$("$ROOT/scripts/wow64-root.sh" ready 2>&1 1>&3); } 3>&1 || status=$?
    if [ "$status" -ne 0 ]; then
        # What installing printed on the way is not the reason.
        echo "$WOW64_UNAVAILABLE" >&2
        WOW64_UNAVAILABLE=$(grep '^no WoW64 root: ' <<<"$WOW64_UNAVAILABLE" | tail -n 1 || true)
        return "$status"
    fi
    "$ROOT/scripts/wow64-root.sh" run "$BASH" -c 'source "$1" && run_under_wine "${@:2}"' _ \
        "$ROOT/scripts/common.sh" "$@" || status=$?
    # The run ends so, having said why, where this machine cannot run what the root holds.
    if [ "$status" -eq "$WOW64_UNAVAILABLE_STATUS" ]; then
        WOW64_UNAVAILABLE=$WOW64_NO_32_BIT_CODE
    fi
    return "$status"
}

# Ends the prefix's server and its programs, then the X server they draw on.
WINE_SERVER_TO_END=()
end_wine_and_x_server() {
    if [ ${#WINE_SERVER_TO_END[@]} -gt 0 ]; then
        "${WINE_SERVER_TO_END[@]}" -k 2>/dev/null || true
        "${WINE_SERVER_TO_END[@]}" -w 2>/dev/null || true
        WINE_SERVER_TO_END=()
    fi
    stop_private_x_server
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
