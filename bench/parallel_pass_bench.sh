#!/bin/sh
# Check passes over many computers against one: ten test hosts in a network
# namespace of their own whose echo replies come 40 ms late, the program
# (parallel_pass_bench_win.exe, under Wine on a virtual display) timing a
# pass over one host, a pass over all ten, the same pass over ten loopback
# hosts (whose replies take no time) and the rows of all ten checked one
# call after another. Its last two lines:
#   many/one   ten hosts' pass over one host's (goal: at most 2.0)
#   part/ours  one after another over the ten hosts' pass (goal: at least 10)
# Needs root (network namespaces, raw sockets). Builds what it needs; removes
# the namespace, its links and the processes it started when it ends.
# Usage: bench/parallel_pass_bench.sh [build tree, default build/windows]
set -eu
cd "$(dirname "$0")/.."
source_dir=$(pwd)
build=${1:-build/windows}
[ "$(id -u)" = 0 ] || { echo "run as root: the test hosts need a network namespace" >&2; exit 1; }

if [ ! -f "$build/CMakeCache.txt" ]; then
    cmake -S . -B "$build" -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-posix.cmake -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
fi
cmake --build "$build" -j"$(nproc)" --target parallel_pass_bench_win >/dev/null
build=$(cd "$build" && pwd)

export WINEPREFIX="$build/wineprefix-bench" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
. "$source_dir/bench/late_hosts.sh"
cleanup() {
    late_hosts_cleanup
    wineserver -k 2>/dev/null || true
}
trap cleanup EXIT
trap 'exit 1' HUP INT TERM
start_late_hosts 10 40

# shellcheck disable=SC2016,SC2086
xvfb-run -a -s "-screen 0 1024x768x24" sh -c '
    # A new prefix is made and settles before the services go in.
    [ -f "$WINEPREFIX/system.reg" ] || { wineboot -i 2>/dev/null; wineserver -w; }
    wine "$@"; status=$?; wineserver -w; exit $status' bench "$build/parallel_pass_bench_win.exe" 5 $addresses
