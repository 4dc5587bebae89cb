#!/bin/sh
# The package as an administrator meets it, under Wine in a fresh prefix of
# its own on a virtual display of its own: a silent install, its entry in
# the list of installed programs, the program and its Start-menu shortcuts,
# the program started from its shortcut up to its main window and closed as
# an installer closes it, the event source's registration and texts, a
# rebuild of the same version, signed, that replaces the installed product,
# a silent upgrade to a later package, and a silent removal that leaves the
# user's settings.
# From CTest: VIGILOR_MSI, VIGILOR_VERSION, VIGILOR_NEXT_MSI,
# VIGILOR_NEXT_VERSION, VIGILOR_PROBE, VIGILOR_INSTALL_PREFIX,
# VIGILOR_RELEASE_PROGRAM, VIGILOR_ICON, VIGILOR_SCRATCH.
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
uninstall_key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall'
products() { win reg query "$uninstall_key" /s | grep -c 'DisplayName *REG_SZ *Vigilor$' || true; }
# The installed products' codes, from their entries in the list of installed programs.
product_codes() {
    win reg query "$uninstall_key" /s |
        awk '/^HKEY_/ { key = $0; sub(/.*\\/, "", key) } /DisplayName +REG_SZ +Vigilor$/ { print key }' | sort
}
product_code() { msiinfo export "$1" Property | tr -d '\r' | awk -F '\t' '$1 == "ProductCode" { print $2 }'; }
# A throw-away certificate authority and a code-signing certificate of
# its, in <dir>: ca.pem, signer.pfx (password "test").
make_signing_certificate() {
    openssl req -x509 -newkey rsa:2048 -nodes -keyout "$1/ca.key" -out "$1/ca.pem" -days 2 -subj "/CN=Vigilor test CA" \
        -addext "basicConstraints=critical,CA:true" -addext "keyUsage=critical,keyCertSign,cRLSign" 2>/dev/null
    openssl req -newkey rsa:2048 -nodes -keyout "$1/signer.key" -out "$1/signer.csr" -subj "/CN=Vigilor test signer" \
        2>/dev/null
    printf '%s\n' "basicConstraints=critical,CA:false" "keyUsage=critical,digitalSignature" \
        "extendedKeyUsage=codeSigning" > "$1/signer.ext"
    openssl x509 -req -in "$1/signer.csr" -CA "$1/ca.pem" -CAkey "$1/ca.key" -CAcreateserial -days 1 \
        -extfile "$1/signer.ext" -out "$1/signer.pem" 2>/dev/null
    openssl pkcs12 -export -inkey "$1/signer.key" -in "$1/signer.pem" -certfile "$1/ca.pem" -passout pass:test \
        -out "$1/signer.pfx"
}
signed_by_test_ca() { osslsigncode verify -CAfile "$scratch/ca.pem" -in "$1" >/dev/null 2>&1; }

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

# The program without the service: Wine's msiexec does not wait for a
# service it stops (ServiceControl's Wait) before it replaces or deletes
# the service's program file, which then races the service process's end.
# The service test stops the service itself first.
without_service=VIGILOR_SERVICE=0

# Install.
if wine msiexec /i "$(winepath -w "$VIGILOR_MSI")" /qn $without_service 2>/dev/null; then pass "silent install"; else fail "silent install: exit $?"; fi
[ -f "$program_dir/vigilor.exe" ] && pass "program file installed" || fail "no $program_dir/vigilor.exe"
expect "installed program's version" "$VIGILOR_VERSION" "$(probe version "$program")"
installed=$(product_code "$VIGILOR_MSI")
expect "installed product" "$installed" "$(product_codes)"
expect "Programs and Features: help, about, no Change button" \
    "$(printf 'HelpLink\tREG_SZ\thttps://vigilor.example.org/\nNoModify\tREG_DWORD\t0x1\nURLInfoAbout\tREG_SZ\thttps://vigilor.example.org/')" \
    "$(reg_values "$uninstall_key\\$installed" | sed 's/    /\t/g' | grep -E '^(HelpLink|NoModify|URLInfoAbout)\s' | sort)"
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
# Closed as an installer closes a running program whose file it replaces:
# no question, the settings stored, the program ended.
expect "program closed as an installer asks" "$(printf 'may close\nended')" "$(probe close 20000)"
settings=$(reg_values 'HKCU\SOFTWARE\Vigilor1' | sed 's/    /\t/g' | sort)
case "$settings" in *ComputerName*) pass "settings stored at the close" ;; *) fail "settings not stored: $settings" ;; esac
wineserver -k 2>/dev/null || true

# A rebuild of the same version (a product code of its own), signed with a
# throw-away certificate, replaces the installed product.
scratch=$VIGILOR_SCRATCH
rm -rf "$scratch" && mkdir -p "$scratch"
make_signing_certificate "$scratch"
rebuild="$scratch/vigilor-$VIGILOR_VERSION.msi"
if VIGILOR_SIGN_PFX="$scratch/signer.pfx" VIGILOR_SIGN_PASSWORD=test \
    sh "$(dirname "$0")/../../packaging/build-package.sh" "$VIGILOR_RELEASE_PROGRAM" "$VIGILOR_VERSION" "$VIGILOR_ICON" \
    "$rebuild"; then pass "signed rebuild"; else fail "signed rebuild: exit $?"; fi
signed_by_test_ca "$rebuild" && pass "package signature verified" || fail "package signature not verified"
rebuilt=$(product_code "$rebuild")
[ "$rebuilt" != "$installed" ] && pass "rebuild has a product code of its own" || fail "rebuild has the same product code"
if wine msiexec /i "$(winepath -w "$rebuild")" /qn /norestart $without_service 2>/dev/null; then pass "silent install of the rebuild"; else fail "silent install of the rebuild: exit $?"; fi
expect "installed product after the rebuild" "$rebuilt" "$(product_codes)"
signed_by_test_ca "$program_dir/vigilor.exe" && pass "installed program's signature verified" \
    || fail "installed program's signature not verified"
expect "rebuilt program's version" "$VIGILOR_VERSION" "$(probe version "$program")"

# A later package replaces this one.
if wine msiexec /i "$(winepath -w "$VIGILOR_NEXT_MSI")" /qn /norestart $without_service 2>/dev/null; then pass "silent upgrade"; else fail "silent upgrade: exit $?"; fi
expect "installed product after the upgrade" "$(product_code "$VIGILOR_NEXT_MSI")" "$(product_codes)"
expect "upgraded program's version" "$VIGILOR_NEXT_VERSION" "$(probe version "$program")"
[ -f "$menu/Vigilor.lnk" ] && pass "shortcut kept by the upgrade" || fail "shortcut lost by the upgrade"

# Removal.
if wine msiexec /x "$(winepath -w "$VIGILOR_NEXT_MSI")" /qn 2>/dev/null; then pass "silent removal"; else fail "silent removal: exit $?"; fi
[ ! -e "$program_dir" ] && pass "program folder removed" || fail "left behind: $(ls -A "$program_dir")"
expect "Start-menu entries after removal" "" "$(shortcuts)"
if wine reg query "$source_key" >/dev/null 2>&1; then fail "event source left behind"; else pass "event source removed"; fi
expect "products installed after removal" 0 "$(products)"
expect "user's settings kept" "$settings" "$(reg_values 'HKCU\SOFTWARE\Vigilor1' | sed 's/    /\t/g' | sort)"

[ "$failures" -eq 0 ] || { echo "$failures failed"; exit 1; }
