#include "notify/smtp_socket_win.h"

#include <ws2tcpip.h>

#include <iterator>

#include "net/host_lookup_win.h"
#include "platform/handles_win.h"
#include "platform/app_error.h"
#include "platform/socket_wait_win.h"
#include "platform/wide_win.h"

namespace vigilor {

namespace {

WaitOutcome FromSocket(SocketWait wait) {
    switch (wait) {
        case SocketWait::Done: return WaitOutcome::Done;
        case SocketWait::TimedOut: return WaitOutcome::TimedOut;
        case SocketWait::Canceled: return WaitOutcome::Canceled;
        case SocketWait::Closed:
        case SocketWait::Failed: break;
    }
    return WaitOutcome::Failed;
}

}  // namespace

WinsockSmtpSocket::WinsockSmtpSocket() : event_(WSACreateEvent()) {}

WaitOutcome WinsockSmtpSocket::LookupHost(const std::string& host, int timeoutMs, std::string& address) {
    HostLookupOutcome result;
    const SocketWait wait = AwaitHostLookup(host, DeadlineAfter(timeoutMs), nullptr, result);
    if (wait != SocketWait::Done) return FromSocket(wait);
    if (result.error == WSAEINTR) return WaitOutcome::Canceled;
    if (result.error != 0) return WaitOutcome::Failed;
    address = result.address;
    return WaitOutcome::Done;
}

WaitOutcome WinsockSmtpSocket::Connect(const std::string& address, int port, int timeoutMs) {
    Close();
    if (!session_.Ok() || !event_) return WaitOutcome::Failed;
    sockaddr_in target;
    if (!IPv4Endpoint(address, port, target)) return WaitOutcome::Failed;
    SocketHandle s(socket(AF_INET, SOCK_STREAM, IPPROTO_TCP));
    if (!s) return WaitOutcome::Failed;
    WSAResetEvent(event_.Get());
    if (WSAEventSelect(s.Get(), event_.Get(), FD_CONNECT | FD_READ | FD_WRITE | FD_CLOSE) != 0)
        return WaitOutcome::Failed;
    socket_ = std::move(s);
    if (connect(socket_.Get(), reinterpret_cast<const sockaddr*>(&target), sizeof target) != 0 &&
        WSAGetLastError() != WSAEWOULDBLOCK) {
        Close();
        return WaitOutcome::Failed;
    }
    int error = 0;
    WaitOutcome outcome = Outcome(WaitForSocket(Watched(), FD_CONNECT, DeadlineAfter(timeoutMs), &error));
    if (outcome == WaitOutcome::Done && error != 0)
        outcome = error == WSAETIMEDOUT ? WaitOutcome::TimedOut : WaitOutcome::Failed;
    if (outcome != WaitOutcome::Done) Close();
    return outcome;
}

bool WinsockSmtpSocket::SendRaw(const std::string& bytes, int timeoutMs) {
    return socket_ && SendAll(Watched(), bytes, DeadlineAfter(timeoutMs));
}

WaitOutcome WinsockSmtpSocket::ReceiveRaw(std::string& into, int timeoutMs) {
    if (!socket_) return WaitOutcome::Failed;
    return Outcome(ReceiveSome(Watched(), into, DeadlineAfter(timeoutMs)));
}

WatchedSocket WinsockSmtpSocket::Watched() {
    // A handler run during a wait may close the connection: that ends it.
    return {socket_.Get(), event_.Get(), [this] { return !socket_; }};
}

WaitOutcome WinsockSmtpSocket::Outcome(SocketWait wait) const {
    // Stopped because the connection was closed meanwhile: it failed.
    if (wait == SocketWait::Canceled && !socket_) return WaitOutcome::Failed;
    return FromSocket(wait);
}

// The session is held for the call: a close during its wait must not take
// it away under it.
bool WinsockSmtpSocket::Send(const std::string& bytes, int timeoutMs) {
    const std::shared_ptr<TlsSession> tls = tls_;
    return tls ? tls->Send(bytes, timeoutMs) : SendRaw(bytes, timeoutMs);
}

WaitOutcome WinsockSmtpSocket::Receive(std::string& into, int timeoutMs) {
    const std::shared_ptr<TlsSession> tls = tls_;
    return tls ? tls->Receive(into, timeoutMs) : ReceiveRaw(into, timeoutMs);
}

void WinsockSmtpSocket::StartTls(const std::string& serverName, int timeoutMs) {
    if (!socket_) throw AppError("Not Connected");
    tls_ = std::make_shared<TlsSession>(static_cast<RawStream&>(*this), serverName, timeoutMs);
}

std::string WinsockSmtpSocket::ClientDomain() {
    wchar_t name[256];
    DWORD size = static_cast<DWORD>(std::size(name));
    if (GetComputerNameExW(ComputerNameDnsFullyQualified, name, &size) && size > 0) return Narrow({name, size});
    // No name: the address of our end of the connection, as a literal.
    sockaddr_in local{};
    int length = sizeof local;
    char text[INET_ADDRSTRLEN] = "";
    if (socket_ && getsockname(socket_.Get(), reinterpret_cast<sockaddr*>(&local), &length) == 0 &&
        inet_ntop(AF_INET, &local.sin_addr, text, sizeof text))
        return "[" + std::string(text) + "]";
    return "[127.0.0.1]";
}

void WinsockSmtpSocket::Close() {
    tls_.reset();
    socket_.Reset();
}

std::unique_ptr<TNMSMTP> MakeSmtpClient() { return std::make_unique<TNMSMTP>(std::make_unique<WinsockSmtpSocket>()); }

}  // namespace vigilor
