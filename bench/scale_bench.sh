#!/bin/sh
# The engine's pass over a thousand rows: a hundred test hosts in a network
# namespace of their own whose echo replies come 40 ms late, ten rows each,
# timed by scale_bench_win.exe under Wine on a virtual display against the
# same rows on loopback hosts. Its last line:
#   thousand-local  what the hosts' distance adds to the pass (goal: at most
#                   400 ms, about 7 echo delays with 16 computers read at once)
# Needs root (network namespaces, raw sockets). Builds what it needs; removes
# the namespace, its links and the processes it started when it ends.
# Usage: bench/scale_bench.sh [build tree, default build/windows]
set -eu
cd "$(dirname "$0")/.."
source_dir=$(pwd)
build=${1:-build/windows}
[ "$(id -u)" = 0 ] || { echo "run as root: the test hosts need a network namespace" >&2; exit 1; }

if [ ! -f "$build/CMakeCache.txt" ]; then
    cmake -S . -B "$build" -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-posix.cmake -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
fi
cmake --build "$build" -j"$(nproc)" --target scale_bench_win >/dev/null
build=$(cd "$build" && pwd)

export WINEPREFIX="$build/wineprefix-bench" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
. "$source_dir/bench/late_hosts.sh"
cleanup() {
    late_hosts_cleanup
    wineserver -k 2>/dev/null || true
}
trap cleanup EXIT
trap 'exit 1' HUP INT TERM
start_late_hosts 100 40

# shellcheck disable=SC2016,SC2086
xvfb-run -a -s "-screen 0 1024x768x24" sh -c '
    # A new prefix is made and settles before the services go in.
    [ -f "$WINEPREFIX/system.reg" ] || { wineboot -i 2>/dev/null; wineserver -w; }
    wine "$@"; status=$?; wineserver -w; exit $status' bench "$build/scale_bench_win.exe" 5 $addresses
