#pragma once
// A server of the test's own on a free loopback port: it accepts
// connections one after another (one unless told) and serves each with the
// given session on a thread.
#include <winsock2.h>

#include <functional>
#include <thread>

#include "platform/socket_win.h"

namespace vigilor::test {

class LoopbackServer {
public:
    using Session = std::function<void(SOCKET client)>;

    explicit LoopbackServer(Session session, int connections = 1)
        : session_(std::move(session)), connections_(connections) {
        listener_.Reset(socket(AF_INET, SOCK_STREAM, IPPROTO_TCP));
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        bind(listener_.Get(), reinterpret_cast<sockaddr*>(&address), sizeof address);
        listen(listener_.Get(), 1);
        int size = sizeof address;
        getsockname(listener_.Get(), reinterpret_cast<sockaddr*>(&address), &size);
        port_ = ntohs(address.sin_port);
        thread_ = std::thread([this] { Serve(); });
    }
    ~LoopbackServer() { Stop(); }
    LoopbackServer(const LoopbackServer&) = delete;
    LoopbackServer& operator=(const LoopbackServer&) = delete;

    int Port() const { return port_; }
    // Waits until the sessions have ended.
    void Join() {
        if (thread_.joinable()) thread_.join();
    }
    // Accepts no more connections and waits for the one being served.
    void Stop() {
        listener_.Reset();
        Join();
    }

private:
    void Serve() {
        for (int n = 0; n < connections_; ++n) {
            SocketHandle client(accept(listener_.Get(), nullptr, nullptr));
            if (!client) return;
            // Nothing here waits long: a client that stops talking or
            // reading ends the session.
            const DWORD limit = 10000;
            setsockopt(client.Get(), SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<const char*>(&limit), sizeof limit);
            setsockopt(client.Get(), SOL_SOCKET, SO_SNDTIMEO, reinterpret_cast<const char*>(&limit), sizeof limit);
            session_(client.Get());
        }
    }

    Session session_;
    int connections_;
    WinsockSession winsock_{MAKEWORD(2, 2)};
    SocketHandle listener_;
    int port_ = 0;
    std::thread thread_;
};

}  // namespace vigilor::test
