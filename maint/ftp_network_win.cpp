#include "maint/ftp_network_win.h"

#include <ws2tcpip.h>

#include "net/host_lookup_win.h"
#include "platform/handles_win.h"
#include "platform/socket_wait_win.h"
#include "platform/socket_win.h"

namespace vigilor {

namespace {

// Shared by the network and every socket it made: Cancel ends their waits.
struct CancelFlag {
    bool raised = false;
};

FtpWait FromSocket(SocketWait wait) {
    switch (wait) {
        case SocketWait::Done: return FtpWait::Done;
        case SocketWait::Closed: return FtpWait::Closed;
        case SocketWait::TimedOut: return FtpWait::TimedOut;
        case SocketWait::Canceled: return FtpWait::Canceled;
        case SocketWait::Failed: break;
    }
    return FtpWait::Failed;
}

WatchedSocket Watched(const SocketHandle& s, const SocketEvent& event, std::shared_ptr<const CancelFlag> cancel) {
    return {s.Get(), event.Get(), [cancel = std::move(cancel)] { return cancel->raised; }};
}

std::string AddressText(const sockaddr_in& address) {
    char text[INET_ADDRSTRLEN] = {};
    inet_ntop(AF_INET, &address.sin_addr, text, sizeof text);
    return text;
}

class WinsockConnection : public FtpConnection {
public:
    WinsockConnection(SocketHandle socket, SocketEvent event, std::shared_ptr<const CancelFlag> cancel)
        : socket_(std::move(socket)), event_(std::move(event)), cancel_(std::move(cancel)) {}

    bool Send(const std::string& bytes, int timeoutMs) override {
        return SendAll(Watched(socket_, event_, cancel_), bytes, DeadlineAfter(timeoutMs));
    }

    FtpWait Receive(std::string& into, int timeoutMs) override {
        return FromSocket(ReceiveSome(Watched(socket_, event_, cancel_), into, DeadlineAfter(timeoutMs)));
    }

    std::string LocalAddress() const override {
        sockaddr_in address{};
        int size = sizeof address;
        if (getsockname(socket_.Get(), reinterpret_cast<sockaddr*>(&address), &size) != 0) return {};
        return AddressText(address);
    }

    std::string PeerAddress() const override {
        sockaddr_in address{};
        int size = sizeof address;
        if (getpeername(socket_.Get(), reinterpret_cast<sockaddr*>(&address), &size) != 0) return {};
        return AddressText(address);
    }

private:
    SocketHandle socket_;
    SocketEvent event_;
    std::shared_ptr<const CancelFlag> cancel_;
};

// A socket of its own event, non-blocking, watching the given events.
bool Watch(const SocketHandle& s, SocketEvent& event, long events) {
    event = SocketEvent(WSACreateEvent());
    return event && WSAEventSelect(s.Get(), event.Get(), events) == 0;
}

constexpr long kStreamEvents = FD_READ | FD_WRITE | FD_CLOSE;

class WinsockListener : public FtpListener {
public:
    WinsockListener(SocketHandle socket, SocketEvent event, int port, std::shared_ptr<const CancelFlag> cancel)
        : socket_(std::move(socket)), event_(std::move(event)), port_(port), cancel_(std::move(cancel)) {}

    int Port() const override { return port_; }

