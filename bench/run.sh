#!/usr/bin/env bash
# Builds Kestrune and its benchmarks in Release (build/bench), runs them on a private X display
# with a window manager, and prints one table: each figure the median of RUNS runs (10 by
# default), beside its baseline measured in the same run, and their ratio.
#
#   bench/run.sh       RUNS=15 bench/run.sh       ONLY=probe DISPLAY_NUMBER=93 bench/run.sh
#
# ONLY names the parts to run, of: startup (start-up, memory, idle cost), probe, burst,
# serverlist (a refresh of 2,000 loopback servers beside quakestat), windows
# (the Windows edition's start-up and memory under Wine, and where its start-up goes, from a
# traced build of its own), wow64 (the 32-bit and 64-bit editions' start-up and memory under the
# WoW64 root's Wine, scripts/wow64-root.sh); DISPLAY_NUMBER the X display to start (else the
# first free one of :95 to :99).
#
# Measured: start-up to the main window mapped and painted, resident memory once idle, the
# server probe's latency, what the idle launcher costs, the datagram burst, and the first two
# for the Windows editions under Wine. Only loopback addresses are used. Takes about twenty
# minutes with 10 runs (the first time, a few more to build for Windows and make the root).
source "$(dirname "${BASH_SOURCE[0]}")/../scripts/common.sh"

RUNS=${RUNS:-10}
IDLE_MS=10000     # idle time measured
SETTLE_MS=3000    # after the first paint: the splash window (1.5 s) is gone by then
LOOKUP_MS=2000    # the slow name lookup "Test server" waits on
CLICKS=20         # probe clicks (and raw round trips) per run
BUILD=build/bench
ONLY=${ONLY:-startup probe burst serverlist windows wow64}
part() { [[ " $ONLY " == *" $1 "* ]]; }
# The WoW64 root's Wine runs within its mounts, which only the processes of one mount namespace
# see: the whole bench enters it. Where the root cannot be had, its script says why, and the
# part is left out.
if part wow64 && [ -z "${KESTRUNE_WOW64_ROOT:-}" ]; then
    if "$ROOT/scripts/wow64-root.sh" ready; then
        exec "$ROOT/scripts/wow64-root.sh" run "$ROOT/bench/run.sh"
    fi
    ONLY=" $ONLY "
    ONLY=${ONLY/ wow64 / }
fi
# The probe's details are measured against an answer recorded from a real server with six players,
# and against a full server's answer: 64 players, 3.3 kB.
RECORDED_ANSWER=$ROOT/tests/launcher/data/status-tdm-utf8.bin
FULL_ANSWER=$ROOT/tests/launcher/data/status-full-64.bin
BIN=$ROOT/$BUILD/bench

ensure_packages "${BUILD_PACKAGES[@]}" xvfb openbox x11-utils libxcb1-dev libxcb-damage0-dev qstat

say "configuring $BUILD (Release)"
cmake -S "$ROOT" -B "$ROOT/$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=Release -DKESTRUNE_BENCH=ON \
    -DKESTRUNE_TESTS=ON >/dev/null
say "building the launcher and the benchmarks"
cmake --build "$ROOT/$BUILD" --target kestrune test_bench_process_usage bench_window_watch \
    bench_bare_window bench_udp_responder bench_udp_round_trip bench_probe_latency bench_udp_burst \
    bench_server_world bench_server_list_refresh
"$BIN/test_bench_process_usage" --gtest_brief=1 >/dev/null

WORK=$(mktemp -d /tmp/kestrune-bench.XXXXXX)
PIDS=()
cleanup() {
    local pid
    # The Wine prefix's server and its programs go before the X server they draw on.
    end_wine_and_x_server
    for pid in "${PIDS[@]}"; do kill "$pid" 2>/dev/null || true; done
    rm -rf "$WORK"
}
trap cleanup EXIT

# --- The X display: Xvfb on DISPLAY_NUMBER or the first free one of :95 to :99, and a window
# manager --------------------------------------------------------------------------------------
for number in ${DISPLAY_NUMBER:-95 96 97 98 99}; do
    if [ ! -e "/tmp/.X$number-lock" ] && [ ! -e "/tmp/.X11-unix/X$number" ]; then
        FREE_DISPLAY=$number
        break
    fi
done
if [ -z "${FREE_DISPLAY:-}" ]; then
    echo "no free X display among :${DISPLAY_NUMBER:-95 to :99}" >&2
    exit 1
fi
export DISPLAY=:$FREE_DISPLAY
export XDG_RUNTIME_DIR=$WORK/runtime
mkdir -m 700 "$XDG_RUNTIME_DIR"
unset QT_QPA_PLATFORM WAYLAND_DISPLAY
say "starting Xvfb on $DISPLAY and a window manager"
Xvfb "$DISPLAY" -screen 0 1280x1024x24 -nolisten tcp >"$WORK/xvfb.log" 2>&1 &
PIDS+=($!)
for _ in $(seq 100); do xprop -root >/dev/null 2>&1 && break; sleep 0.1; done
openbox --sm-disable >"$WORK/openbox.log" 2>&1 &
PIDS+=($!)
for _ in $(seq 100); do
    xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && break
    sleep 0.1
done
if ! xprop -root _NET_SUPPORTING_WM_CHECK | grep -q 'window id'; then
    echo "no window manager on $DISPLAY" >&2
    exit 1
fi

