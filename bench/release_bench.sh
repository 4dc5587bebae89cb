#!/bin/sh
# Figures of the release file, each against its goal:
#   its size (goal: under 2 MB),
#   start to main window: from `wine vigilor.exe` until the main window is
#   visible, Wine's own start included, median of 5 (goal: under 1 s),
#   idle cost: CPU time over 60 s of the program idle and not monitoring,
#   as a share of one core (goal: under 0.1 %); the Wine server's share in
#   the same time (it serves every process of the prefix) is shown beside it.
# Runs in a Wine prefix of its own on a virtual display of its own.
# Usage: bench/release_bench.sh [build tree, default build/windows]
set -eu
build=$(cd "${1:-build/windows}" && pwd)
if [ -z "${VIGILOR_BENCH_DISPLAY:-}" ]; then
    exec xvfb-run -a -s "-screen 0 1024x768x24" env VIGILOR_BENCH_DISPLAY=1 sh "$0" "$build"
fi
program="$build/release/vigilor.exe"
probe="$build/install_probe.exe"
export WINEPREFIX="$build/wineprefix-bench" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
[ -f "$WINEPREFIX/system.reg" ] || wineboot -i 2>/dev/null
wineserver -p 60 2>/dev/null
work=$(mktemp -d)
trap 'wineserver -k 2>/dev/null || true; rm -rf "$work"' EXIT

size=$(stat -c %s "$program")
awk -v s="$size" 'BEGIN { printf "release file size:        %.2f MB (%d bytes)   goal < 2 MB: %s\n",
    s / 1048576, s, (s < 2 * 1048576) ? "met" : "NOT met" }'

now_ms() { date +%s%3N; }

# Starts the program and prints the milliseconds until its main window is
# visible; the program's process id is left in $work/pid.
start_to_window() {
    rm -f "$work/probe"
    mkfifo "$work/probe"
    wine "$probe" window 30000 >"$work/probe" 2>/dev/null &
    exec 3<"$work/probe"
    read -r ready <&3
    start=$(now_ms)
    wine "$program" >/dev/null 2>&1 &
    echo $! >"$work/pid"
    read -r shown <&3 || { echo "no main window" >&2; exit 1; }
    exec 3<&-
    echo $((shown - start))
}

# CPU time, in nanoseconds, of every thread of a process.
cpu_ns() { cat /proc/"$1"/task/*/schedstat | awk '{ t += $1 } END { print t }'; }

times=""
for run in 1 2 3 4 5; do
    times="$times $(start_to_window)"
    wineserver -k 2>/dev/null || true
    wineserver -p 60 2>/dev/null
done
echo "$times" | tr ' ' '\n' | sed '/^$/d' | sort -n | awk '{ t[NR] = $1 } END {
    printf "start to main window:     median %d ms of 5 (", t[3]
    for (i = 1; i <= NR; i++) printf "%s%d", (i > 1) ? " " : "", t[i]
    printf ")   goal < 1000 ms: %s\n", (t[3] < 1000) ? "met" : "NOT met" }'

start_to_window >/dev/null
pid=$(cat "$work/pid")
# This prefix's Wine server: the one started with its WINEPREFIX.
server=""
for candidate in $(pgrep -x 'wineserver(64)?'); do
    { tr '\0' '\n' <"/proc/$candidate/environ"; } 2>/dev/null | grep -qx "WINEPREFIX=$WINEPREFIX" && server=$candidate
done
# Start-up done: the splash has closed, the first service list is in.
sleep 10

# Idle CPU over 60 s with the pointer at x y of the screen.
idle() {
    wine "$probe" pointer "$1" "$2" 2>/dev/null
    sleep 2
    program_before=$(cpu_ns "$pid")
    server_before=$(cpu_ns "$server")
    sleep 60
    program_after=$(cpu_ns "$pid")
    server_after=$(cpu_ns "$server")
    awk -v where="$3" -v p=$((program_after - program_before)) -v s=$((server_after - server_before)) 'BEGIN {
        printf "idle CPU over 60 s, %s:\n", where
        printf "  program:                %.3f %% of a core (%.1f ms)   goal < 0.1 %%: %s\n",
            p / 6e8, p / 1e6, (p / 6e8 < 0.1) ? "met" : "NOT met"
        printf "  Wine server meanwhile (it serves every process of the prefix): %.3f %% of a core (%.1f ms)\n", s / 6e8, s / 1e6 }'
}
idle 0 0 "pointer away from the window"
# Wine polls for the pointer leaving a control it rests on (every 400 ms);
# the middle of the screen is on the scroll bar of the list of all services.
idle 512 384 "pointer resting on the window"
