#!/bin/sh
# A test host that ignores echo requests: a network namespace of our own,
# joined to this one by a veth pair, with echo replies switched off.
#   silent_host.sh up STATUSFILE    writes the host's address, or "unavailable"
#   silent_host.sh down
# Creating namespaces needs root; without it the tests that use the host skip.
NS=vigilor-silent
HOST_IF=vgl-silent-h
PEER_IF=vgl-silent-n
HOST_ADDR=10.250.4.1
PEER_ADDR=10.250.4.2

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
        if up; then echo "$PEER_ADDR" > "$2"; else down; echo unavailable > "$2"; fi ;;
    down)
        down ;;
esac
exit 0
