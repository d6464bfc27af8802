#!/usr/bin/env bash
# The Windows setup program end to end, under the WoW64 root's Wine (the setup is a 32-bit
# program), in fresh Wine prefixes of its own: its pages in the system's language, a silent
# install for the current user, the installed program's settings folder, an update, a silent
# uninstall; the 64-bit edition in a 64-bit prefix, the 32-bit one in a 32-bit prefix where Wine
# can make one.
#
#   windows_setup.sh PROGRAM64 PROGRAM32 WORK_FOLDER
#
# Run by CTest within scripts/wow64-root.sh run, with DISPLAY on a private X server. Exits 77
# (not run) outside the root.
set -euo pipefail

program64=$1 program32=$2 work=$3
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
if [ -z "${KESTRUNE_WOW64_ROOT:-}" ]; then
    echo "the setup runs only under the WoW64 root's Wine (scripts/wow64-root.sh run)"
    exit 77
fi
for program in "$program64" "$program32"; do
    if [ ! -f "$program" ]; then
        echo "no program at $program: build both editions first"
        exit 77
    fi
done

wine() { "$root/scripts/wow64-root.sh" wine "$@"; }
wineserver() { "$root/scripts/wow64-root.sh" wineserver "$@"; }
# No browser or .NET runtime for the prefix, and no desktop menu entries made from its shortcuts.
export WINEDEBUG=-all LC_ALL=C.UTF-8 WINEDLLOVERRIDES="mscoree=;mshtml=;winemenubuilder.exe=d"
failures=0
fail() {
    echo "FAIL: $*"
    failures=$((failures + 1))
}
seconds() { echo "$((SECONDS - $1)) s"; }

rm -rf "$work"
mkdir -p "$work"
export WINEPREFIX=$work/prefix
# The prefix's programs and server go with the test, whatever its outcome (Ctrl-C, a kill).
trap 'wineserver -k 2>/dev/null || true; wineserver -w 2>/dev/null || true' EXIT
trap 'exit 130' INT
trap 'exit 143' TERM

# The setup, from the editions' programs stripped as a release's are.
x86_64-w64-mingw32-strip -o "$work/kestrune64.exe" "$program64"
i686-w64-mingw32-strip -o "$work/kestrune32.exe" "$program32"
start=$SECONDS
"$root/packaging/windows/make-setup.sh" 2.0 "$work/kestrune64.exe" "$work/kestrune32.exe" \
    "$work/kestrune-setup.exe"
echo "setup made in $(seconds $start)"

# Our texts reach the setup in every language of the catalogue, as LangStrings of the include
# that make-setup.sh compiles in (made here again the same way).
python3 "$root/i18n/make_setup_strings.py" "$(command -v msgfmt)" "$root/i18n/po/LINGUAS" \
    "$root/i18n/po" "$root/packaging/windows/setup_texts.list" "$work/languages.nsh"
grep -qxF 'LangString JustForMe ${LANG_RUSSIAN} "Только для &меня (права администратора не нужны)"' \
    "$work/languages.nsh" || fail "the setup's Russian texts are not those of i18n/po/ru.po"
[ "$(grep -c '^!insertmacro MUI_LANGUAGE ' "$work/languages.nsh")" -eq 9 ] ||
    fail "the setup does not name NSIS's pages for English and the eight languages"

# new_prefix ARCH: a fresh prefix (win64 or win32), its server kept running.
new_prefix() {
    wineserver -k 2>/dev/null || true
    wineserver -w 2>/dev/null || true
    rm -rf "$WINEPREFIX"
    mkdir -p "$WINEPREFIX"
    local start=$SECONDS
    WINEARCH=$1 wineserver -p
    WINEARCH=$1 wine wineboot --init >"$work/wineboot.log" 2>&1 &&
        echo "$1 prefix made in $(seconds $start)"
}

user=$(id -un)
users=$WINEPREFIX/drive_c/users/$user
folder=$users/AppData/Local/Programs/Kestrune
settings=$users/AppData/Roaming/Kestrune
shortcut="$users/AppData/Roaming/Microsoft/Windows/Start Menu/Programs/Kestrune.lnk"
windows_folder="C:\\users\\$user\\AppData\\Local\\Programs\\Kestrune"
key='HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Kestrune'

# run_setup EXPECTED_STATUS ARGS...: the setup's exit status is what the documentation says.
run_setup() {
    local expected=$1 status=0
    shift
    wine "$work/kestrune-setup.exe" "$@" || status=$?
    [ "$status" -eq "$expected" ] || fail "the setup $* ended with $status, not $expected"
}

# The registry values of the Uninstall entry, as "name type value" lines.
entry_values() {
    wine reg query "$key" 2>/dev/null | tr -d '\r' | sed -n 's/^    //p' | sed 's/    /|/g' | sort
}

