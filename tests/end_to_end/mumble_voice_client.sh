#!/usr/bin/env bash
# A real Mumble client, started by the launcher's "Launch TS2" button, joins a real Mumble server
# on loopback that has a server password: first with a wrong password, which the server refuses,
# then with the right one, which holds URL-special characters, a blank and a non-ASCII letter, as
# does the nick. The server's log is the witness. Everything runs on a private X server with a
# scratch HOME, and everything started here is ended when the test ends, however it ends.
#
# Usage: mumble_voice_client.sh KESTRUNE_EXECUTABLE
# Exits 77 (skipped) when Mumble's client or server is not installed; the test command installs
# both.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/../../scripts/common.sh"

kestrune=$1
murmurd=$(command -v murmurd || echo /usr/sbin/murmurd)
mumble=$(command -v mumble || true)
if [ ! -x "$murmurd" ] || [ -z "$mumble" ]; then
    echo "SKIP: Debian's mumble and mumble-server packages are not installed"
    exit 77
fi

NICK='Grünt@[Kestrune]'
PASSWORD='p@ss:w/rd?#&% é'
WRONG_PASSWORD='p@ss:w/rd?#&% e'

work=$(mktemp -d /tmp/kestrune-mumble.XXXXXX)
home=$work/home
marker="KESTRUNE_MUMBLE_TEST=$work"
# Every program started here gets the marker in its environment, and so do the ones they start
# (the client the launcher starts): the marker finds them all, and nothing else.
started_here() {
    grep -lsxzF "$marker" /proc/[0-9]*/environ | cut -d/ -f3 || true
}
# Ends the programs started here but those named (by their command) and waits until they have
# ended: asked, killed after 5 s. A program has ended once it is gone or a zombie: only then are
# its files closed, its connection to the X server among them (it leaves the list above before).
# False if one is left after 7 s.
end_started_here() {  # [COMMAND-TO-KEEP...]
    local pid state attempt ending=() left
    for attempt in $(seq 140); do
        # A program may start another while it is asked to end: that one ends too.
        for pid in $(started_here); do
            [[ " $* " == *" $(cat "/proc/$pid/comm" 2>/dev/null) "* ]] || ending+=("$pid")
        done
        left=()
        for pid in $(printf '%s\n' "${ending[@]}" | sort -u); do
            state=$(sed 's/.*) //' "/proc/$pid/stat" 2>/dev/null | cut -c1)
            [ -z "$state" ] || [ "$state" = Z ] || left+=("$pid")
        done
        ending=("${left[@]}")
        [ ${#ending[@]} -eq 0 ] && return 0
        if [ "$attempt" -ge 100 ]; then
            kill -KILL "${ending[@]}" 2>/dev/null || true
        elif [ $((attempt % 20)) -eq 1 ]; then
            kill "${ending[@]}" 2>/dev/null || true
        fi
        sleep 0.05
    done
    return 1
}
cleanup() {
    end_started_here || true
    stop_private_x_server
    rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 130' INT
trap 'exit 143' TERM

fail() {
    echo "FAIL: $*"
    echo "--- the server's log:"
    grep -v "TLS cipher" "$work/murmur.log" || true
    echo "--- the launcher's output:"
    cat "$work/launcher.log" 2>/dev/null || true
    echo "--- the windows shown:"
    DISPLAY=$PRIVATE_DISPLAY xdotool search --onlyvisible --name . getwindowname %@ || true
    exit 1
}

# Waits up to SECONDS for the text in the server's log.
wait_for_log() {  # SECONDS TEXT
    local tenths=$(($1 * 10))
    for _ in $(seq "$tenths"); do
        grep -qF -- "$2" "$work/murmur.log" && return 0
        sleep 0.1
    done
    return 1
}

# Runs a program with no environment but what it needs here.
run_here() {
    env -i PATH=/usr/local/bin:/usr/bin:/bin HOME="$home" DISPLAY="$PRIVATE_DISPLAY" \
        XDG_RUNTIME_DIR="$work/runtime" DBUS_SESSION_BUS_ADDRESS="unix:path=$work/no-bus" \
        JACK_NO_START_SERVER=1 "$marker" "$@"
}

start_private_x_server
mkdir -m 700 "$work/runtime"

# --- The server: its own certificate, a server password, loopback only -------------------------
openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj /CN=127.0.0.1 \
    -keyout "$work/server.key" -out "$work/server.pem" 2>/dev/null
# Its settings file is read as UTF-8; the quotes keep "#" and the blank in the password.
start_server() {  # PORT
    cat >"$work/murmur.ini" <<EOF
database=$work/murmur.sqlite
host=127.0.0.1
port=$1
serverpassword="$PASSWORD"
sslCert=$work/server.pem
sslKey=$work/server.key
bonjour=false
users=5
kdfiterations=1000
uname=$(id -un)
EOF
    rm -f "$work/murmur.sqlite"
    run_here "$murmurd" -fg -ini "$work/murmur.ini" >"$work/murmur.log" 2>&1 &
    for _ in $(seq 300); do
        grep -q "Not registering server as public" "$work/murmur.log" && return 0
        grep -q "=> Stopped" "$work/murmur.log" && return 1
        sleep 0.1
    done
    return 1
}
# A port below the ones the system hands out to connections (32768 and up unless set otherwise),
# so that no connection of another program takes it meanwhile; one another server holds makes
# this one stop, and the next is tried.
read -r first_handed_out _ </proc/sys/net/ipv4/ip_local_port_range
[ "$first_handed_out" -gt 12000 ] || first_handed_out=61000
port=
for _ in 1 2 3 4 5; do
    candidate=$((10000 + RANDOM % (first_handed_out - 10000)))
    if start_server "$candidate"; then
        port=$candidate
        break
    fi
    end_started_here || true  # the port was taken: another one
done
[ -n "$port" ] || fail "the server did not start"

# --- The client's first run, settled beforehand --------------------------------------------------
# No audio wizard and no look-ups on the network; a certificate of its own where it looks for a
# backup of one (else its certificate wizard opens); the server's certificate already trusted
# (else it asks), as the client stores it: the SHA-1 of its DER form for host and port.
mkdir -p "$home/.config/Mumble" "$home/Documents" "$home/.local/share/Mumble/Mumble"
cat >"$home/.config/Mumble/Mumble.conf" <<EOF
[General]
lastupdate=2

[ui]
updatecheck=false
plugincheck=false
usage=false
EOF
openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj /CN=player \
    -keyout "$work/player.key" -out "$work/player.pem" 2>/dev/null
openssl pkcs12 -export -inkey "$work/player.key" -in "$work/player.pem" -passout pass: \
    -out "$home/Documents/MumbleAutomaticCertificateBackup.p12"
digest=$(openssl x509 -in "$work/server.pem" -outform DER | sha1sum | cut -d' ' -f1)
sqlite3 "$home/.local/share/Mumble/Mumble/mumble.sqlite" \
    "CREATE TABLE cert (id INTEGER PRIMARY KEY AUTOINCREMENT, hostname TEXT, port INTEGER,
                        digest TEXT);
     CREATE UNIQUE INDEX cert_host_port ON cert(hostname, port);
     INSERT INTO cert (hostname, port, digest) VALUES ('127.0.0.1', $port, '$digest');"

# --- The launcher, from a folder of its own, and its "Launch TS2" button -------------------------
mkdir "$work/launcher"
cp "$kestrune" "$work/launcher/kestrune"
client_height=279  # below the menu bar
launch_button=(213 212)  # the middle of "Launch TS2" in the client area

# Starts the launcher with the voice password given, clicks "Launch TS2" once its splash window is
# gone, and leaves it running.
click_launch_ts2() {  # PASSWORD
    cat >"$work/launcher/kestrune.ini" <<EOF
[Main]
Autosave=0
[TeamSpeak]
TSExecutable=$mumble
TSServer=127.0.0.1
TSPort=$port
TSNick=$NICK
TSLogin=unused
TSPassword=$1
Autojoin=0
EOF
    (cd "$work/launcher" && run_here ./kestrune >>"$work/launcher.log" 2>&1 &)
    # The splash window shows over the main window for its first 1.5 s, and not always at once
    # with it: the click waits until the splash has shown and gone. Should a busy machine keep
    # this from ever seeing it, 10 s of the main window alone mean it has gone too. Up to 60 s
    # in all: a machine busy with a build starts the launcher slowly.
    local name main splash windows=() window height splash_seen=0 alone_since=
    local deadline=$((SECONDS + 60))
    while [ "$SECONDS" -lt "$deadline" ]; do
        main=0 splash=0
        while read -r name; do
            case $name in
            "Kestrune version 2.0") main=$((main + 1)) ;;
            Kestrune) splash=1 ;;
            esac
        done < <(DISPLAY=$PRIVATE_DISPLAY xdotool search --onlyvisible --name '^Kestrune' \
                     getwindowname %@ 2>/dev/null)
        if [ "$splash" -eq 1 ]; then
            splash_seen=1
            alone_since=
        elif [ "$main" -eq 1 ]; then
            alone_since=${alone_since:-$SECONDS}
            if [ "$splash_seen" -eq 1 ] || [ $((SECONDS - alone_since)) -ge 10 ]; then
                mapfile -t windows < <(DISPLAY=$PRIVATE_DISPLAY xdotool search --onlyvisible \
                    --name '^Kestrune version 2.0$')
                break
            fi
        fi
        sleep 0.05
    done
    [ ${#windows[@]} -eq 1 ] || fail "the launcher's main window did not show"
    window=${windows[0]}
    height=$(DISPLAY=$PRIVATE_DISPLAY xdotool getwindowgeometry --shell "$window" |
        sed -n 's/^HEIGHT=//p')
    DISPLAY=$PRIVATE_DISPLAY xdotool mousemove --window "$window" "${launch_button[0]}" \
        $((height - client_height + launch_button[1])) click 1
}

started=$(date +%s%N)
click_launch_ts2 "$WRONG_PASSWORD"
# The server's lines about a client begin "<session:nick(user id)>".
wait_for_log 40 ":$NICK(-1)> Rejected connection from 127.0.0.1:" ||
    fail "the client with the wrong password was not refused"
grep -F ":$NICK(-1)> Rejected connection from 127.0.0.1:" "$work/murmur.log" |
    grep -qF ": Invalid server password" || fail "the client was refused for another reason"
grep -qF "> Authenticated" "$work/murmur.log" && fail "the wrong password was let in"
echo "refused with the wrong password"

# The client asks for another password now; it and the launcher go, the server stays. Both are
# gone before they start again: a client still running would be handed the second address (one
# client per user), and a launcher still showing would be a second main window.
end_started_here murmurd || fail "the client or the launcher did not end"

click_launch_ts2 "$PASSWORD"
wait_for_log 40 ":$NICK(-1)> Authenticated" || fail "the client with the right password did not get in"
echo "authenticated as $NICK with the right password"
echo "both launches took $((($(date +%s%N) - started) / 1000000)) ms from the first start of the launcher"