    FtpWait Accept(int timeoutMs, std::unique_ptr<FtpConnection>& connection) override {
        const ULONGLONG deadline = DeadlineAfter(timeoutMs);
        for (;;) {
            SocketHandle accepted(accept(socket_.Get(), nullptr, nullptr));
            if (accepted) {
                // The accepted socket inherits the listener's event; it gets its own.
                SocketEvent event;
                if (!Watch(accepted, event, kStreamEvents)) return FtpWait::Failed;
                connection = std::make_unique<WinsockConnection>(std::move(accepted), std::move(event), cancel_);
                return FtpWait::Done;
            }
            if (WSAGetLastError() != WSAEWOULDBLOCK) return FtpWait::Failed;
            int error = 0;
            const FtpWait wait =
                FromSocket(WaitForSocket(Watched(socket_, event_, cancel_), FD_ACCEPT, deadline, &error));
            if (wait != FtpWait::Done) return wait;
        }
    }

private:
    SocketHandle socket_;
    SocketEvent event_;
    int port_;
    std::shared_ptr<const CancelFlag> cancel_;
};

class WinsockFtpNetwork : public FtpNetwork {
public:
    FtpWait LookupHost(const std::string& host, int timeoutMs, std::string& address) override {
        HostLookupOutcome outcome;
        const FtpWait wait =
            FromSocket(AwaitHostLookup(host, DeadlineAfter(timeoutMs), [cancel = cancel_] { return cancel->raised; },
                                       outcome));
        if (wait != FtpWait::Done) return wait;
        if (outcome.error != 0) return FtpWait::Failed;
        address = outcome.address;
        return FtpWait::Done;
    }

    FtpWait Connect(const std::string& address, int port, int timeoutMs,
                    std::unique_ptr<FtpConnection>& connection) override {
        if (!session_.Ok()) return FtpWait::Failed;
        sockaddr_in target;
        if (!IPv4Endpoint(address, port, target)) return FtpWait::Failed;
        SocketHandle s(socket(AF_INET, SOCK_STREAM, IPPROTO_TCP));
        SocketEvent event;
        if (!s || !Watch(s, event, FD_CONNECT | kStreamEvents)) return FtpWait::Failed;
        if (connect(s.Get(), reinterpret_cast<const sockaddr*>(&target), sizeof target) != 0 &&
            WSAGetLastError() != WSAEWOULDBLOCK)
            return FtpWait::Failed;
        int error = 0;
        const FtpWait wait =
            FromSocket(WaitForSocket(Watched(s, event, cancel_), FD_CONNECT, DeadlineAfter(timeoutMs), &error));
        if (wait != FtpWait::Done) return wait;
        if (error != 0) return error == WSAETIMEDOUT ? FtpWait::TimedOut : FtpWait::Failed;
        connection = std::make_unique<WinsockConnection>(std::move(s), std::move(event), cancel_);
        return FtpWait::Done;
    }

    std::unique_ptr<FtpListener> Listen(const std::string& localAddress) override {
        if (!session_.Ok()) return nullptr;
        sockaddr_in address{};
        address.sin_family = AF_INET;
        if (inet_pton(AF_INET, localAddress.c_str(), &address.sin_addr) != 1) return nullptr;
        SocketHandle s(socket(AF_INET, SOCK_STREAM, IPPROTO_TCP));
        SocketEvent event;
        if (!s || !Watch(s, event, FD_ACCEPT)) return nullptr;
        int size = sizeof address;
        if (bind(s.Get(), reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0 ||
            listen(s.Get(), 1) != 0 || getsockname(s.Get(), reinterpret_cast<sockaddr*>(&address), &size) != 0)
            return nullptr;
        return std::make_unique<WinsockListener>(std::move(s), std::move(event), ntohs(address.sin_port), cancel_);
    }

    void Cancel() override { cancel_->raised = true; }
    void Rearm() override { cancel_->raised = false; }
    long long ClockMs() override { return static_cast<long long>(GetTickCount64()); }

private:
    WinsockSession session_{MAKEWORD(2, 2)};
    std::shared_ptr<CancelFlag> cancel_ = std::make_shared<CancelFlag>();
};

}  // namespace

std::unique_ptr<FtpNetwork> MakeWinsockFtpNetwork() { return std::make_unique<WinsockFtpNetwork>(); }

std::unique_ptr<TNMFTP> MakeFtpClient() { return std::make_unique<TNMFTP>(MakeWinsockFtpNetwork()); }

}  // namespace vigilor
