#pragma once
// The SMTP client's socket over Winsock. Waits dispatch the thread's
// messages, so the window stays responsive during a delivery.
#include <memory>

#include "notify/smtp_client.h"
#include "notify/tls_session_win.h"
#include "platform/socket_wait_win.h"
#include "platform/socket_win.h"

namespace vigilor {

class WinsockSmtpSocket : public SmtpSocket, private RawStream {
public:
    WinsockSmtpSocket();

    WaitOutcome LookupHost(const std::string& host, int timeoutMs, std::string& address) override;
    WaitOutcome Connect(const std::string& address, int port, int timeoutMs) override;
    bool IsOpen() const override { return static_cast<bool>(socket_); }
    bool Send(const std::string& bytes, int timeoutMs) override;
    WaitOutcome Receive(std::string& into, int timeoutMs) override;
    void Close() override;
    // After it, Send and Receive go through TLS until Close.
    void StartTls(const std::string& serverName, int timeoutMs) override;
    std::string ClientDomain() override;
    long long ClockMs() override { return static_cast<long long>(GetTickCount64()); }

private:
    bool SendRaw(const std::string& bytes, int timeoutMs) override;
    WaitOutcome ReceiveRaw(std::string& into, int timeoutMs) override;
    WatchedSocket Watched();
    WaitOutcome Outcome(SocketWait wait) const;

    WinsockSession session_{MAKEWORD(2, 2)};
    SocketHandle socket_;
    SocketEvent event_;
    std::shared_ptr<TlsSession> tls_;
};

// A client with a real socket, as the main window and the settings dialog use.
std::unique_ptr<TNMSMTP> MakeSmtpClient();

}  // namespace vigilor
