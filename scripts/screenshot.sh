#!/usr/bin/env bash
# Writes docs/main-window.png, the README's picture of the main window: the
# program under Wine in a prefix of its own, on a virtual display inside a
# Wine desktop (which draws the window's frame), with a monitored list of
# the prefix's own services, after one check (F9). Run it again when the
# window changes. Needs a build (scripts/build.sh) and what
# scripts/install-deps.sh installs.
set -euo pipefail
cd "$(dirname "$0")/.."
if [ -z "${VIGILOR_SHOT_DISPLAY:-}" ]; then
    exec xvfb-run -a -s "-screen 0 1024x768x24" env VIGILOR_SHOT_DISPLAY=1 bash "$0"
fi
build=$PWD/build/windows
cmake --build "$build" --target vigilor install_probe >/dev/null
export WINEPREFIX=$build/wineprefix-shot WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
rm -rf "$WINEPREFIX"
work=$(mktemp -d)
trap 'wineserver -k 2>/dev/null || true; rm -rf "$work"' EXIT
wineboot -i 2>/dev/null
# Every program of the prefix on one Wine desktop, which draws the frames
# (and where the probe finds the window); taken from the next start on.
wine reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d Default /f >/dev/null 2>&1
wine reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /d 1024x768 /f >/dev/null 2>&1
wineserver -w

# The settings: three services that run and the print spooler, which
# Wine starts only on demand and Vigilor restarts (its row says so); no
# alerts, so that no box covers the window; and the status page, whose
# writing ends the check.
computer=$(wine cmd /c 'echo %COMPUTERNAME%' 2>/dev/null | tr -d '\r')
page=$(winepath -w "$work/status.html")
key='HKCU\SOFTWARE\Vigilor1'
set_value() { wine reg add "$key" /v "$1" /d "$2" /f >/dev/null 2>&1; }
set_value ComputerName "\\\\$computer"
set_value NotifybyMail 0
set_value ScreenNotify 0
set_value HTMLOutputEnabled 1
set_value HTMLOutput "$page"
row=0
for service in "Event Log:No" "Plug and Play Service:No" "Remote Procedure Call (RPC):No" "Print Spooler:Yes"; do
    set_value "MacMonitor$row" "\\\\$computer"
    set_value "SvcMonitor$row" "${service%:*}"
    set_value "Autorestart$row" "${service##*:}"
    set_value "EMail$row" No
    row=$((row + 1))
done

wine "$build/vigilor.exe" >/dev/null 2>&1 &
wine "$build/install_probe.exe" window 60000 >/dev/null 2>&1
# The splash picture stands above the window for 3 s.
sleep 4
# The window's title begins with a blank.
xdotool search --name '^ Vigilor v' windowfocus --sync key F9
for _ in $(seq 600); do
    [ -s "$work/status.html" ] && break
    sleep 0.1
done
[ -s "$work/status.html" ] || { echo "no check within 60 s" >&2; exit 1; }
# The window has drawn the check's end when two frames in a row are alike
# (the light is steady after a forced check, the clock shows minutes).
frame() { import -window root "$work/desktop.png" && convert "$work/desktop.png" rgb:- | md5sum; }
last=$(frame)
for _ in $(seq 50); do
    sleep 0.2
    now=$(frame)
    [ "$now" = "$last" ] && break
    last=$now
done
mkdir -p docs
# Only the window: the desktop around it is one colour.
convert "$work/desktop.png" -trim +repage docs/main-window.png
echo "docs/main-window.png"