# --- The launcher's folder: a copy of the binary, all fifteen settings, 50 mods -----------------
make_launcher_folder() {  # DIR Q3PORT [PROGRAM]
    mkdir -p "$1"
    cp "${3:-$ROOT/$BUILD/app/kestrune}" "$1/"
    cat >"$1/kestrune.ini" <<EOF
[Main]
Autosave=1
ExitOnLaunch=0
Mods=7
[TeamSpeak]
TSExecutable=/opt/voice/TeamSpeak.exe
TSServer=127.0.0.1
TSPort=8767
TSNick=Player
TSLogin=player
TSPassword=voice-secret
Autojoin=1
[Quake3]
Q3Executable=/opt/game/quake3.exe
Q3Server=127.0.0.1
Q3Port=$2
Q3Password=game-secret
Q3Game=1
EOF
    for mod in $(seq 1 50); do echo "mod$mod"; done >"$1/mods.kst"
}
make_launcher_folder "$WORK/launcher" 27960

# Runs a measuring command and files the key=value pairs of its line, one value per file:
# $WORK/values/<prefix><key>. A failed run is reported and left out.
measure() {  # PREFIX COMMAND [ARGS...]
    local prefix=$1 line pair
    shift
    if ! line=$("$@" 2>>"$WORK/errors.log") || [ -z "$line" ]; then
        echo "  a run of $* failed; its last messages:" >&2
        tail -3 "$WORK/errors.log" >&2
        return 0
    fi
    for pair in $line; do
        echo "${pair#*=}" >>"$WORK/values/$prefix${pair%%=*}"
    done
}
mkdir -p "$WORK/values"
median() {  # NAME (0 for a part that did not run)
    [ -s "$WORK/values/$1" ] || { echo 0; return; }
    sort -g "$WORK/values/$1" | awk '{v[NR] = $1}
        END {print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2}'
}

LOAD_BEFORE=$(cut -d' ' -f1-3 /proc/loadavg)

# With --unfocus after the program, another window is made the active one before the idle time.
watch_window() {  # TITLE SETTLE IDLE PROGRAM [ARGS...] [--unfocus]
    local title=$1 settle=$2 idle=$3 options=()
    shift 3
    if [ "${*: -1}" = --unfocus ]; then
        options=(--unfocus)
        set -- "${@:1:$#-1}"
    fi
    "$BIN/bench_window_watch" --title "$title" --settle-ms "$settle" --idle-ms "$idle" \
        "${options[@]}" -- "$@"
}

if part startup; then
# --- Start-up, memory and idle cost: launcher and bare window in turn -----------------------
in_launcher_folder() { (cd "$WORK/launcher" && "$@"); }
# Start-up back to back: this machine pages out memory left untouched for some seconds, and a
# program started after a quiet spell pays for bringing its libraries back in. That figure is
# taken too, from the idle runs below.
say "start-up: $((3 * RUNS)) runs of each, back to back"
# One run of each first, so that neither pays for a cold disk cache.
measure warm_ in_launcher_folder watch_window "Kestrune version 2.0" 0 0 ./kestrune
measure warm_ watch_window "Bare window" 0 0 "$BIN/bench_bare_window"
for run in $(seq $((3 * RUNS))); do
    measure bare_ watch_window "Bare window" 0 0 "$BIN/bench_bare_window"
    measure kestrune_ in_launcher_folder watch_window "Kestrune version 2.0" 0 0 ./kestrune
    measure label_ watch_window "Bare window" 0 0 "$BIN/bench_bare_window" --label
done
say "memory and idle cost: $RUNS runs of $(((4 * SETTLE_MS + 3 * IDLE_MS) / 1000 + 1)) s"
for run in $(seq "$RUNS"); do
    measure bare_idle_ watch_window "Bare window" "$SETTLE_MS" "$IDLE_MS" "$BIN/bench_bare_window"
    measure kestrune_idle_ in_launcher_folder \
        watch_window "Kestrune version 2.0" "$SETTLE_MS" "$IDLE_MS" ./kestrune
    measure label_idle_ watch_window "Bare window" "$SETTLE_MS" 0 "$BIN/bench_bare_window" --label
    measure background_idle_ in_launcher_folder \
        watch_window "Kestrune version 2.0" "$SETTLE_MS" "$IDLE_MS" ./kestrune --unfocus
    printf '  run %2d of %d\n' "$run" "$RUNS"
done
fi

if part probe; then
# --- The probe: click to "Server is online" beside the raw round trip ------------------------
say "probe latency and slow lookup: $RUNS runs"
# A loopback responder (answering with REPLY_FILE, else the bare reply), and a launcher folder
# DIR whose settings name it; its port is left in $WORK/NAME.port.
start_responder() {  # NAME DIR [REPLY_FILE]
    "$BIN/bench_udp_responder" 60 "${@:3}" >"$WORK/$1.port" &
    PIDS+=($!)
    for _ in $(seq 50); do [ -s "$WORK/$1.port" ] && break; sleep 0.1; done
    make_launcher_folder "$WORK/$2" "$(cat "$WORK/$1.port")"
}
start_responder responder probe
PORT=$(cat "$WORK/responder.port")
in_probe_folder() { (cd "$WORK/probe" && "$@"); }
# The same against a responder that gives the recorded answer, for the details, and one that
# gives a full server's.
start_responder recorded details "$RECORDED_ANSWER"
RECORDED_PORT=$(cat "$WORK/recorded.port")
in_details_folder() { (cd "$WORK/details" && "$@"); }
start_responder full full "$FULL_ANSWER"
FULL_PORT=$(cat "$WORK/full.port")
in_full_folder() { (cd "$WORK/full" && "$@"); }
for run in $(seq "$RUNS"); do
    measure raw_ "$BIN/bench_udp_round_trip" "$PORT" "$CLICKS"
    measure probe_ in_probe_folder "$BIN/bench_probe_latency" ./kestrune.ini "$CLICKS" "$LOOKUP_MS"
    measure recorded_raw_ "$BIN/bench_udp_round_trip" "$RECORDED_PORT" "$CLICKS"
    measure recorded_ in_details_folder "$BIN/bench_probe_latency" ./kestrune.ini "$CLICKS" 1
    measure full_raw_ "$BIN/bench_udp_round_trip" "$FULL_PORT" "$CLICKS"
    measure full_ in_full_folder "$BIN/bench_probe_latency" ./kestrune.ini "$CLICKS" 1
