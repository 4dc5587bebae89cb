#pragma once
// TLS over a connection that is already open, through the platform's
// security package (SChannel), with the server's certificate checked by
// the program itself.
#define SECURITY_WIN32
// For the newer credentials record (SCH_CREDENTIALS) and its types.
#define SCHANNEL_USE_BLACKLISTS
#include <windows.h>
#include <subauth.h>
#include <security.h>
#include <schannel.h>

#include <string>

#include "notify/smtp_client.h"
#include "platform/unique_handle.h"

namespace vigilor {

// The open connection the records travel over.
class RawStream {
public:
    virtual ~RawStream() = default;
    virtual bool SendRaw(const std::string& bytes, int timeoutMs) = 0;
    virtual WaitOutcome ReceiveRaw(std::string& into, int timeoutMs) = 0;
};

// A credentials or context handle of the security package.
struct SecurityHandle {
    SecHandle value{};
    bool held = false;
    friend bool operator==(const SecurityHandle& a, const SecurityHandle& b) {
        return a.held == b.held &&
               (!a.held || (a.value.dwLower == b.value.dwLower && a.value.dwUpper == b.value.dwUpper));
    }
};

struct CredentialsTraits {
    using Handle = SecurityHandle;
    static Handle Empty() { return {}; }
    static void Close(Handle h) { FreeCredentialsHandle(&h.value); }
};
using Credentials = UniqueHandle<CredentialsTraits>;

struct SecurityContextTraits {
    using Handle = SecurityHandle;
    static Handle Empty() { return {}; }
    static void Close(Handle h) { DeleteSecurityContext(&h.value); }
};
using SecurityContext = UniqueHandle<SecurityContextTraits>;

class TlsSession {
public:
    // The handshake with the server serverName over stream, then the check
    // of its certificate for that name, all within timeoutMs. Throws
    // AppError with the reason.
    TlsSession(RawStream& stream, const std::string& serverName, int timeoutMs);

    // As SmtpSocket's Send and Receive, in plain text.
    bool Send(const std::string& plain, int timeoutMs);
    WaitOutcome Receive(std::string& into, int timeoutMs);

private:
    // Feeds the server's handshake records (starting with those in
    // incoming, after one more read with readFirst) to the context until it
    // is complete; what follows them is kept for Receive.
    void Negotiate(std::string incoming, bool readFirst, ULONGLONG deadline);
    // One more read of the server's bytes for the handshake, counted in
    // received.
    void ReadForHandshake(std::string& incoming, size_t& received, ULONGLONG deadline);

    RawStream& stream_;
    std::wstring serverName_;
    Credentials credentials_;
    SecurityContext context_;
    SecPkgContext_StreamSizes sizes_{};
    // The server's bytes received but not yet decrypted.
    std::string encrypted_;
    bool closedByServer_ = false;
};

}  // namespace vigilor
