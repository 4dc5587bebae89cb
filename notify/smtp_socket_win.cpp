#include "notify/smtp_socket_win.h"

#include <ws2tcpip.h>

#include <iterator>

#include "net/host_lookup_win.h"
#include "platform/handles_win.h"
#include "platform/app_error.h"
#include "platform/message_pump_win.h"
#include "platform/wide_win.h"

namespace vigilor {

namespace {

WaitOutcome FromPump(PumpWait wait) {
    switch (wait) {
        case PumpWait::Signaled: return WaitOutcome::Done;
        case PumpWait::TimedOut: return WaitOutcome::TimedOut;
        case PumpWait::Quit: break;
    }
    return WaitOutcome::Canceled;
}

DWORD Milliseconds(int timeoutMs) { return timeoutMs > 0 ? static_cast<DWORD>(timeoutMs) : 0; }

ULONGLONG DeadlineAfter(int timeoutMs) { return GetTickCount64() + Milliseconds(timeoutMs); }

}  // namespace

WinsockSmtpSocket::WinsockSmtpSocket() : event_(WSACreateEvent()) {}

WaitOutcome WinsockSmtpSocket::LookupHost(const std::string& host, int timeoutMs, std::string& address) {
    // The event is shared with the worker, which may outlive this wait.
    auto done = std::make_shared<KernelHandle>(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    if (!*done) return WaitOutcome::Failed;
    HostLookupRequest request(host, [done] { SetEvent(done->Get()); });
    const WaitOutcome outcome = FromPump(WaitPumpingMessages(done->Get(), nullptr, Milliseconds(timeoutMs)));
    if (outcome != WaitOutcome::Done) return outcome;
    const HostLookupOutcome result = request.Outcome();
    if (result.error == WSAEINTR) return WaitOutcome::Canceled;
    if (result.error != 0) return WaitOutcome::Failed;
    address = result.address;
    return WaitOutcome::Done;
}

WaitOutcome WinsockSmtpSocket::Connect(const std::string& address, int port, int timeoutMs) {
    Close();
    if (!session_.Ok() || !event_) return WaitOutcome::Failed;
    sockaddr_in target{};
    target.sin_family = AF_INET;
    target.sin_port = htons(static_cast<u_short>(port));
    if (inet_pton(AF_INET, address.c_str(), &target.sin_addr) != 1 || port <= 0 || port > 65535)
        return WaitOutcome::Failed;
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
    WaitOutcome outcome = WaitFor(FD_CONNECT, DeadlineAfter(timeoutMs), &error);
    if (outcome == WaitOutcome::Done && error != 0)
        outcome = error == WSAETIMEDOUT ? WaitOutcome::TimedOut : WaitOutcome::Failed;
    if (outcome != WaitOutcome::Done) Close();
    return outcome;
}

bool WinsockSmtpSocket::SendRaw(const std::string& bytes, int timeoutMs) {
    // One deadline for all of the bytes: a peer that takes them slowly
    // cannot stretch the send.
    const ULONGLONG deadline = DeadlineAfter(timeoutMs);
    size_t sent = 0;
    while (socket_ && sent < bytes.size()) {
        const int chunk = static_cast<int>(std::min<size_t>(bytes.size() - sent, 64 * 1024));
        const int n = send(socket_.Get(), bytes.data() + sent, chunk, 0);
        if (n > 0) {
            sent += static_cast<size_t>(n);
            continue;
        }
        if (WSAGetLastError() != WSAEWOULDBLOCK) return false;
        int error = 0;
        if (WaitFor(FD_WRITE | FD_CLOSE, deadline, &error) != WaitOutcome::Done || error != 0) return false;
    }
    return sent == bytes.size();
}

WaitOutcome WinsockSmtpSocket::ReceiveRaw(std::string& into, int timeoutMs) {
    const ULONGLONG deadline = DeadlineAfter(timeoutMs);
    for (;;) {
        if (!socket_) return WaitOutcome::Failed;
        char buffer[4096];
        const int n = recv(socket_.Get(), buffer, sizeof buffer, 0);
        if (n > 0) {
            into.append(buffer, static_cast<size_t>(n));
            return WaitOutcome::Done;
        }
        if (n == 0 || WSAGetLastError() != WSAEWOULDBLOCK) return WaitOutcome::Failed;
        int error = 0;
        const WaitOutcome outcome = WaitFor(FD_READ | FD_CLOSE, deadline, &error);
        if (outcome != WaitOutcome::Done) return outcome;
        // After FD_CLOSE the next recv tells data from the end.
    }
}

bool WinsockSmtpSocket::Send(const std::string& bytes, int timeoutMs) {
    return tls_ ? tls_->Send(bytes, timeoutMs) : SendRaw(bytes, timeoutMs);
}

WaitOutcome WinsockSmtpSocket::Receive(std::string& into, int timeoutMs) {
    return tls_ ? tls_->Receive(into, timeoutMs) : ReceiveRaw(into, timeoutMs);
}

void WinsockSmtpSocket::StartTls(const std::string& serverName, int timeoutMs) {
    if (!socket_) throw AppError("Not Connected");
    tls_ = std::make_unique<TlsSession>(static_cast<RawStream&>(*this), serverName, timeoutMs);
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

WaitOutcome WinsockSmtpSocket::WaitFor(long events, ULONGLONG deadline, int* error) {
    for (;;) {
        const ULONGLONG now = GetTickCount64();
        if (now >= deadline) return WaitOutcome::TimedOut;
        const WaitOutcome outcome =
            FromPump(WaitPumpingMessages(event_.Get(), nullptr, static_cast<DWORD>(deadline - now)));
        if (outcome != WaitOutcome::Done) return outcome;
        // A handler run during the wait may have closed the connection.
        if (!socket_) return WaitOutcome::Failed;
        WSANETWORKEVENTS happened{};
        if (WSAEnumNetworkEvents(socket_.Get(), event_.Get(), &happened) != 0) return WaitOutcome::Failed;
        const long seen = happened.lNetworkEvents & events;
        if (!seen) continue;
        *error = 0;
        for (int bit = 0; bit < FD_MAX_EVENTS; ++bit)
            if ((seen & (1L << bit)) && happened.iErrorCode[bit] != 0) *error = happened.iErrorCode[bit];
        return WaitOutcome::Done;
    }
}

std::unique_ptr<TNMSMTP> MakeSmtpClient() { return std::make_unique<TNMSMTP>(std::make_unique<WinsockSmtpSocket>()); }

}  // namespace vigilor
