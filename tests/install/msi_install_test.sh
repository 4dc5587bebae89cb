#!/bin/sh
# The package as an administrator meets it, under Wine in a fresh prefix of
# its own on a virtual display of its own: a silent install, the program and
# its Start-menu shortcuts, the program started from its shortcut up to its
# main window, the event source's registration and texts, a silent upgrade
# to a later package, and a silent removal that leaves the user's settings.
# From CTest: VIGILOR_MSI, VIGILOR_VERSION, VIGILOR_NEXT_MSI,
# VIGILOR_NEXT_VERSION, VIGILOR_PROBE, VIGILOR_INSTALL_PREFIX.
set -eu
if [ -z "${VIGILOR_INSTALL_DISPLAY:-}" ]; then
    exec xvfb-run -a -s "-screen 0 1024x768x24" env VIGILOR_INSTALL_DISPLAY=1 sh "$0"
fi
export WINEPREFIX="$VIGILOR_INSTALL_PREFIX" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
rm -rf "$WINEPREFIX"
trap 'wineserver -k 2>/dev/null || true' EXIT

. "$(dirname "$0")/checks.sh"
probe() { win "$VIGILOR_PROBE" "$@"; }
# The values of a registry key, one "name type data" line each; empty when the key is missing.
reg_values() { win reg query "$1" | sed -n 's/^    //p'; }
products() { win reg query 'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall' /s | grep -c 'DisplayName *REG_SZ *Vigilor$' || true; }

# The run that makes a prefix leaves two service managers behind, which
# answer in turn, so that the install could miss the service it has just
# created: that server is left to end first.
wineboot -i 2>/dev/null
wineserver -w
wine reg add 'HKCU\SOFTWARE\Vigilor1' /v ScanInterval /t REG_DWORD /d 7 /f >/dev/null 2>&1

program_dir="$WINEPREFIX/drive_c/Program Files/Vigilor"
program='C:\Program Files\Vigilor\vigilor.exe'
# A per-machine package puts its shortcuts into the common Start menu on
# Windows; Wine's installer puts them into the user's: either will do.
shortcuts() { find "$WINEPREFIX/drive_c" -path '*/Start Menu/Programs/Vigilor*.lnk' | sort; }
source_key='HKLM\SYSTEM\CurrentControlSet\Services\EventLog\Application\Vigilor'

# Install.
if wine msiexec /i "$(winepath -w "$VIGILOR_MSI")" /qn 2>/dev/null; then pass "silent install"; else fail "silent install: exit $?"; fi
[ -f "$program_dir/vigilor.exe" ] && pass "program file installed" || fail "no $program_dir/vigilor.exe"
expect "installed program's version" "$VIGILOR_VERSION" "$(probe version "$program")"
expect "products installed" 1 "$(products)"
menu=$(dirname "$(shortcuts | head -n 1)")
expect "Start-menu entries" "$(printf '%s\n' "$menu/Vigilor (start monitoring).lnk" "$menu/Vigilor.lnk")" "$(shortcuts)"
menu_win=$(winepath -w "$menu" 2>/dev/null)
expect "shortcut Vigilor" "$(printf '%s\n' "$program" '')" "$(probe shortcut "$menu_win\\Vigilor.lnk")"
expect "shortcut Vigilor (start monitoring)" "$(printf '%s\n' "$program" '/A')" \
    "$(probe shortcut "$menu_win\\Vigilor (start monitoring).lnk")"
expect "event source" "$(printf 'EventMessageFile\tREG_SZ\t%s\nTypesSupported\tREG_DWORD\t0x7' "$program")" \
    "$(reg_values "$source_key" | sed 's/    /\t/g' | sort)"
# The text an event viewer shows for the entries the program writes
# (event identifier 0, the message as the one string).
expect "event text from the installed program" '\\SRV1 has stopped responding!' \
    "$(probe message "$program" 0 '\\SRV1 has stopped responding!')"

# Started the way a user starts it, from its Start-menu shortcut.
wine start "$menu_win\\Vigilor.lnk" 2>/dev/null
if probe window 60000 >/dev/null; then pass "main window of the installed program shown"; else fail "no main window"; fi
wineserver -k 2>/dev/null || true

# A later package replaces this one.
if wine msiexec /i "$(winepath -w "$VIGILOR_NEXT_MSI")" /qn 2>/dev/null; then pass "silent upgrade"; else fail "silent upgrade: exit $?"; fi
expect "products installed after the upgrade" 1 "$(products)"
expect "upgraded program's version" "$VIGILOR_NEXT_VERSION" "$(probe version "$program")"
[ -f "$menu/Vigilor.lnk" ] && pass "shortcut kept by the upgrade" || fail "shortcut lost by the upgrade"

# Removal.
if wine msiexec /x "$(winepath -w "$VIGILOR_NEXT_MSI")" /qn 2>/dev/null; then pass "silent removal"; else fail "silent removal: exit $?"; fi
[ ! -e "$program_dir" ] && pass "program folder removed" || fail "left behind: $(ls -A "$program_dir")"
expect "Start-menu entries after removal" "" "$(shortcuts)"
if wine reg query "$source_key" >/dev/null 2>&1; then fail "event source left behind"; else pass "event source removed"; fi
expect "products installed after removal" 0 "$(products)"
expect "user's settings kept" "$(printf 'ScanInterval\tREG_DWORD\t0x7')" \
    "$(reg_values 'HKCU\SOFTWARE\Vigilor1' | sed 's/    /\t/g')"

[ "$failures" -eq 0 ] || { echo "$failures failed"; exit 1; }