done
fi

if part serverlist; then
# --- The server list: a refresh of a world of 2,000 servers -----------------------------------
# One process holds the master and the responders (a fifth silent, the others answering after
# 5 to 150 ms each) for every run; it ends when its standard input closes.
say "server list refresh: $RUNS runs"
mkfifo "$WORK/world.in"
"$BIN/bench_server_world" 2000 <"$WORK/world.in" >"$WORK/world.txt" 2>"$WORK/world.err" &
WORLD_PID=$!
PIDS+=($WORLD_PID)
exec {WORLD_IN}>"$WORK/world.in"
for _ in $(seq 100); do [ "$(wc -l <"$WORK/world.txt")" -gt 2000 ] && break; sleep 0.1; done
WORLD_MASTER=$(head -1 "$WORK/world.txt")
tail -n +2 "$WORK/world.txt" >"$WORK/world.delays"
for run in $(seq "$RUNS"); do
    measure serverlist_ "$BIN/bench_server_list_refresh" "$WORLD_MASTER" "$WORK/world.delays"
    # quakestat with the same three datagrams a server, half a second apart.
    start=$(date +%s%N)
    quakestat -q3m "127.0.0.1:$WORLD_MASTER" -retry 3 -interval 0.5 -nh -raw , >"$WORK/qstat.txt" \
        2>>"$WORK/errors.log" || true
    end=$(date +%s%N)
    echo $(((end - start) / 1000000)) >>"$WORK/values/qstat_settled_ms"
    grep '^Q3S,' "$WORK/qstat.txt" | grep -vc -e ',DOWN' -e ',TIMEOUT' \
        >>"$WORK/values/qstat_answered" || true
done
exec {WORLD_IN}>&-
wait "$WORLD_PID" 2>/dev/null || true
fi

if part burst; then
# --- The datagram burst ------------------------------------------------------------------------
say "datagram burst: $RUNS runs"
# Columns after the 22-character run name: sent kept read order seconds per-sec allocs RSS...
burst_row() { grep "^$1" "$WORK/burst.txt" | cut -c24-; }
for run in $(seq "$RUNS"); do
    "$BIN/bench_udp_burst" >"$WORK/burst.txt"
    read -r sent kept _ _ _ rate _ <<<"$(burst_row 'blocking recvfrom')"
    echo "$rate" >>"$WORK/values/burst_blocking_rate"
    awk -v k="$kept" -v s="$sent" 'BEGIN {print 100 * k / s}' >>"$WORK/values/burst_blocking_kept"
    read -r sent kept _ _ _ rate _ _ _ late _ <<<"$(burst_row 'endpoint + event loop')"
    echo "$rate" >>"$WORK/values/burst_endpoint_rate"
    awk -v k="$kept" -v s="$sent" 'BEGIN {print 100 * k / s}' >>"$WORK/values/burst_endpoint_kept"
    echo "$late" >>"$WORK/values/burst_endpoint_late"
    read -r _ _ _ _ _ _ _ _ _ late _ <<<"$(burst_row 'timer, no burst')"
    echo "$late" >>"$WORK/values/burst_idle_late"
done
fi

