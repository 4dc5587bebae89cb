#!/bin/sh
# The service as an administrator deploys it to a server, under Wine in a
# fresh prefix of its own: the package's tables as built; the machine key
# set beforehand (mail to an SMTP sink on the loopback, a page, two rows on
# \\127.0.0.1: a running and a stopped service); a silent install that
# starts the service "Vigilor"; the controls 128 (a pass now), 129 (reset)
# and 130 (reload the key), checked by what they leave behind (the page,
# the mails, the log under ProgramData); pause and continue; the computer
# switched off and on again (the Wine server ended and started), after
# which the service runs by itself; stop; a silent removal that deletes the
# service; and a package installed with VIGILOR_SERVICE=0, without service.
# Wine's service manager and its services live as long as the prefix's Wine
# server: the server is started persistent (wineserver -p), as a computer
# that stays on.
# From CTest: VIGILOR_MSI, VIGILOR_CONTROL, VIGILOR_TEST_SERVICE,
# VIGILOR_SERVICE_PREFIX, VIGILOR_SMTP_SINK.
set -eu
if [ -z "${VIGILOR_SERVICE_DISPLAY:-}" ]; then
    exec xvfb-run -a -s "-screen 0 1024x768x24" env VIGILOR_SERVICE_DISPLAY=1 sh "$0"
fi
export WINEPREFIX="$VIGILOR_SERVICE_PREFIX" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
sink_script="$(cd "$(dirname "$0")/../support" && pwd)/smtp_sink.py"
sink="$VIGILOR_SMTP_SINK"
cleanup() {
    wineserver -k 2>/dev/null || true
    /usr/bin/python3 "$sink_script" stop "$sink" >/dev/null 2>&1 || true
}
trap cleanup EXIT

. "$(dirname "$0")/checks.sh"
control() { win "$VIGILOR_CONTROL" "$@" || true; }
# The service works in a process of its own and tells the outside nothing:
# what it leaves behind is looked at every 0.2 s until the deadline.
within() { # seconds, command...
    deadline=$(($(date +%s) + $1))
    shift
    until "$@"; do
        [ "$(date +%s)" -lt "$deadline" ] || return 1
        sleep 0.2
    done
}

# The package's tables as built: each program component carries its
# condition (and no launch condition names the property), the service is
# installed from the component that carries it, started at install,
# stopped at install and removal, and removed at removal (163).
tables=$(mktemp -d)
for table in Component ServiceInstall ServiceControl LaunchCondition Property; do
    msiinfo export "$VIGILOR_MSI" "$table" | tr -d '\r' | tail -n +4 >"$tables/$table"
done
expect "component with the service" 'ProgramService	VIGILOR_SERVICE<>"0"	vigilor.exe.service' \
    "$(awk -F '\t' '$1 == "ProgramService" { print $1 "\t" $5 "\t" $6 }' "$tables/Component")"
expect "component without the service" 'Program	VIGILOR_SERVICE="0"	vigilor.exe' \
    "$(awk -F '\t' '$1 == "Program" { print $1 "\t" $5 "\t" $6 }' "$tables/Component")"
expect "ServiceInstall row" \
    "$(printf 'Vigilor\tVigilor\tVigilor Service Monitor\t16\t2\t1\t\t\t[SERVICEACCOUNT]\t[SERVICEPASSWORD]\t/service\tProgramService')" \
    "$(cut -f 1-12 "$tables/ServiceInstall")"
expect "ServiceControl row" "$(printf 'Vigilor\tVigilor\t163\t\t1\tProgramService')" "$(cat "$tables/ServiceControl")"
expect "launch conditions naming VIGILOR_SERVICE" 0 "$(grep -c VIGILOR_SERVICE "$tables/LaunchCondition" || true)"
expect "default account" LocalSystem "$(awk -F '\t' '$1 == "SERVICEACCOUNT" { print $2 }' "$tables/Property")"
expect "properties passed to the install's elevated part" \
    'WIX_DOWNGRADE_DETECTED;WIX_UPGRADE_DETECTED;SERVICEACCOUNT;SERVICEPASSWORD;VIGILOR_SERVICE' \
    "$(awk -F '\t' '$1 == "SecureCustomProperties" { print $2 }' "$tables/Property")"
rm -rf "$tables"

