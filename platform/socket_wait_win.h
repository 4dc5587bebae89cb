#pragma once
// Non-blocking socket I/O that keeps the thread's windows alive: every wait
// dispatches messages, is bounded by a deadline, and can be stopped.
#include <winsock2.h>

#include <functional>
#include <string>

namespace vigilor {

enum class SocketWait { Done, Closed, TimedOut, Canceled, Failed };

// The endpoint of a dotted IPv4 address and a port from 1 to 65535; false
// for anything else.
bool IPv4Endpoint(const std::string& address, int port, sockaddr_in& endpoint);

// GetTickCount64 time timeoutMs from now (now, for a negative one).
ULONGLONG DeadlineAfter(int timeoutMs);

// A socket with its event (WSAEventSelect) and what may end its waits early.
struct WatchedSocket {
    SOCKET socket;
    WSAEVENT event;
    // Asked while messages are dispatched; true stops the wait (Canceled).
    std::function<bool()> stop;
};

// Until one of the network events has happened (its error code, 0 for
// none, in *error). A WM_QUIT cancels the wait and is put back.
SocketWait WaitForSocket(const WatchedSocket& s, long events, ULONGLONG deadline, int* error);

// All of the bytes by the deadline; false when the connection fails, the
// time runs out or the wait is stopped.
bool SendAll(const WatchedSocket& s, const std::string& bytes, ULONGLONG deadline);

// Appends what has arrived, waiting for at least one byte; Closed when the
// peer has ended the connection.
SocketWait ReceiveSome(const WatchedSocket& s, std::string& into, ULONGLONG deadline);

}  // namespace vigilor
