#!/usr/bin/python3
"""Test hosts whose ICMP echo replies come late, and a probe of them.

    late_echo_hosts.py answer[/N] DELAY_MS ADDRESS...
        Answers the echo requests sent to the addresses, each DELAY_MS after
        its own arrival however many others wait meanwhile; with /N every
        Nth request to an address goes unanswered. Run it inside a network
        namespace whose own replies are switched off
        (net.ipv4.icmp_echo_ignore_all=1): this kernel has no netem, so this
        is what gives the hosts a round-trip time. Prints "ready" once it
        listens on every address; runs until it is killed.
    late_echo_hosts.py probe DELAY_MS ADDRESS...
        Sends three echoes to each address, 10 ms apart, so that they wait at
        the responder together, and prints the round trips. Fails unless
        every echo comes back within DELAY_MS .. DELAY_MS + 20 ms.
"""
import heapq
import os
import select
import socket
import struct
import sys
import time

ECHO_REPLY = 0
ECHO_REQUEST = 8
PROBES = 3
PROBE_GAP_S = 0.01
PROBE_WAIT_S = 2.0


def checksum(data):
    if len(data) % 2:
        data += b"\0"
    total = sum(struct.unpack("!%dH" % (len(data) // 2), data))
    total = (total >> 16) + (total & 0xFFFF)
    total += total >> 16
    return ~total & 0xFFFF


def icmp_message(kind, rest):
    """An ICMP message of the kind with its checksum; rest: from byte 4 on."""
    message = bytes([kind, 0, 0, 0]) + rest
    return message[:2] + struct.pack("!H", checksum(message)) + message[4:]


def icmp_of(packet):
    """The ICMP message inside a packet a raw socket received."""
    return packet[(packet[0] & 0x0F) * 4:]


def raw_socket(address=None):
    s = socket.socket(socket.AF_INET, socket.SOCK_RAW, socket.IPPROTO_ICMP)
    if address:
        # Receives only what is sent to the address, and answers from it.
        s.bind((address, 0))
    return s


def answer(delay_ms, addresses, unanswered_every):
    delay = delay_ms / 1000.0
    sockets = [raw_socket(address) for address in addresses]
    requests = {s: 0 for s in sockets}
    print("ready", flush=True)
    due = []  # (time to answer, arrival number, socket, reply, requester)
    arrivals = 0
    while True:
        timeout = max(0.0, due[0][0] - time.monotonic()) if due else None
        readable, _, _ = select.select(sockets, [], [], timeout)
        now = time.monotonic()
        for s in readable:
            packet, (requester, _) = s.recvfrom(65535)
            icmp = icmp_of(packet)
            if len(icmp) >= 8 and icmp[0] == ECHO_REQUEST and icmp[1] == 0:
                requests[s] += 1
                if unanswered_every and requests[s] % unanswered_every == 0:
                    continue
                arrivals += 1
                reply = icmp_message(ECHO_REPLY, icmp[4:])
                heapq.heappush(due, (now + delay, arrivals, s, reply, requester))
        now = time.monotonic()
        while due and due[0][0] <= now:
            _, _, s, reply, requester = heapq.heappop(due)
            s.sendto(reply, (requester, 0))


def round_trips(s, ident, address):
    """Milliseconds of each of the probe's echoes to the address that came back."""
    sent = {}
    back = {}
    for sequence in range(1, PROBES + 1):
        sent[sequence] = time.monotonic()
        s.sendto(icmp_message(ECHO_REQUEST, struct.pack("!HH", ident, sequence) + b"late echo probe"), (address, 0))
        time.sleep(PROBE_GAP_S)
    give_up = time.monotonic() + PROBE_WAIT_S
    while len(back) < PROBES and time.monotonic() < give_up:
        if not select.select([s], [], [], give_up - time.monotonic())[0]:
            break
        packet, (source, _) = s.recvfrom(65535)
        arrived = time.monotonic()
        icmp = icmp_of(packet)
        if source != address or len(icmp) < 8 or icmp[0] != ECHO_REPLY:
            continue
        their_ident, sequence = struct.unpack("!HH", icmp[4:8])
        if their_ident == ident and sequence in sent and sequence not in back:
            back[sequence] = (arrived - sent[sequence]) * 1000.0
    return list(back.values())


def probe(delay_ms, addresses):
    s = raw_socket()
    ident = os.getpid() & 0xFFFF
    shortest, longest = None, None
    for address in addresses:
        trips = round_trips(s, ident, address)
        if len(trips) != PROBES or min(trips) < delay_ms or max(trips) >= delay_ms + 20:
            print("test host %s: %d of %d echoes answered, round trips %s ms (want %d..%d)"
                  % (address, len(trips), PROBES, " ".join("%.1f" % t for t in trips), delay_ms, delay_ms + 20),
                  file=sys.stderr)
            return 1
        shortest = min(trips) if shortest is None else min(shortest, min(trips))
        longest = max(trips) if longest is None else max(longest, max(trips))
    print("test hosts %s..%s: %d echoes each, %d ms apart, round trip %.1f..%.1f ms"
          % (addresses[0], addresses[-1], PROBES, PROBE_GAP_S * 1000, shortest, longest))
    return 0


def main():
    command, _, every = sys.argv[1].partition("/") if len(sys.argv) > 1 else ("", "", "")
    if len(sys.argv) < 4 or command not in ("answer", "probe") or (every and not every.isdigit()):
        print(__doc__, file=sys.stderr)
        return 2
    delay_ms = int(sys.argv[2])
    addresses = sys.argv[3:]
    if command == "answer":
        answer(delay_ms, addresses, int(every or 0))
        return 0
    return probe(delay_ms, addresses)


if __name__ == "__main__":
    sys.exit(main())
