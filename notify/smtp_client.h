#pragma once
// TNMSMTP: one plain-text message at a time to one SMTP server, over a
// socket given from outside. Every wait is bounded by TimeOut, and every
// reply as a whole in time, bytes and lines.
#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <vector>
#include <string>

#include "notify/smtp_message.h"
#include "notify/smtp_security.h"

#ifdef _WIN32
// The message record is called PostMessage; the Win32 macro of that name
// (this program calls PostMessageW by its own name) is taken away for good:
// once <windows.h> has been read its include guard keeps it from coming back.
#include <windows.h>
#undef PostMessage
#endif

namespace vigilor {

enum class WaitOutcome { Done, Failed, TimedOut, Canceled };

// The network as the client uses it. The Windows adapter keeps the user
// interface responsive while it waits.
class SmtpSocket {
public:
    virtual ~SmtpSocket() = default;
    // Host name to dotted IPv4 address (names only; the client handles
    // dotted addresses itself).
    virtual WaitOutcome LookupHost(const std::string& host, int timeoutMs, std::string& address) = 0;
    virtual WaitOutcome Connect(const std::string& address, int port, int timeoutMs) = 0;
    virtual bool IsOpen() const = 0;
    // All of the bytes, or false when the connection fails or the time runs out.
    virtual bool Send(const std::string& bytes, int timeoutMs) = 0;
    // Appends what has arrived, waiting for at least one byte. Failed means
    // the connection was closed or broken.
    virtual WaitOutcome Receive(std::string& into, int timeoutMs) = 0;
    virtual void Close() = 0;
    // Turns the open connection into a TLS one with the server serverName
    // and checks the server's certificate for that name; from then on Send
    // and Receive carry plain text through it. Throws AppError with the
    // reason; the connection is then of no further use.
    virtual void StartTls(const std::string& serverName, int timeoutMs) = 0;
    // The name this computer gives itself after EHLO.
    virtual std::string ClientDomain() = 0;
    // A steady clock in milliseconds, the one the waits above pass on.
    virtual long long ClockMs() {
        using namespace std::chrono;
        return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
    }
};

class TNMSMTP {
public:
    static constexpr int kDefaultTimeOut = 30000;
    static constexpr size_t kMaxReplyLine = 4096;
    // A reply of more lines or bytes is no answer an honest server gives.
    static constexpr int kMaxReplyLines = 1000;
    static constexpr size_t kMaxReplyBytes = 64 * 1024;

    explicit TNMSMTP(std::unique_ptr<SmtpSocket> socket);

    std::string Host;
    int Port = 25;
    std::string UserID;
    // With None, the plain dialogue: HELO with UserID, no authentication.
    // Otherwise EHLO over TLS and, with a password, AUTH as UserID. A
    // choice that names no security refuses to connect.
    SmtpSecurityChoice Security;
    std::string Password;
    // Milliseconds for the look-up, the connect, each send and each reply
    // (all of its lines).
    int TimeOut = kDefaultTimeOut;
    TPostMessage PostMessage;

    std::function<void()> OnSuccess;
    std::function<void()> OnFailure;
    std::function<void()> OnConnectionFailed;
    std::function<void(bool& handled)> OnInvalidHost;
    std::function<void()> OnRecipientNotFound;
    std::function<void(bool& handled)> OnAuthenticationFailed;

    // Takes Host, Port, UserID, Security and Password as they are now: a
    // change while it waits (the window's handlers run meanwhile) does not
    // reach the connection.
    void SmtpConnect();
    // Any error leaves the client disconnected: after a refusal it quits,
    // after a broken connection it closes the socket.
    void SendPost();
    void SmtpQuit();

    bool Connected() const { return socket_->IsOpen(); }
    // The addresses of the last message's recipients that the server took,
    // and those it refused: a message can go out to its copies alone.
    const std::vector<std::string>& AcceptedRecipients() const { return accepted_; }
    const std::vector<std::string>& RefusedRecipients() const { return refused_; }
    const std::string& ReplyLine() const { return replyLine_; }
    int ReplyNumber() const { return replyNumber_; }

private:
    // What the connection was opened with.
    struct Session {
        std::string host;
        int port = 25;
        std::string userId;
        SmtpSecurity security = SmtpSecurity::None;
        std::string password;
    };

    std::string ResolveHost();
    void Dialogue();
    void SayHelo();
    void SayEhlo();
    void UpgradeToTls();
    void Authenticate();
    // One AUTH exchange with the mechanism offered; true when accepted.
    bool AuthenticateWith(const std::string& mechanisms);
    // The parameters of an extension in the last EHLO reply (after its
    // keyword, upper case); nothing when it is not offered.
    std::optional<std::string> Extension(const std::string& keyword) const;
    void Command(const std::string& text, bool multiLine);
    void ReadReply(bool multiLine);
    // One line of the reply due by the deadline, taken from its byte budget.
    std::string ReadLine(long long deadline, size_t& budget);
    void Transmit();
    void RaiseIfAtLeast(int limit);
    void Quit();
    void QuitQuietly();
    [[noreturn]] void QuitAndRaise(std::string error);

    std::unique_ptr<SmtpSocket> socket_;
    Session session_;
    std::string received_;
    std::string replyLine_;
    // Every line of the last reply, the last one being replyLine_.
    std::vector<std::string> replyLines_;
    int replyNumber_ = 0;
    bool busy_ = false;
    std::vector<std::string> accepted_;
    std::vector<std::string> refused_;
};

// The addresses joined by ", ".
std::string AddressList(const std::vector<std::string>& addresses);

// The leading decimal digits of a reply line (at most ten); 0 without any.
int ReplyNumberOf(const std::string& line);

}  // namespace vigilor