# --- Where the Windows edition's start-up goes: a build with its start-up trace compiled in
# (KESTRUNE_STARTUP_TRACE), run beside the bare window built the same way. Each traced program
# prints "step=ms" pairs on standard error just before its message loop; the table gives each
# step's median, in the launcher's order, with the bare window's where it has the same step.
# Needs the Wine prefix of the windows part. -----------------------------------------------------
WINDOWS_TRACE_BUILD=build/bench-win64-trace
windows_trace_once() {  # OUTPUT PROGRAM [ARGS...]
    local out=$1 err=$WORK/trace.err pid
    shift
    : >"$err"
    "$@" 2>"$err" >/dev/null &
    pid=$!
    for _ in $(seq 200); do grep -q = "$err" && break; sleep 0.05; done
    kill "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
    grep = "$err" >>"$out" || echo "  a traced run of $* printed no trace" >&2
}
windows_trace_medians() {  # FILE: "step median_ms" per step, a step noted twice in a run summed
    awk '{
        for (i = 1; i <= NF; i++) {
            split($i, pair, "=")
            if (!(pair[1] in known)) { known[pair[1]] = 1; names[++count] = pair[1] }
            value[pair[1], NR] += pair[2]
        }
    } END {
        for (j = 1; j <= count; j++) {
            n = 0
            for (r = 1; r <= NR; r++) if ((names[j], r) in value) sorted[++n] = value[names[j], r]
            for (a = 2; a <= n; a++) {
                x = sorted[a]
                for (b = a - 1; b >= 1 && sorted[b] > x; b--) sorted[b + 1] = sorted[b]
                sorted[b + 1] = x
            }
            median = (n % 2) ? sorted[(n + 1) / 2] : (sorted[n / 2] + sorted[n / 2 + 1]) / 2
            printf "%s %.2f\n", names[j], median
        }
    }' "$1"
}
windows_startup_trace() {
    say "configuring $WINDOWS_TRACE_BUILD (Release, 64-bit Windows, start-up trace)"
    cmake -S "$ROOT" -B "$ROOT/$WINDOWS_TRACE_BUILD" -G Ninja -DCMAKE_BUILD_TYPE=Release \
        -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/mingw-w64-x86_64.cmake" -DKESTRUNE_BENCH=ON \
        -DKESTRUNE_STARTUP_TRACE=ON -DKESTRUNE_TESTS=OFF >/dev/null
    cmake --build "$ROOT/$WINDOWS_TRACE_BUILD" --target kestrune bench_win32_bare_window
    make_launcher_folder "$WORK/windows-trace" 27960 "$ROOT/$WINDOWS_TRACE_BUILD/app/kestrune.exe"
    local bare=$ROOT/$WINDOWS_TRACE_BUILD/bench/bench_win32_bare_window.exe
    say "Windows start-up trace under Wine: $((2 * RUNS)) runs of each"
    : >"$WORK/trace-kestrune"
    : >"$WORK/trace-bare"
    for _ in $(seq $((2 * RUNS))); do
        (cd "$WORK/windows-trace" && windows_trace_once "$WORK/trace-kestrune" "$WINE" kestrune.exe)
        windows_trace_once "$WORK/trace-bare" "$WINE" "$bare"
    done
    windows_trace_medians "$WORK/trace-kestrune" >"$WORK/trace-kestrune.medians"
    windows_trace_medians "$WORK/trace-bare" >"$WORK/trace-bare.medians"
}
windows_trace_table() {
    echo
    echo "Where the Windows edition's start-up goes under Wine: median ms of $((2 * RUNS)) traced runs"
    echo "of each, the first step from the process's creation; the window is mapped and first"
    echo "painted within main_mapped."
    echo
    echo "| step | Kestrune | its sum | bare window | its sum |"
    echo "|---|---|---|---|---|"
    awk 'NR == FNR {bare[$1] = $2; next}
        {sum += $2; line = sprintf("| %s | %.2f | %.2f |", $1, $2, sum)
         if ($1 in bare) {bareSum += bare[$1]; line = line sprintf(" %.2f | %.2f |", bare[$1], bareSum)}
         else line = line " | |"
         print line}' "$WORK/trace-bare.medians" "$WORK/trace-kestrune.medians"
}

if part windows; then
# --- The Windows edition under Wine: start-up and memory, beside a bare Win32 window ----------
WINDOWS_BUILD=build/bench-win64
ensure_packages "${WINDOWS_PACKAGES[@]}"
say "configuring $WINDOWS_BUILD (Release, 64-bit Windows)"
cmake -S "$ROOT" -B "$ROOT/$WINDOWS_BUILD" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/mingw-w64-x86_64.cmake" -DKESTRUNE_BENCH=ON \
    -DKESTRUNE_TESTS=OFF >/dev/null
say "building kestrune.exe and the bare Win32 windows"
cmake --build "$ROOT/$WINDOWS_BUILD" --target kestrune bench_win32_bare_window \
    bench_win32_controls_window
WINE=$(wine_tool wine64)
WINE_VERSION=$("$WINE" --version)
BARE_EXE=$ROOT/$WINDOWS_BUILD/bench/bench_win32_bare_window.exe
# The floor for the launcher's kind of window: its DLLs, resources and kinds of control.
CONTROLS_EXE=$ROOT/$WINDOWS_BUILD/bench/bench_win32_controls_window.exe
make_launcher_folder "$WORK/windows" 27960 "$ROOT/$WINDOWS_BUILD/app/kestrune.exe"
in_windows_folder() { (cd "$WORK/windows" && "$@"); }
# One prefix, made once; its server is started before anything is timed and kept running
# (persistent), so that neither side pays for starting it, its services or the desktop process.
export WINEPREFIX=$ROOT/$WINDOWS_BUILD/wineprefix WINEDEBUG=-all
WINE_SERVER_TO_END=$(wine_tool wineserver)
# The server needs the prefix's folder; wineboot fills it the first time.
mkdir -p "$WINEPREFIX"
"$WINE_SERVER_TO_END" -p
say "starting the Wine prefix $WINEPREFIX"
WINEDLLOVERRIDES="mscoree=;mshtml=" "$WINE" wineboot --init >/dev/null 2>&1
say "Windows start-up under Wine: $((3 * RUNS)) runs of each, back to back"
# One run of each first: the desktop process starts with the first window, and neither side
# pays for a cold disk cache.
measure warm_ watch_window "Bare window" 0 0 "$WINE" "$BARE_EXE"
measure warm_ in_windows_folder watch_window "Kestrune version 2.0" 0 0 "$WINE" kestrune.exe
measure warm_ watch_window "Bare window" 0 0 "$WINE" "$CONTROLS_EXE"
for run in $(seq $((3 * RUNS))); do
    measure win_bare_ watch_window "Bare window" 0 0 "$WINE" "$BARE_EXE"
    measure win_kestrune_ in_windows_folder \
        watch_window "Kestrune version 2.0" 0 0 "$WINE" kestrune.exe
    measure win_label_ watch_window "Bare window" 0 0 "$WINE" "$BARE_EXE" --label
    measure win_dlls_ watch_window "Bare window" 0 0 "$WINE" "$BARE_EXE" --dlls
    measure win_controls_ watch_window "Bare window" 0 0 "$WINE" "$CONTROLS_EXE"
