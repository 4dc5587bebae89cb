#!/bin/sh
# A test host that ignores echo requests: a network namespace of our own,
# joined to this one by a veth pair, with echo replies switched off.
#   silent_host.sh up N STATUSFILE   writes the host's address, or "unavailable"
#   silent_host.sh down N
# N (1-254) keeps the hosts of different test programs apart: namespace
# vigilor-silent-N, addresses 10.250.N.1 (here) and 10.250.N.2 (the host).
# Creating namespaces needs root; without it the tests that use the host skip.
N=$2
NS=vigilor-silent-$N
HOST_IF=vgl-s$N-h
PEER_IF=vgl-s$N-n
HOST_ADDR=10.250.$N.1
PEER_ADDR=10.250.$N.2

down() {
    ip netns del "$NS" 2>/dev/null
    ip link del "$HOST_IF" 2>/dev/null
    return 0
}

up() {
    down
    ip netns add "$NS" &&
    ip link add "$HOST_IF" type veth peer name "$PEER_IF" &&
    ip link set "$PEER_IF" netns "$NS" &&
    ip addr add "$HOST_ADDR/30" dev "$HOST_IF" &&
    ip link set "$HOST_IF" up &&
    ip netns exec "$NS" ip addr add "$PEER_ADDR/30" dev "$PEER_IF" &&
    ip netns exec "$NS" ip link set "$PEER_IF" up &&
    ip netns exec "$NS" ip link set lo up &&
    ip netns exec "$NS" sysctl -q -w net.ipv4.icmp_echo_ignore_all=1
}

case "$1" in
    up)
        if up; then echo "$PEER_ADDR" > "$3"; else down; echo unavailable > "$3"; fi ;;
    down)
        down ;;
esac
exit 0
