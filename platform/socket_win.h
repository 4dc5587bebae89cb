#pragma once
// Owners for Winsock: the library session, sockets and socket events.
#include <winsock2.h>

#include "platform/unique_handle.h"

namespace vigilor {

struct SocketTraits {
    using Handle = SOCKET;
    static Handle Empty() { return INVALID_SOCKET; }
    static void Close(Handle h) { closesocket(h); }
};
using SocketHandle = UniqueHandle<SocketTraits>;

struct SocketEventTraits {
    using Handle = WSAEVENT;
    static Handle Empty() { return WSA_INVALID_EVENT; }
    static void Close(Handle h) { WSACloseEvent(h); }
};
using SocketEvent = UniqueHandle<SocketEventTraits>;

// One reference on the socket library for the object's life.
class WinsockSession {
public:
    explicit WinsockSession(WORD version) : ok_(WSAStartup(version, &data_) == 0) {}
    ~WinsockSession() {
        if (ok_) WSACleanup();
    }
    WinsockSession(const WinsockSession&) = delete;
    WinsockSession& operator=(const WinsockSession&) = delete;
    bool Ok() const { return ok_; }

private:
    WSADATA data_{};
    bool ok_;
};

}  // namespace vigilor
