#!/usr/bin/env bash
# Starts Debian's dedicated game server (ioq3ded, with the OpenArena data) on the IPv6 loopback
# address alone, on a port free at the time, then runs the given test command with the port in
# KESTRUNE_GAME_SERVER_PORT and the server's log in KESTRUNE_GAME_SERVER_LOG, and ends the server
# and every program the test started (a game client the launcher started included) however the
# test ends. The server's IPv4 socket stays on 127.0.0.1, and it announces itself to no master.
# With --with-game-client, a private X server is started too, for a real game client, and named
# in KESTRUNE_GAME_CLIENT_DISPLAY.
#
# Usage: real_game_server.sh [--with-game-client] TEST_COMMAND [ARGUMENTS...]
# Exits 77 (skipped) when the server or its data is not installed (the test command installs
# both), or when this machine has no IPv6 loopback address, saying which in one line.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/../../scripts/common.sh"

with_client=0
if [ "${1:-}" = --with-game-client ]; then
    with_client=1
    shift
fi

server=/usr/lib/ioquake3/ioq3ded
data=/usr/lib/openarena-server
if [ ! -x "$server" ] || [ ! -d "$data/baseoa" ]; then
    echo "SKIP: Debian's ioquake3-server and openarena-server packages are not installed"
    exit 77
fi

# A port free on ::1 now; binding fails where the machine has no IPv6 loopback.
port=$(perl -MSocket=:all -e '
    socket(my $s, AF_INET6, SOCK_DGRAM, 0) or exit 1;
    bind($s, pack_sockaddr_in6(0, inet_pton(AF_INET6, "::1"))) or exit 1;
    print((unpack_sockaddr_in6(getsockname($s)))[0]);') || {
    echo "SKIP: this machine has no IPv6 loopback address (::1)"
    exit 77
}

work=$(mktemp -d /tmp/kestrune-game-server.XXXXXX)
marker="KESTRUNE_GAME_SERVER_TEST=$work"
# With a game client, every program started here gets the marker in its environment, and so do
# the ones they start (the client the launcher starts): the marker finds them all, and nothing
# else. Without one only the server is ended: under Wine, the prefix's own services (started by
# the test's program when none ran) would carry the marker too, and every later program in the
# prefix would wait for them.
started_here() {
    if [ "$with_client" = 1 ]; then
        grep -lsxzF "$marker" /proc/[0-9]*/environ | cut -d/ -f3 || true
    elif kill -0 "${server_pid:-}" 2>/dev/null; then
        echo "$server_pid"
    fi
}
cleanup() {
    local pids pid
    pids=$(started_here)
    if [ -n "$pids" ]; then
        kill $pids 2>/dev/null || true
        for _ in $(seq 30); do
            pids=$(started_here)
            [ -z "$pids" ] && break
            sleep 0.1
        done
        for pid in $pids; do kill -KILL "$pid" 2>/dev/null || true; done
    fi
    stop_private_x_server
    rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 130' INT
trap 'exit 143' TERM

[ "$with_client" = 0 ] || export "$marker"
# IPv6 is off on a dedicated server unless net_enabled has its bit (3: both families). Developer
# messages name each client's address in the log.
"$server" +set dedicated 1 +set developer 1 +set com_basegame baseoa +set fs_basepath "$data" \
    +set fs_homepath "$work/home" +set com_legacyprotocol 71 +set com_protocol 71 \
    +set sv_master1 "" +set sv_master2 "" +set sv_master3 "" +set sv_master4 "" \
    +set sv_master5 "" +set net_enabled 3 +set net_ip6 ::1 +set net_port6 "$port" \
    +set net_ip 127.0.0.1 +set net_port "$port" +set sv_hostname "Kestrune IPv6" \
    +set sv_maxclients 8 +set bot_enable 0 +map oa_dm1 </dev/null >"$work/server.log" 2>&1 &
server_pid=$!

# Up to 30 s for its IPv6 socket and its map: a busy machine starts it slowly.
for _ in $(seq 300); do
    if grep -qF "Opening IP6 socket: [::1]:$port" "$work/server.log" &&
        grep -qF "InitGame:" "$work/server.log"; then
        break
    fi
    kill -0 "$server_pid" 2>/dev/null || break
    sleep 0.1
done
if ! grep -qF "Opening IP6 socket: [::1]:$port" "$work/server.log"; then
    echo "FAIL: the server did not open [::1]:$port"
    cat "$work/server.log"
    exit 1
fi

if [ "$with_client" = 1 ]; then
    start_private_x_server
    export KESTRUNE_GAME_CLIENT_DISPLAY=$PRIVATE_DISPLAY
fi

status=0
KESTRUNE_GAME_SERVER_PORT=$port KESTRUNE_GAME_SERVER_LOG=$work/server.log "$@" || status=$?
if [ "$status" -ne 0 ] && [ "$status" -ne 77 ]; then
    echo "--- the server's log:"
    grep -vE '\.pk3 \(|^\^' "$work/server.log" || true
fi
exit "$status"
