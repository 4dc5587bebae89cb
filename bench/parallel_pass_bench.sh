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
. "$source_dir/bench/wine_bench.sh"
prepare_wine_bench parallel_pass_bench_win wineprefix-bench
start_late_hosts 10 40
# shellcheck disable=SC2086
run_on_virtual_display "$build/parallel_pass_bench_win.exe" 5 $addresses