done
say "Windows memory under Wine: $RUNS runs of $((5 * SETTLE_MS / 1000 + 2)) s"
for run in $(seq "$RUNS"); do
    measure win_bare_idle_ watch_window "Bare window" "$SETTLE_MS" 0 "$WINE" "$BARE_EXE"
    measure win_kestrune_idle_ in_windows_folder \
        watch_window "Kestrune version 2.0" "$SETTLE_MS" 0 "$WINE" kestrune.exe
    measure win_label_idle_ watch_window "Bare window" "$SETTLE_MS" 0 "$WINE" "$BARE_EXE" --label
    measure win_dlls_idle_ watch_window "Bare window" "$SETTLE_MS" 0 "$WINE" "$BARE_EXE" --dlls
    measure win_controls_idle_ watch_window "Bare window" "$SETTLE_MS" 0 "$WINE" "$CONTROLS_EXE"
    printf '  run %2d of %d\n' "$run" "$RUNS"
done
windows_startup_trace
end_wine_and_x_server
unset WINEPREFIX WINEDEBUG
fi

if part wow64; then
# --- The 32-bit edition under the WoW64 root's Wine, beside the 64-bit one and bare windows ----
ensure_packages "${WINDOWS_PACKAGES[@]}"
choose_wine
WOW64_VERSION=$("${WINE[@]}" --version)
for bits in 32 64; do
    processor=i686
    [ "$bits" = 32 ] || processor=x86_64
    say "configuring build/bench-win$bits (Release, $bits-bit Windows)"
    cmake -S "$ROOT" -B "$ROOT/build/bench-win$bits" -G Ninja -DCMAKE_BUILD_TYPE=Release \
        -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/mingw-w64-$processor.cmake" -DKESTRUNE_BENCH=ON \
        -DKESTRUNE_TESTS=OFF >/dev/null
    cmake --build "$ROOT/build/bench-win$bits" --target kestrune bench_win32_bare_window
    # In the build folder: the root holds it at the same path, and not this bench's /tmp.
    rm -rf "$ROOT/build/bench-wow64/win$bits"
    make_launcher_folder "$ROOT/build/bench-wow64/win$bits" 27960 \
        "$ROOT/build/bench-win$bits/app/kestrune.exe"
done
# The root's own prefix for the bench, apart from the tests'; its server is started before
# anything is timed and kept running, as for the 64-bit edition under the host's Wine.
export WINEPREFIX=/wineprefix-bench WINEDEBUG=-all
WINE_SERVER_TO_END=("${WINESERVER[@]}")
mkdir -p "$WINE_FILES$WINEPREFIX"
"${WINESERVER[@]}" -p
say "starting the WoW64 Wine prefix $WINEPREFIX ($WOW64_VERSION)"
WINEDLLOVERRIDES="mscoree=;mshtml=" "${WINE[@]}" wineboot --init >/dev/null 2>&1
# measure_wow64 TAG SETTLE: one run of each edition and its bare window, 32-bit first.
measure_wow64() {
    local bits
    for bits in 32 64; do
        measure "wow${bits}_bare_$1" watch_window "Bare window" "$2" 0 "${WINE[@]}" \
            "$ROOT/build/bench-win$bits/bench/bench_win32_bare_window.exe"
        measure "wow${bits}_kestrune_$1" in_folder "$ROOT/build/bench-wow64/win$bits" \
            watch_window "Kestrune version 2.0" "$2" 0 "${WINE[@]}" kestrune.exe
    done
}
in_folder() { (cd "$1" && shift && "$@"); }
say "WoW64 start-up: $((3 * RUNS)) runs of each, back to back"
# One round first: the desktop process starts with the first window, and none pays for a cold
# disk cache.
measure_wow64 warm_ 0
for run in $(seq $((3 * RUNS))); do
    measure_wow64 "" 0
done
say "WoW64 memory: $RUNS runs of $((4 * SETTLE_MS / 1000 + 2)) s"
for run in $(seq "$RUNS"); do
    measure_wow64 idle_ "$SETTLE_MS"
    printf '  run %2d of %d\n' "$run" "$RUNS"
done
end_wine_and_x_server
unset WINEPREFIX WINEDEBUG
fi

LOAD_AFTER=$(cut -d' ' -f1-3 /proc/loadavg)

# --- The table ---------------------------------------------------------------------------------
ratio() { awk -v a="$1" -v b="$2" 'BEGIN {if (b > 0) printf "%.2fx", a / b; else print "-"}'; }
at_most() { awk -v v="$1" -v t="$2" 'BEGIN {print (v <= t) ? "met" : "MISSED"}'; }
below() { awk -v v="$1" -v t="$2" 'BEGIN {print (v < t) ? "met" : "MISSED"}'; }
row() {  # MEASURE KESTRUNE BASELINE RATIO TARGET RESULT
    printf '| %-50s | %10s | %10s | %8s | %-8s | %-6s |\n' "$@"
}
ms() { awk -v v="$1" 'BEGIN {printf "%.2f ms", v}'; }
mib() { awk -v v="$1" 'BEGIN {printf "%.1f MiB", v / 1024}'; }
pct() { awk -v v="$1" 'BEGIN {printf "%.3f %%", v}'; }
per_s() { awk -v v="$1" 'BEGIN {printf "%.1f /s", v}'; }
m() { median "$1"; }

