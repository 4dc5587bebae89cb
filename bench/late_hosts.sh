# Sourced by the benchmarks that need test hosts whose echo replies come
# late: start_late_hosts COUNT DELAY_MS [N] makes a network namespace with
# COUNT addresses ($NET.11 on, listed in $addresses) answered DELAY_MS late
# by bench/late_echo_hosts.py, and probes them; with N (above 3, the
# probe's echoes count too), every Nth echo request to each address goes
# unanswered. Needs root. late_hosts_cleanup removes the namespace, its link
# and the responder; the caller's EXIT trap calls it.
NS=vigilor-bench-hosts
HOST_IF=vgl-bh-h
PEER_IF=vgl-bh-n
NET=10.251.0
addresses=""
responder=""

late_hosts_cleanup() {
    [ -z "$responder" ] || { kill "$responder" 2>/dev/null; wait "$responder" 2>/dev/null; } || true
    ip netns del "$NS" 2>/dev/null || true
    ip link del "$HOST_IF" 2>/dev/null || true
}

start_late_hosts() {
    count=$1
    delay_ms=$2
    unanswered=${3:+/$3}
    [ "$count" -le 200 ] || { echo "at most 200 test hosts" >&2; return 1; }
    i=0
    while [ "$i" -lt "$count" ]; do addresses="$addresses $NET.$((11 + i))"; i=$((i + 1)); done

    # Left over from a run that was killed outright.
    late_hosts_cleanup
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

    ready_fifo=$(mktemp -u)
    mkfifo "$ready_fifo"
    # shellcheck disable=SC2086
    ip netns exec "$NS" /usr/bin/python3 "$source_dir/bench/late_echo_hosts.py" "answer$unanswered" "$delay_ms" $addresses \
        >"$ready_fifo" &
    responder=$!
    read -r ready <"$ready_fifo" || true
    rm -f "$ready_fifo"
    [ "$ready" = ready ] || { echo "the echo responder did not start" >&2; return 1; }

    # Every host's echoes come back after the delay, also when several wait at once.
    # shellcheck disable=SC2086
    /usr/bin/python3 "$source_dir/bench/late_echo_hosts.py" probe "$delay_ms" $addresses
}
