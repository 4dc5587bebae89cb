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
. "$source_dir/bench/wine_bench.sh"
prepare_wine_bench scale_bench_win wineprefix-bench
start_late_hosts 100 40
# shellcheck disable=SC2086
run_on_virtual_display "$build/scale_bench_win.exe" 5 $addresses
