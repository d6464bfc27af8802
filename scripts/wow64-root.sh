#!/usr/bin/env bash
# The WoW64 root: a minimal Debian unstable tree whose Wine (9 or later, built for WoW64) runs
# 32-bit Windows programs inside 64-bit processes. The 32-bit edition is tested in it: this
# machine has no 32-bit loader, and nothing 32-bit is installed on it or in the root. Like the
# packages the test command installs, it is the machine's, made once for every clone of the
# sources: in /var/cache/kestrune/wow64-root, or the folder KESTRUNE_WOW64_ROOT_DIR names.
#
#   scripts/wow64-root.sh run COMMAND [ARGS...]
#       makes the root the first time (a few minutes, 3 GB), then runs COMMAND here with the root
#       ready: in a mount namespace of its own, proc, sys, /dev, /dev/pts, a fresh /dev/shm and
#       /tmp, the X sockets' folder, and this source tree (read-only) with its build folder
#       (writable) at the same paths are mounted in the root. All of it is unmounted when COMMAND
#       ends, whatever the outcome, and no other process sees it (in a chroot, see
#       in_mount_namespace).
#   scripts/wow64-root.sh ready               only makes the root, or says why it cannot
#   scripts/wow64-root.sh wine ARGS...        (within run) the root's wine, in this folder
#   scripts/wow64-root.sh wineserver ARGS...  (within run) the root's wine server
#
# Within run, WINEPREFIX is the root's own prefix (/wineprefix in the root) unless COMMAND sets
# another path in the root. Where the root cannot be had (not root, no archive, no WoW64 Wine in
# Debian unstable), one line says why, COMMAND is not run and the exit status is 77.
# The root comes from the Debian archive this machine's apt sources name for its own release, or
# the one KESTRUNE_WOW64_MIRROR names.

# The root's programs, run in the current folder (which the root holds at the same path). First,
# so that a test started through it pays for no more than chroot.
if [ "${1:-}" = wine ] || [ "${1:-}" = wineserver ]; then
    if [ -z "${KESTRUNE_WOW64_ROOT:-}" ]; then
        echo "the WoW64 root's Wine runs only within: scripts/wow64-root.sh run COMMAND" >&2
        exit 2
    fi
    # The wine server is not on the root's PATH.
    program=/usr/bin/wine
    [ "$1" = wine ] || program=/usr/lib/x86_64-linux-gnu/wine/wineserver
    shift
    exec chroot "$KESTRUNE_WOW64_ROOT" /usr/bin/env -C "$PWD" "$program" "$@"
fi

source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

WOW64_ROOT=${KESTRUNE_WOW64_ROOT_DIR:-/var/cache/kestrune/wow64-root}
WOW64_UNAVAILABLE=77
LOG=$ROOT/build/wow64-root.log
# Written once the root holds all it needs; what it says is the recipe below.
READY_MARK=$WOW64_ROOT/.kestrune-wow64-ready

# What the root holds besides the base system: Wine, and the locales whose code pages the Windows
# suites may be run under (Wine takes the ANSI code page from the Unix locale).
ROOT_PACKAGES="wine wine64 locales"
ROOT_LOCALES="en_US ru_RU pl_PL"
RECIPE="$ROOT_PACKAGES; $ROOT_LOCALES"

unavailable() {
    echo "no WoW64 root: $*" >&2
    exit "$WOW64_UNAVAILABLE"
}

# --- Mounts ----------------------------------------------------------------------------------
# Made only inside a private mount namespace: they are seen by its processes alone and go with
# them even where this script is killed before its trap runs.
MOUNTED=()
mount_in_root() {  # MOUNT-OPTIONS... PATH-IN-ROOT
    local target=$WOW64_ROOT${*: -1}
    mkdir -p "$target"
    mount "${@:1:$#-1}" "$target"
    MOUNTED+=("$target")
}