k_start=$(m kestrune_startup_ms); b_start=$(m bare_startup_ms); l_start=$(m label_startup_ms)
k_cold=$(m kestrune_idle_startup_ms); b_cold=$(m bare_idle_startup_ms)
k_rss=$(m kestrune_idle_rss_kb); b_rss=$(m bare_idle_rss_kb); l_rss=$(m label_idle_rss_kb)
k_anon=$(m kestrune_idle_anon_kb); b_anon=$(m bare_idle_anon_kb)
ms_of() { awk -v v="$(m "$1")" 'BEGIN {print v / 1000}'; }  # NAME (a median in µs)
probe=$(ms_of probe_probe_us); raw=$(ms_of raw_round_trip_us)
details=$(ms_of recorded_details_us); recorded_raw=$(ms_of recorded_raw_round_trip_us)
full_online=$(ms_of full_probe_us); full_details=$(ms_of full_details_us)
full_raw=$(ms_of full_raw_round_trip_us)
k_idle=$(m kestrune_idle_idle_cpu_pct); b_idle=$(m bare_idle_idle_cpu_pct)
k_wake=$(m kestrune_idle_idle_wakeups_per_s); b_wake=$(m bare_idle_idle_wakeups_per_s)
g_idle=$(m background_idle_idle_cpu_pct); g_wake=$(m background_idle_idle_wakeups_per_s)
lookup=$(m probe_lookup_cpu_pct); lookup_idle=$(m probe_idle_cpu_pct)
lookup_wake=$(m probe_lookup_wakeups_per_s); lookup_idle_wake=$(m probe_idle_wakeups_per_s)
e_rate=$(m burst_endpoint_rate); b_rate=$(m burst_blocking_rate)
e_kept=$(m burst_endpoint_kept); b_kept=$(m burst_blocking_kept)
e_late=$(m burst_endpoint_late); i_late=$(m burst_idle_late)
# (none where the probe did not run)
timeouts=$(cat "$WORK"/values/*probe_timeouts 2>/dev/null | awk '{s += $1} END {print s + 0}' ||
    true)
start_ratio=$(ratio "$k_start" "$b_start")
rss_ratio=$(ratio "$k_rss" "$b_rss")

echo
echo "Kestrune benchmarks: median of $RUNS runs each ($((3 * RUNS)) for start-up), every baseline"
echo "measured in the same run"
echo "Machine: $(nproc) cores, $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | xargs)," \
    "$(awk '/MemTotal/ {printf "%.1f GiB", $2 / 1048576}' /proc/meminfo) memory;" \
    "load average $LOAD_BEFORE before, $LOAD_AFTER after"
wines="${WINE_VERSION:+; $WINE_VERSION}${WOW64_VERSION:+; WoW64 root: $WOW64_VERSION}"
echo "Display: Xvfb $DISPLAY with openbox; Qt $(pkg-config --modversion Qt6Core || echo 6)$wines"
echo
row "measure" "Kestrune" "baseline" "ratio" "target" "result"
row "$(printf -- '-%.0s' {1..50})" "----------" "----------" "--------" "--------" "------"
if part startup; then
row "start-up to the main window mapped and painted" "$(ms "$k_start")" "$(ms "$b_start")" \
    "$start_ratio" "<= 1.2x" "$(at_most "${start_ratio%x}" 1.2)"
row "  bare window with one text label" "" "$(ms "$l_start")" "$(ratio "$l_start" "$b_start")" \
    "" ""
label_start_ratio=$(ratio "$k_start" "$l_start")
row "  the launcher against that labelled window" "" "" "$label_start_ratio" "<= 1.1x" \
    "$(at_most "${label_start_ratio%x}" 1.1)"
row "  started after $(((SETTLE_MS + IDLE_MS) / 1000)) s of quiet" "$(ms "$k_cold")" \
    "$(ms "$b_cold")" "$(ratio "$k_cold" "$b_cold")" "" ""
row "resident memory, idle, splash gone" "$(mib "$k_rss")" "$(mib "$b_rss")" "$rss_ratio" \
    "<= 1.2x" "$(at_most "${rss_ratio%x}" 1.2)"
row "  of it private (anonymous)" "$(mib "$k_anon")" "$(mib "$b_anon")" \
    "$(ratio "$k_anon" "$b_anon")" "" ""
row "  bare window with one text label" "" "$(mib "$l_rss")" "$(ratio "$l_rss" "$b_rss")" "" ""
fi
if part windows; then
w_start=$(m win_kestrune_startup_ms); wb_start=$(m win_bare_startup_ms)
wl_start=$(m win_label_startup_ms); wd_start=$(m win_dlls_startup_ms)
w_rss=$(m win_kestrune_idle_rss_kb); wb_rss=$(m win_bare_idle_rss_kb); wl_rss=$(m win_label_idle_rss_kb)
wd_rss=$(m win_dlls_idle_rss_kb)
w_anon=$(m win_kestrune_idle_anon_kb); wb_anon=$(m win_bare_idle_anon_kb)
wd_anon=$(m win_dlls_idle_anon_kb)
w_start_ratio=$(ratio "$w_start" "$wb_start")
w_rss_ratio=$(ratio "$w_rss" "$wb_rss")
row "Windows, under Wine: start-up to the main window" "$(ms "$w_start")" "$(ms "$wb_start")" \
    "$w_start_ratio" "<= 1.2x" "$(at_most "${w_start_ratio%x}" 1.2)"
row "  bare Win32 window with one text label" "" "$(ms "$wl_start")" \
    "$(ratio "$wl_start" "$wb_start")" "" ""
row "  bare Win32 window loading the launcher's DLLs" "" "$(ms "$wd_start")" \
    "$(ratio "$wd_start" "$wb_start") ($(ratio "$w_start" "$wd_start"))" "" ""
wc_start=$(m win_controls_startup_ms)
row "  bare Win32 window with the launcher's controls" "" "$(ms "$wc_start")" \
    "$(ratio "$wc_start" "$wb_start") ($(ratio "$w_start" "$wc_start"))" "" ""
row "Windows, under Wine: resident memory, splash gone" "$(mib "$w_rss")" "$(mib "$wb_rss")" \
    "$w_rss_ratio" "<= 1.2x" "$(at_most "${w_rss_ratio%x}" 1.2)"
row "  of it private (anonymous)" "$(mib "$w_anon")" "$(mib "$wb_anon")" \
    "$(ratio "$w_anon" "$wb_anon")" "" ""
row "  bare Win32 window with one text label" "" "$(mib "$wl_rss")" \
    "$(ratio "$wl_rss" "$wb_rss")" "" ""
row "  bare Win32 window loading the launcher's DLLs" "" "$(mib "$wd_rss")" \
    "$(ratio "$wd_rss" "$wb_rss") ($(ratio "$w_rss" "$wd_rss"))" "" ""
row "    of it private (anonymous)" "" "$(mib "$wd_anon")" \
    "$(ratio "$wd_anon" "$wb_anon") ($(ratio "$w_anon" "$wd_anon"))" "" ""
wc_rss=$(m win_controls_idle_rss_kb); wc_anon=$(m win_controls_idle_anon_kb)
row "  bare Win32 window with the launcher's controls" "" "$(mib "$wc_rss")" \
    "$(ratio "$wc_rss" "$wb_rss") ($(ratio "$w_rss" "$wc_rss"))" "" ""
row "    of it private (anonymous)" "" "$(mib "$wc_anon")" \
    "$(ratio "$wc_anon" "$wb_anon") ($(ratio "$w_anon" "$wc_anon"))" "" ""
fi
if part wow64; then
k32=$(m wow32_kestrune_startup_ms); b32=$(m wow32_bare_startup_ms)
k64=$(m wow64_kestrune_startup_ms); b64=$(m wow64_bare_startup_ms)
kr32=$(m wow32_kestrune_idle_rss_kb); br32=$(m wow32_bare_idle_rss_kb)
kr64=$(m wow64_kestrune_idle_rss_kb); br64=$(m wow64_bare_idle_rss_kb)
ka32=$(m wow32_kestrune_idle_anon_kb); ba32=$(m wow32_bare_idle_anon_kb)
ka64=$(m wow64_kestrune_idle_anon_kb); ba64=$(m wow64_bare_idle_anon_kb)
wow_start_ratio=$(ratio "$k32" "$b32")
wow_rss_ratio=$(ratio "$kr32" "$br32")
row "32-bit Windows, WoW64 Wine: start-up to the window" "$(ms "$k32")" "$(ms "$b32")" \
    "$wow_start_ratio" "<= 1.2x" "$(at_most "${wow_start_ratio%x}" 1.2)"
row "  64-bit edition, same Wine (32-bit against it)" "$(ms "$k64")" "$(ms "$b64")" \
    "$(ratio "$k64" "$b64") ($(ratio "$k32" "$k64"))" "" ""
row "32-bit Windows, WoW64 Wine: memory, splash gone" "$(mib "$kr32")" "$(mib "$br32")" \
    "$wow_rss_ratio" "<= 1.2x" "$(at_most "${wow_rss_ratio%x}" 1.2)"
row "  of it private (anonymous)" "$(mib "$ka32")" "$(mib "$ba32")" "$(ratio "$ka32" "$ba32")" \
    "" ""
row "  64-bit edition, same Wine (32-bit against it)" "$(mib "$kr64")" "$(mib "$br64")" \
    "$(ratio "$kr64" "$br64") ($(ratio "$kr32" "$kr64"))" "" ""
row "    of it private (anonymous)" "$(mib "$ka64")" "$(mib "$ba64")" \
    "$(ratio "$ka64" "$ba64") ($(ratio "$ka32" "$ka64"))" "" ""
fi
if part probe; then
# A probe latency beside its raw round trip, within 1 ms of it.
latency_row() {  # MEASURE KESTRUNE_MS RAW_MS
    local extra
    extra=$(awk -v p="$2" -v r="$3" 'BEGIN {print p - r}')
    row "$1" "$(ms "$2")" "$(awk -v v="$3" 'BEGIN {printf "%.3f ms", v}')" \
        "$(awk -v v="$extra" 'BEGIN {printf "+%.2f ms", v}')" "<= +1 ms" "$(at_most "$extra" 1)"
}
latency_row "\"Test server\" click to \"Server is online\"" "$probe" "$raw"
latency_row "\"Test server\" click to details shown" "$details" "$recorded_raw"
latency_row "  full server (64 players, 3.3 kB): to online" "$full_online" "$full_raw"
latency_row "  full server: to details shown" "$full_details" "$full_raw"
fi
if part startup; then
row "idle CPU over $((IDLE_MS / 1000)) s, window active (one core)" "$(pct "$k_idle")" \
    "$(pct "$b_idle")" "$(ratio "$k_idle" "$b_idle")" "< 1 %" "$(below "$k_idle" 1)"
row "  wake-ups, window active" "$(per_s "$k_wake")" "$(per_s "$b_wake")" \
    "$(ratio "$k_wake" "$b_wake")" "" ""
row "  CPU, another window active" "$(pct "$g_idle")" "$(pct "$b_idle")" \
    "$(ratio "$g_idle" "$b_idle")" "< 1 %" "$(below "$g_idle" 1)"
row "  wake-ups, another window active" "$(per_s "$g_wake")" "$(per_s "$b_wake")" \
    "$(ratio "$g_wake" "$b_wake")" "" ""
fi
if part probe; then
row "CPU while \"Test server\" waits on a $((LOOKUP_MS / 1000)) s lookup" "$(pct "$lookup")" \
    "$(pct "$lookup_idle")" "$(ratio "$lookup" "$lookup_idle")" "< 1 %" "$(below "$lookup" 1)"
row "  wake-ups while it waits" "$(per_s "$lookup_wake")" "$(per_s "$lookup_idle_wake")" \
    "$(ratio "$lookup_wake" "$lookup_idle_wake")" "" ""
fi
if part serverlist; then
s_settled=$(m serverlist_settled_ms); q_settled=$(m qstat_settled_ms)
# The pacing's send time for 2,000 servers at 1,000 a second, and the 1.5 s give-up.
s_limit=3500
s_ratio=$(ratio "$s_settled" "$s_limit")
row "server list: Refresh to settled, 2,000 servers" "$(ms "$s_settled")" "$(ms "$q_settled")" \
    "$(ratio "$s_settled" "$q_settled")" "< 1x" "$(below "$s_settled" "$q_settled")"
row "  against the limit (send time + 1.5 s)" "" "$(ms "$s_limit")" "$s_ratio" "<= 1.2x" \
    "$(at_most "${s_ratio%x}" 1.2)"
row "  servers answered (of 1,600 that answer)" "$(m serverlist_answered)" "$(m qstat_answered)" \
    "" "" ""
row "  worst ping against its responder's delay" "$(ms "$(m serverlist_ping_error_ms)")" "" "" \
    "<= 2 ms" "$(at_most "$(m serverlist_ping_error_ms)" 2)"
row "    median, 99th percentile of that" "$(ms "$(m serverlist_ping_error_p50_ms)")" \
    "$(ms "$(m serverlist_ping_error_p99_ms)")" "" "" ""
row "    pings within 2 ms (of 1,600)" "$(m serverlist_pings_within_2ms)" "" "" "" ""
row "  longest the event loop missed a 1 ms timer by" "$(ms "$(m serverlist_busy_ms)")" "" "" \
    "<= 16 ms" "$(at_most "$(m serverlist_busy_ms)" 16)"
row "  10,000 rows over an empty list" "$(mib "$(m serverlist_rows_10000_kb)")" "" "" \
    "<= 10 MiB" "$(at_most "$(m serverlist_rows_10000_kb)" 10240)"
fi
if part burst; then
row "datagram burst: datagrams read per second" "$(printf '%.0f' "$e_rate")" \
    "$(printf '%.0f' "$b_rate")" "$(ratio "$e_rate" "$b_rate")" "" ""
row "  share of the burst the kernel kept" "$(printf '%.1f %%' "$e_kept")" \
    "$(printf '%.1f %%' "$b_kept")" "$(ratio "$e_kept" "$b_kept")" "" ""
row "  worst lateness of a 10 ms timer" "$(printf '%.2f ms' "$e_late")" \
    "$(printf '%.2f ms' "$i_late")" "$(ratio "$e_late" "$i_late")" "" ""
fi
echo
echo "Baselines: an empty 425x279 Qt window (start-up, memory, idle); one datagram's raw round"
echo "trip to the same loopback responder (probe; for the details, one that gives an answer"
echo "recorded from a real server with six players; for the full server, one that gives a"
echo "64-player answer of 3.3 kB); the same launcher window idle for as long"
echo "(lookup); a blocking recvfrom loop on the same burst, and the timer with no burst (burst)."
if part serverlist; then
    echo "Server list: the window's query driver, model and table view (offscreen) refreshing a"
    echo "world of 2,000 loopback servers and a master in one process; baseline: quakestat -q3m on"
    echo "the same world with the same retries (3 datagrams, 0.5 s apart), its own pace otherwise."
    echo "Each responder's delay runs from the question's arrival as the kernel stamped it; how"
    echo "late the world's own replies left, over every run of both sides:"
    echo "  $(cat "$WORK/world.err" 2>/dev/null)"
fi
echo "Start-up is from the program's start to its window's first paint, seen from the X server."
if part windows; then
    echo "Windows edition: the Release kestrune.exe (64-bit) and a bare Win32 window of the same"
    echo "client size, both under wine64 in one prefix made before the runs, whose server was"
    echo "started before the timing and kept running, with its desktop process (neither side pays"
    echo "for them). Memory is that of the process that runs the .exe (its window's _NET_WM_PID):"
    echo "it holds Wine's own libraries on both sides; Wine's server and desktop process, shared by"
    echo "every Windows program, are in neither. Memory after ${SETTLE_MS} ms, the splash gone."
    echo "The DLLs row loads comctl32 and ws2_32 into the bare window; the controls row is the"
    echo "bare window built with the launcher's imports (comctl32 6 by its manifest, ws2_32), its"
    echo "resources, icon and a menu bar, and controls of the main window's kinds and numbers in"
    echo "its font: what Wine charges for that kind of window. In brackets, the launcher against it."
fi
if part wow64; then
    echo "WoW64: the Release kestrune.exe, 32-bit and 64-bit, each beside the bare Win32 window"
    echo "built for the same, all under the WoW64 root's Wine (Debian unstable, scripts/wow64-root.sh)"
    echo "in one prefix made before the runs, its server started before the timing and kept"
    echo "running. Memory is that of the process that runs the .exe, after ${SETTLE_MS} ms."
fi
if part windows; then
    windows_trace_table
fi
if [ "$timeouts" -gt 0 ]; then
    echo "Probe clicks that timed out: $timeouts (left out of the latency)."
fi
