#include "platform/socket_wait_win.h"

#include <ws2tcpip.h>

#include <algorithm>

#include "platform/message_pump_win.h"

namespace vigilor {

bool IPv4Endpoint(const std::string& address, int port, sockaddr_in& endpoint) {
    endpoint = {};
    endpoint.sin_family = AF_INET;
    endpoint.sin_port = htons(static_cast<u_short>(port));
    return port > 0 && port <= 65535 && inet_pton(AF_INET, address.c_str(), &endpoint.sin_addr) == 1;
}

ULONGLONG DeadlineAfter(int timeoutMs) {
    return GetTickCount64() + (timeoutMs > 0 ? static_cast<ULONGLONG>(timeoutMs) : 0);
}

SocketWait WaitForSocket(const WatchedSocket& s, long events, ULONGLONG deadline, int* error) {
    for (;;) {
        const ULONGLONG now = GetTickCount64();
        if (now >= deadline) return SocketWait::TimedOut;
        switch (WaitPumpingMessages(s.event, s.stop, static_cast<DWORD>(deadline - now))) {
            case PumpWait::Signaled: break;
            case PumpWait::TimedOut: return SocketWait::TimedOut;
            case PumpWait::Quit:
            case PumpWait::Canceled: return SocketWait::Canceled;
        }
        // Also when the event came: a handler run during the wait may have
        // ended it (and closed the socket).
        if (s.stop && s.stop()) return SocketWait::Canceled;
        WSANETWORKEVENTS happened{};
        if (WSAEnumNetworkEvents(s.socket, s.event, &happened) != 0) return SocketWait::Failed;
        const long seen = happened.lNetworkEvents & events;
        if (!seen) continue;
        *error = 0;
        for (int bit = 0; bit < FD_MAX_EVENTS; ++bit)
            if ((seen & (1L << bit)) && happened.iErrorCode[bit] != 0) *error = happened.iErrorCode[bit];
        return SocketWait::Done;
    }
}

bool SendAll(const WatchedSocket& s, const std::string& bytes, ULONGLONG deadline) {
    // One deadline for all of the bytes: a peer that takes them slowly
    // cannot stretch the send.
    for (size_t sent = 0; sent < bytes.size();) {
        const int chunk = static_cast<int>(std::min<size_t>(bytes.size() - sent, 64 * 1024));
        const int n = send(s.socket, bytes.data() + sent, chunk, 0);
        if (n > 0) {
            sent += static_cast<size_t>(n);
            continue;
        }
        if (WSAGetLastError() != WSAEWOULDBLOCK) return false;
        int error = 0;
        if (WaitForSocket(s, FD_WRITE | FD_CLOSE, deadline, &error) != SocketWait::Done || error != 0) return false;
    }
    return true;
}

SocketWait ReceiveSome(const WatchedSocket& s, std::string& into, ULONGLONG deadline) {
    for (;;) {
        char buffer[16 * 1024];
        const int n = recv(s.socket, buffer, sizeof buffer, 0);
        if (n > 0) {
            into.append(buffer, static_cast<size_t>(n));
            return SocketWait::Done;
        }
        if (n == 0) return SocketWait::Closed;
        if (WSAGetLastError() != WSAEWOULDBLOCK) return SocketWait::Failed;
        int error = 0;
        const SocketWait wait = WaitForSocket(s, FD_READ | FD_CLOSE, deadline, &error);
        if (wait != SocketWait::Done) return wait;
        // After FD_CLOSE the next recv tells the last data from the end.
    }
}

}  // namespace vigilor