unmount_all() {
    local i
    for ((i = ${#MOUNTED[@]} - 1; i >= 0; i--)); do
        umount "${MOUNTED[i]}" 2>/dev/null || umount -l "${MOUNTED[i]}" 2>/dev/null || true
    done
    MOUNTED=()
}

mount_system() {
    mount_in_root -t proc proc /proc
    mount_in_root -t sysfs sysfs /sys
    mount_in_root --bind /dev /dev
    mount_in_root --bind /dev/pts /dev/pts
    mount_in_root -t tmpfs -o mode=1777 shm /dev/shm
}

mount_for_wine() {
    mount_system
    mount_in_root -t tmpfs -o mode=1777 tmp /tmp
    mkdir -p /tmp/.X11-unix
    mount_in_root --bind /tmp/.X11-unix /tmp/.X11-unix
    # The suites read their data from the sources and write in the build folder alone.
    mount_in_root --bind -o ro "$ROOT" "$ROOT"
    mount_in_root --bind "$ROOT/build" "$ROOT/build"
}

# Runs this script with ARGS in a mount namespace of its own, whose mounts no other process sees.
# In a chroot, whose "/" is no mount point, the propagation of "/" cannot be made private: the
# namespace then keeps the propagation it has, and the trap still unmounts everything.
in_mount_namespace() {  # ARGS...
    local propagation=private
    unshare --mount --propagation private -- true 2>/dev/null || propagation=unchanged
    unshare --mount --propagation "$propagation" -- "$0" "$@"
}

# --- Making the root -------------------------------------------------------------------------
# The first archive that apt's sources list for this machine's own release (not its -security or
# -updates suites), in either of their formats; empty where none is listed.
host_archive() {
    local codename
    codename=$(. /etc/os-release && echo "${VERSION_CODENAME:-}")
    [ -n "$codename" ] || return 0
    {
        # One-line format: deb [options] URI SUITE COMPONENT...
        cat /etc/apt/sources.list /etc/apt/sources.list.d/*.list 2>/dev/null |
            sed -E 's/^[[:space:]]*deb[[:space:]]+(\[[^]]*\][[:space:]]+)?([^[:space:]]+)[[:space:]]+([^[:space:]]+).*/\3 \2/;t;d'
        # deb822 format: paragraphs with Types, URIs and Suites fields.
        awk 'function flush() { if (types ~ /(^| )deb( |$)/ && enabled != "no") {
                                  n = split(suites, s, " ")
                                  for (i = 1; i <= n; i++) print s[i], uris }
                              types = uris = suites = enabled = "" }
             /^[[:space:]]*$/ { flush(); next }
             /^Types:/   { sub(/^Types:[[:space:]]*/, "");   types = $0 }
             /^URIs:/    { sub(/^URIs:[[:space:]]*/, "");    uris = $1 }
             /^Suites:/  { sub(/^Suites:[[:space:]]*/, "");  suites = $0 }
             /^Enabled:/ { sub(/^Enabled:[[:space:]]*/, ""); enabled = $0 }
             END { flush() }' /etc/apt/sources.list.d/*.sources 2>/dev/null
    } | awk -v codename="$codename" '$1 == codename { print $2; exit }'
}

MIRROR=${KESTRUNE_WOW64_MIRROR:-$(host_archive)}

# Makes the root the first time, then brings it up to the recipe. A root whose making was cut
# short is made again; one whose installing was, is installed again.
make_root() {
    mkdir -p "$ROOT/build" "$(dirname "$WOW64_ROOT")"
    if [ ! -d "$WOW64_ROOT" ]; then
        [ -n "$MIRROR" ] ||
            unavailable "no Debian archive in this machine's apt sources (set KESTRUNE_WOW64_MIRROR)"
        ensure_packages debootstrap
        local new=$WOW64_ROOT.new
        remove_tree "$new"
        say "making the WoW64 root in $WOW64_ROOT (Debian unstable, a few minutes and 3 GB)"
        if ! debootstrap --variant=minbase sid "$new" "$MIRROR" >"$LOG" 2>&1; then
            remove_tree "$new"
            unavailable "no Debian unstable archive at $MIRROR (debootstrap failed, see $LOG)"
        fi
        # The unstable index can carry a Valid-Until before this machine's clock.
        echo 'Acquire::Check-Valid-Until "false";' >"$new/etc/apt/apt.conf.d/99kestrune"
        printf '127.0.0.1\tlocalhost\n::1\t\tlocalhost ip6-localhost ip6-loopback\n' \
            >"$new/etc/hosts"
        mv "$new" "$WOW64_ROOT"
    fi
    say "installing $ROOT_PACKAGES in the WoW64 root"
    rm -f "$READY_MARK"
    if ! in_mount_namespace __install >>"$LOG" 2>&1; then
        unavailable "Wine could not be installed from $MIRROR (see $LOG)"
    fi
    local version
    version=$(chroot "$WOW64_ROOT" dpkg-query -W -f='${Version}' wine64)
    # Wine before 9, or one built without WoW64, runs 32-bit programs only with 32-bit libraries.
    if [ "${version%%.*}" -lt 9 ] ||
       [ ! -d "$WOW64_ROOT/usr/lib/x86_64-linux-gnu/wine/i386-windows" ]; then
        unavailable "Debian unstable's Wine $version runs no 32-bit program in a 64-bit process"
    fi
    echo "$RECIPE" >"$READY_MARK"
    say "WoW64 root ready: wine $version, $(du -sh --one-file-system "$WOW64_ROOT" | cut -f1)"
}

install_in_root() {  # in a namespace of its own: apt and dpkg need proc, sys and dev
    trap unmount_all EXIT
    mount_system
    export DEBIAN_FRONTEND=noninteractive LC_ALL=C.UTF-8
    chroot "$WOW64_ROOT" apt-get update -q
    # shellcheck disable=SC2086 # a list of names
    chroot "$WOW64_ROOT" apt-get install -y -q --no-install-recommends $ROOT_PACKAGES
    chroot "$WOW64_ROOT" apt-get clean
    local locale
    for locale in $ROOT_LOCALES; do
        chroot "$WOW64_ROOT" localedef -i "$locale" -f UTF-8 "$locale.UTF-8"
    done
}

# Removes a tree that nothing is mounted in. This script's mounts live in namespaces that have
# ended by then; a second guard all the same, since a mounted root holds the source tree.
remove_tree() {
    [ -e "$1" ] || return 0
    if findmnt -rn -o TARGET | grep -qF "$1"; then
        echo "$1 has something mounted in it; unmount it first" >&2
        exit 1
    fi
    rm -rf --one-file-system "$1"
}

# --- Running ---------------------------------------------------------------------------------
run_in_namespace() {  # COMMAND [ARGS...]
    trap unmount_all EXIT
    trap 'exit 130' INT
    trap 'exit 143' TERM
    mount_for_wine
    export KESTRUNE_WOW64_ROOT=$WOW64_ROOT WINEPREFIX=/wineprefix
    local status=0
    "$@" || status=$?
    unmount_all
    return $status
}

ready() {
    [ "$(id -u)" -eq 0 ] || unavailable "it needs root (chroot, mount)"
    [ "$(cat "$READY_MARK" 2>/dev/null)" = "$RECIPE" ] || make_root
}

case ${1:-} in
ready) ready ;;
run)
    shift
    [ $# -gt 0 ] || { echo "usage: $0 run COMMAND [ARGS...]" >&2; exit 2; }
    ready
    in_mount_namespace __run "$@"
    ;;
__run) shift; run_in_namespace "$@" ;;
__install) install_in_root ;;
*)
    sed -n '2,/^$/p' "$0" | sed 's/^# \{0,1\}//' >&2
    exit 2
    ;;
esac
