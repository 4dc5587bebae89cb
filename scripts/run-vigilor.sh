#!/usr/bin/env bash
# Installs what is missing, builds, and starts Vigilor under Wine. Without a
# display it starts a virtual one, writes a screenshot of the window to
# vigilor-screenshot.png every few seconds, and says so.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
bash scripts/build.sh
export WINEPREFIX="${WINEPREFIX:-$PWD/build/run-prefix}"
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
[ -f "$WINEPREFIX/system.reg" ] || wineboot -i
exe=build/windows/vigilor.exe
if [ -n "${DISPLAY:-}" ]; then
    exec wine "$exe" "$@"
fi
display=:77
Xvfb $display -screen 0 1024x768x24 >/dev/null 2>&1 &
xvfb=$!
trap 'kill $xvfb 2>/dev/null || true' EXIT
sleep 1
export DISPLAY=$display
# A desktop window of Wine's own draws title bars without a window manager.
wine explorer /desktop=Vigilor,1024x768 "$exe" "$@" &
app=$!
shot="$PWD/vigilor-screenshot.png"
echo "Vigilor runs on the virtual display $display (no screen here)."
echo "A screenshot is written to $shot every 5 seconds; stop with Ctrl+C."
while kill -0 $app 2>/dev/null; do
    sleep 5
    import -display $display -window root "$shot" 2>/dev/null || true
done
