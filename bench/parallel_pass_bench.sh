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

NS=vigilor-bench-hosts
HOST_IF=vgl-bh-h
PEER_IF=vgl-bh-n
NET=10.251.0
DELAY_MS=40
addresses=""
for i in 11 12 13 14 15 16 17 18 19 20; do addresses="$addresses $NET.$i"; done

export WINEPREFIX="$build/wineprefix-bench" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
work=$(mktemp -d)
responder=""
cleanup() {
    [ -z "$responder" ] || { kill "$responder" 2>/dev/null; wait "$responder" 2>/dev/null; } || true
    ip netns del "$NS" 2>/dev/null || true
    ip link del "$HOST_IF" 2>/dev/null || true
    wineserver -k 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 1' HUP INT TERM

# Left over from a run that was killed outright.
ip netns del "$NS" 2>/dev/null || true
ip link del "$HOST_IF" 2>/dev/null || true

ip netns add "$NS"
ip link add "$HOST_IF" type veth peer name "$PEER_IF"
ip link set "$PEER_IF" netns "$NS"
ip addr add "$NET.1/24" dev "$HOST_IF"
ip link set "$HOST_IF" up
for address in $addresses; do ip netns exec "$NS" ip addr add "$address/24" dev "$PEER_IF"; done
ip netns exec "$NS" ip link set "$PEER_IF" up
ip netns exec "$NS" ip link set lo up
# The namespace's own replies off; the responder answers late instead.
ip netns exec "$NS" sysctl -q -w net.ipv4.icmp_echo_ignore_all=1

mkfifo "$work/ready"
# shellcheck disable=SC2086
ip netns exec "$NS" /usr/bin/python3 "$source_dir/bench/late_echo_hosts.py" answer "$DELAY_MS" $addresses >"$work/ready" &
responder=$!
read -r ready <"$work/ready" || true
[ "$ready" = ready ] || { echo "the echo responder did not start" >&2; exit 1; }

# Every host's echoes come back after the delay, also when several wait at once.
# shellcheck disable=SC2086
/usr/bin/python3 "$source_dir/bench/late_echo_hosts.py" probe "$DELAY_MS" $addresses

# shellcheck disable=SC2016,SC2086
xvfb-run -a -s "-screen 0 1024x768x24" sh -c '
    # A new prefix is made and settles before the services go in.
    [ -f "$WINEPREFIX/system.reg" ] || { wineboot -i 2>/dev/null; wineserver -w; }
    wine "$@"; status=$?; wineserver -w; exit $status' bench "$build/parallel_pass_bench_win.exe" 5 $addresses