# Whether the installed program's main window shows on the private X server (the splash is
# "Kestrune").
main_window_shows() {
    [ -n "$(xdotool search --onlyvisible --name '^Kestrune version 2[.]0$' 2>/dev/null)" ]
}

# wait_for CONDITION...: up to two minutes, however busy the machine.
wait_for() {
    local deadline=$((SECONDS + 120))
    while [ "$SECONDS" -le "$deadline" ]; do
        if "$@"; then return 0; fi
        sleep 0.1
    done
    return 1
}
uninstaller_running() { pgrep -f '[~]nsu.*[.]tmp' >/dev/null; }
russian_pages_show() { [ -n "$(xdotool search --onlyvisible --name '^Установка Kestrune$' 2>/dev/null)" ]; }

# --- A 64-bit Windows ----------------------------------------------------------------------------
start=$SECONDS
new_prefix win64 || { cat "$work/wineboot.log"; exit 1; }

# The pages speak the system's language without a question: Russian under a Russian locale.
# Escape leaves them as Cancel does.
step=$SECONDS
status=0
LC_ALL=ru_RU.UTF-8 wine "$work/kestrune-setup.exe" &
setup=$!
if wait_for russian_pages_show; then
    # Focused directly: the private X server has no window manager to activate it.
    xdotool windowfocus --sync "$(xdotool search --onlyvisible --name '^Установка Kestrune$' |
                                  head -1)" key Escape
else
    fail "the setup did not show its pages in Russian under a Russian locale"
    wine taskkill /f /im kestrune-setup.exe >/dev/null 2>&1 || true
fi
wait "$setup" || status=$?
[ "$status" -eq 1 ] || fail "leaving the Russian pages ended with $status, not 1"
echo "the pages in Russian in $(seconds $step)"

step=$SECONDS
run_setup 0 /S
echo "silent install in $(seconds $step)"

for name in kestrune.exe kestrune.installed uninstall.exe; do
    [ -f "$folder/$name" ] || fail "no $name in the install folder"
done
cmp -s "$folder/kestrune.exe" "$work/kestrune64.exe" ||
    fail "a 64-bit Windows did not get the 64-bit edition"
[ ! -e "$settings" ] || fail "the install made the settings folder"
if [ -f "$shortcut" ]; then
    # The link's target, as the shell keeps it (its local path, in the system's code page).
    grep -aqF "$windows_folder\\kestrune.exe" "$shortcut" ||
        fail "the Start menu entry does not point at $windows_folder\\kestrune.exe"
else
    fail "no Start menu entry"
fi
[ ! -e "$users/Desktop/Kestrune.lnk" ] || fail "a desktop shortcut nobody asked for"

size=$(( ($(stat -c %s "$folder/kestrune.exe") + $(stat -c %s "$folder/kestrune.installed") +
          $(stat -c %s "$folder/uninstall.exe")) / 1024 ))
expected_values="DisplayIcon|REG_SZ|$windows_folder\\kestrune.exe,0
DisplayName|REG_SZ|Kestrune
DisplayVersion|REG_SZ|2.0
EstimatedSize|REG_DWORD|$(printf '0x%x' "$size")
InstallLocation|REG_SZ|$windows_folder
NoModify|REG_DWORD|0x1
NoRepair|REG_DWORD|0x1
Publisher|REG_SZ|The Kestrune developers
QuietUninstallString|REG_SZ|\"$windows_folder\\uninstall.exe\" /S
UninstallString|REG_SZ|\"$windows_folder\\uninstall.exe\""
values=$(entry_values)
[ "$values" = "$expected_values" ] ||
    fail "the Uninstall entry holds"$'\n'"$values"$'\n'"instead of"$'\n'"$expected_values"

# A clan's settings file, copied into the install folder before the first start: not UTF-8,
# CR LF, a comment, no final line end.
clan=$'; Kl\xe4n\r\n[Quake3]\r\nQ3Server=10.0.0.7\r\nQ3Password=s\xe9cret'
printf '%s' "$clan" >"$work/clan.ini"
cp "$work/clan.ini" "$folder/kestrune.ini"

step=$SECONDS
wine "$folder/kestrune.exe" &
kestrune=$!
if wait_for main_window_shows; then
    echo "the installed program's main window in $(seconds $step)"
    cmp -s "$settings/kestrune.ini" "$work/clan.ini" ||
        fail "the settings file left in the install folder was not moved, bytes unchanged"
    [ ! -e "$folder/kestrune.ini" ] || fail "the settings file stayed in the install folder"

    # Running: a silent update changes nothing and says why.
    run_setup 3 /S

    # Closed as Windows closes a program (its windows are asked to close), it saves, AutoSave
    # being ticked by default: keys typed into Wine's windows are not sure to arrive on a busy
    # machine, where the splash may keep the keyboard for seconds.
    wine taskkill /im kestrune.exe >/dev/null 2>&1 || true
    wait_for eval '! kill -0 "$kestrune" 2>/dev/null' || fail "the program did not close"
    grep -q '^Autosave=1' "$settings/kestrune.ini" ||
        fail "closing did not save the settings in %APPDATA%\\Kestrune"
    [ -f "$settings/mods.kst" ] || fail "closing did not save the mods list in %APPDATA%\\Kestrune"
    grep -aq '^Q3Server=10.0.0.7' "$settings/kestrune.ini" || fail "saving lost the clan's server"
