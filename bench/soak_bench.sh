#!/bin/sh
# A long run of the program: soak_bench_win.exe under Wine on a virtual
# display forces passes back to back in the main window (1,000 unless a
# count is given), with mail to a loopback SMTP server, the status page and
# the metrics file on, and one computer silent on about every 50th pass (a
# test host in a network namespace of its own). Every 50 passes it prints
# the process's figures; its last four lines give the growth per 1,000
# passes, fitted over passes 100 on:
#   handles/1000     kernel handles (goal: at most +10)
#   private_mb/1000  private bytes in MB (goal: at most +1)
#   threads/1000     threads (goal: +0)
#   user/1000        USER objects, counted as windows under Wine (goal: +0)
# Needs root (network namespace, raw sockets). Builds what it needs; removes
# the namespace, its links and the processes it started when it ends.
# Usage: bench/soak_bench.sh [passes] [build tree, default build/windows]
set -eu
cd "$(dirname "$0")/.."
source_dir=$(pwd)
passes=${1:-1000}
build=${2:-build/windows}
. "$source_dir/bench/wine_bench.sh"
prepare_wine_bench soak_bench_win wineprefix-soak
# A namespace of its own, so that the other benchmarks can run meanwhile.
NS=vigilor-soak-hosts HOST_IF=vgl-sk-h PEER_IF=vgl-sk-n NET=10.252.0
work=$(mktemp -d)
cleanup() {
    /usr/bin/python3 "$source_dir/tests/support/smtp_sink.py" stop "$work/mail" 2>/dev/null || true
    wine_bench_cleanup
    rm -rf "$work"
}
trap cleanup EXIT
start_late_hosts 1 25 50
/usr/bin/python3 "$source_dir/tests/support/smtp_sink.py" start "$work/mail"
mkdir -p "$work/out"
# shellcheck disable=SC2086
run_on_virtual_display "$build/soak_bench_win.exe" "$passes" "$(cat "$work/mail/port")" $addresses \
    "Z:$(echo "$work/out" | tr / '\\')"
echo "mails received: $(find "$work/mail" -name 'mail-*.txt' | wc -l)"