# A computer that stays on. The run that makes a prefix leaves two service
# managers behind, which answer in turn (a service just created is then
# missing half the time): that server is left to end, and the persistent
# one starts a single manager with the first program. It stays for two
# minutes after the last program ends (far longer than any wait here), so
# that a test ended from outside leaves no server behind for good.
rm -rf "$WINEPREFIX"
wineboot -i 2>/dev/null
wineserver -w
wineserver -p120

# The monitored services: the project's test service, one running, two stopped.
drive_c="$WINEPREFIX/drive_c"
mkdir -p "$drive_c/VigilorTest" "$drive_c/VigilorPage"
cp "$VIGILOR_TEST_SERVICE" "$drive_c/VigilorTest/test_service.exe"
for name in Running Stopped Third; do
    expect "test service $name" created \
        "$(control create "VigilorE2E$name" "E2E $name Service" 'C:\VigilorTest\test_service.exe run')"
done
expect "test service started" RUNNING "$(control start VigilorE2ERunning 10000)"

/usr/bin/python3 "$sink_script" start "$sink"
port=$(cat "$sink/port")

# The machine key as an administrator sets it before the install; numbers
# as Group Policy writes them (REG_DWORD) and as text. The interval is an
# hour: the passes in this test are the ones it asks for.
key_file="$drive_c/VigilorTest/machine.reg"
cat >"$key_file" <<EOF
REGEDIT4

[HKEY_LOCAL_MACHINE\\SOFTWARE\\Vigilor1]
"NotifybyMail"="1"
"ScreenNotify"=dword:00000000
"EMailSMTPHost"="127.0.0.1"
"EMailSMTPPort"=dword:$(printf '%08x' "$port")
"EMailSMTPID"="monitor-host"
"EMailLocalName"="Vigilor Service"
"EMailLocalAddr"="vigilor@example.org"
"EMailTo"="ops@example.org"
"HTMLOutputEnabled"="1"
"HTMLOutput"="C:\\\\VigilorPage\\\\status.htm"
"ScanInterval"=dword:0000003c
"MacMonitor0"="\\\\\\\\127.0.0.1"
"SvcMonitor0"="E2E Running Service"
"Autorestart0"="No"
"Email0"="No"
"MacMonitor1"="\\\\\\\\127.0.0.1"
"SvcMonitor1"="E2E Stopped Service"
"Autorestart1"="No"
"Email1"="No"
EOF
win reg import 'C:\VigilorTest\machine.reg' >/dev/null
expect "machine key set beforehand" 'EMailSMTPPort    REG_DWORD    0x'"$(printf '%x' "$port")" \
    "$(win reg query 'HKLM\SOFTWARE\Vigilor1' /v EMailSMTPPort | sed -n 's/^    //p')"

page="$drive_c/VigilorPage/status.htm"
log="$drive_c/ProgramData/Vigilor/failure-reports.log"
mails_about() { grep -l -F "$1" "$sink"/mail-*.txt 2>/dev/null | wc -l; }
log_holds() { [ -f "$log" ] && grep -q -F "$1" "$log"; }
page_holds() { [ -f "$page" ] && grep -q -F "$1" "$page"; }
mailed() { [ "$(mails_about "$1")" -ge "$2" ]; }

# Install: the service is installed as the package says, and started.
# (Wine's installer writes the program's path without quotes.)
if wine msiexec /i "$(winepath -w "$VIGILOR_MSI")" /qn 2>/dev/null; then pass "silent install"; else fail "silent install: exit $?"; fi
expect "service after the install" RUNNING "$(control wait Vigilor RUNNING 30000)"
expect "service's configuration" "$(printf '%s\n' 'start auto' 'type 16' 'error control 1' \
    'program C:\Program Files\Vigilor\vigilor.exe /service' 'account LocalSystem' \
    'display Vigilor Service Monitor' \
    'description Monitors the Windows services of many computers, with nobody logged on')" \
    "$(control config Vigilor)"

# 128: a pass now. It writes the page, mails the alert for the stopped row
# and appends to the log.
control control Vigilor 128 0 >/dev/null
within 30 mailed "E2E Stopped Service" 1 && pass "alert mailed for the stopped row" ||
    fail "no alert mail for the stopped row: $(ls "$sink")"