else
    fail "the installed program showed no main window"
fi
kill "$kestrune" 2>/dev/null || true
wait "$kestrune" 2>/dev/null || true
ls "$folder" | sort | tr '\n' ' ' | grep -qx 'kestrune.exe kestrune.installed uninstall.exe ' ||
    fail "the install folder holds $(ls "$folder" | tr '\n' ' ')"

# An update over an older program keeps every setting; asked, it adds a desktop shortcut.
printf 'mapmod\r\n' >"$settings/mods.kst"
cp -a "$settings" "$work/settings-before"
printf 'an older kestrune.exe' >"$folder/kestrune.exe"
step=$SECONDS
run_setup 0 /S /DESKTOP
echo "silent update in $(seconds $step)"
grep -aqF "$windows_folder\\kestrune.exe" "$users/Desktop/Kestrune.lnk" ||
    fail "no desktop shortcut to $windows_folder\\kestrune.exe with /DESKTOP"
cmp -s "$folder/kestrune.exe" "$work/kestrune64.exe" || fail "the update did not replace the program"
diff -r "$work/settings-before" "$settings" >/dev/null || fail "the update changed the settings"

# A silent uninstall: the uninstaller returns once it goes on in a copy of itself, in a
# temporary folder of the setup's own naming (~nsu...tmp).
step=$SECONDS
status=0
wine "$folder/uninstall.exe" /S || status=$?
[ "$status" -eq 0 ] || fail "the uninstaller /S ended with $status"
wait_for eval '! uninstaller_running' || fail "the uninstaller did not end"
echo "silent uninstall in $(seconds $step)"
[ ! -e "$folder" ] || fail "the uninstaller left $(ls "$folder" | tr '\n' ' ')"
[ ! -e "$shortcut" ] || fail "the uninstaller left the Start menu entry"
[ ! -e "$users/Desktop/Kestrune.lnk" ] || fail "the uninstaller left the desktop shortcut"
[ -z "$(entry_values)" ] || fail "the uninstaller left the Uninstall entry"
diff -r "$work/settings-before" "$settings" >/dev/null ||
    fail "the uninstaller did not keep the settings"
# For all users (Wine's user is an administrator, so no consent is asked): the 64-bit Program
# Files, the all-users Start menu and the machine's entry in its 64-bit view.
run_setup 0 /S /ALLUSERS
cmp -s "$WINEPREFIX/drive_c/Program Files/Kestrune/kestrune.exe" "$work/kestrune64.exe" ||
    fail "/ALLUSERS did not install the 64-bit edition under Program Files"
[ -f "$WINEPREFIX/drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs/Kestrune.lnk" ] ||
    fail "/ALLUSERS made no all-users Start menu entry"
machine_entry=$(wine reg query "HKLM${key#HKCU}" /v InstallLocation 2>/dev/null | tr -d '\r' |
                sed -n 's/^ *InstallLocation *REG_SZ *//p')
[ "$machine_entry" = 'C:\Program Files\Kestrune' ] ||
    fail "the all-users entry names \"$machine_entry\""
echo "64-bit prefix: $(seconds $start)"

# --- A 32-bit Windows ----------------------------------------------------------------------------
start=$SECONDS
if new_prefix win32; then
    run_setup 0 /S
    cmp -s "$folder/kestrune.exe" "$work/kestrune32.exe" ||
        fail "a 32-bit Windows did not get the 32-bit edition"
    [ "$(entry_values | grep '^InstallLocation|')" = "InstallLocation|REG_SZ|$windows_folder" ] ||
        fail "no Uninstall entry on a 32-bit Windows"
    echo "32-bit prefix: $(seconds $start)"
else
    echo "NOTE: this Wine makes no 32-bit prefix; the 32-bit choice was not run:"
    tail -n 3 "$work/wineboot.log"
fi

if [ "$failures" -ne 0 ]; then
    echo "$failures failures"
    exit 1
fi
# Its server is ended while the prefix is there to name it: one left running would hold the
# test's output open.
wineserver -k 2>/dev/null || true
wineserver -w 2>/dev/null || true
rm -rf "$work"
echo "the setup installs, updates and uninstalls Kestrune as it should"