within 30 page_holds "E2E Stopped Service" && pass "page written" || fail "no page with the rows at $page"
page_holds "E2E Running Service" && pass "page shows the running row" || fail "page lacks the running row"
within 30 log_holds "E2E Stopped Service" && pass "failure reported in the log" ||
    fail "no report of the stopped row in $log"
expect "alerts about the running row" 0 "$(mails_about "E2E Running Service")"
expect "alert's recipient" "RCPT TO: ops@example.org" \
    "$(grep -h '^RCPT TO:' $(grep -l -F "E2E Stopped Service" "$sink"/mail-*.txt) | head -n 1)"

# 129 then 128: a reset forgets the alerts sent, so the next pass mails the
# stopped row again, and rewrites the page.
rm -f "$page"
control control Vigilor 129 0 >/dev/null
control control Vigilor 128 0 >/dev/null
within 30 mailed "E2E Stopped Service" 2 && pass "alert mailed again after the reset" ||
    fail "no second alert after the reset: $(mails_about "E2E Stopped Service") mails"
within 30 page_holds "E2E Stopped Service" && pass "page written again" || fail "page not written again"

# 130 then 128: a row added to the key is checked.
cat >"$key_file" <<'EOF'
REGEDIT4

[HKEY_LOCAL_MACHINE\SOFTWARE\Vigilor1]
"MacMonitor2"="\\\\127.0.0.1"
"SvcMonitor2"="E2E Third Service"
"Autorestart2"="No"
"Email2"="No"
EOF
win reg import 'C:\VigilorTest\machine.reg' >/dev/null
control control Vigilor 130 0 >/dev/null
control control Vigilor 128 0 >/dev/null
within 30 mailed "E2E Third Service" 1 && pass "alert mailed for the added row" || fail "no alert for the added row"
within 30 log_holds "E2E Third Service" && pass "added row reported in the log" || fail "added row not in $log"
within 30 page_holds "E2E Third Service" && pass "added row on the page" || fail "added row not on the page"
[ "$(grep -c -F "E2E Stopped Service" "$log")" -ge 2 ] && pass "log appended, not rewritten" ||
    fail "log holds one report of the stopped row: $(cat "$log")"

# Pause and continue: monitoring off and on.
expect "pause" PAUSED "$(control control Vigilor 2 10000)"
expect "continue" RUNNING "$(control control Vigilor 3 10000)"

# The computer switches off and on: the next Wine program starts the
# services that start automatically.
wineserver -k
wineserver -w
wineserver -p120
expect "service after the computer's restart" RUNNING "$(control wait Vigilor RUNNING 30000)"

# Stop ends it within 30 s.
started=$(date +%s)
expect "stop" STOPPED "$(control control Vigilor 1 30000)"
echo "stopped in $(($(date +%s) - started)) s"

# Removal deletes the service.
program_dir="$drive_c/Program Files/Vigilor"
if wine msiexec /x "$(winepath -w "$VIGILOR_MSI")" /qn 2>/dev/null; then pass "silent removal"; else fail "silent removal: exit $?"; fi
expect "service after the removal" "error 1060" "$(control state Vigilor)"
[ ! -e "$program_dir" ] && pass "program folder removed" || fail "left behind: $(ls -A "$program_dir")"
expect "machine key kept" 'SvcMonitor2    REG_SZ    E2E Third Service' \
    "$(win reg query 'HKLM\SOFTWARE\Vigilor1' /v SvcMonitor2 | sed -n 's/^    //p')"

# VIGILOR_SERVICE=0: the program without the service.
if wine msiexec /i "$(winepath -w "$VIGILOR_MSI")" /qn VIGILOR_SERVICE=0 2>/dev/null; then
    pass "silent install without the service"
else
    fail "silent install without the service: exit $?"
fi
[ -f "$program_dir/vigilor.exe" ] && pass "program file installed" || fail "no $program_dir/vigilor.exe"
expect "service after an install without it" "error 1060" "$(control state Vigilor)"
if wine msiexec /x "$(winepath -w "$VIGILOR_MSI")" /qn 2>/dev/null; then pass "removal"; else fail "removal: exit $?"; fi
[ ! -e "$program_dir" ] && pass "program folder removed" || fail "left behind: $(ls -A "$program_dir")"

[ "$failures" -eq 0 ] || { echo "$failures failed"; exit 1; }
