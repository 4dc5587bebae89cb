#pragma once
// TNMFTP: logs on to an FTP server and fetches files, over a network given
// from outside. Every wait is bounded, and a transfer can be aborted by a
// handler that runs while the client waits.
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vigilor {

enum class FtpWait { Done, Closed, Failed, TimedOut, Canceled };

// One TCP connection.
class FtpConnection {
public:
    virtual ~FtpConnection() = default;
    // All of the bytes, or false when the connection fails or the time runs out.
    virtual bool Send(const std::string& bytes, int timeoutMs) = 0;
    // Appends what has arrived, waiting for at least one byte. Closed: the
    // other end finished in order and everything sent has been read.
    virtual FtpWait Receive(std::string& into, int timeoutMs) = 0;
    // Dotted IPv4 addresses of this end and of the other end.
    virtual std::string LocalAddress() const = 0;
    virtual std::string PeerAddress() const = 0;
};

// A listening socket for the server's data connection (active mode).
class FtpListener {
public:
    virtual ~FtpListener() = default;
    virtual int Port() const = 0;
    virtual FtpWait Accept(int timeoutMs, std::unique_ptr<FtpConnection>& connection) = 0;
};

// The network as the client uses it. The Windows adapter keeps the user
// interface responsive while it waits.
class FtpNetwork {
public:
    virtual ~FtpNetwork() = default;
    // Host name to dotted IPv4 address (names only; the client handles
    // dotted addresses itself).
    virtual FtpWait LookupHost(const std::string& host, int timeoutMs, std::string& address) = 0;
    virtual FtpWait Connect(const std::string& address, int port, int timeoutMs,
                            std::unique_ptr<FtpConnection>& connection) = 0;
    // Listens on the given local address and a port the system picks;
    // null when it cannot.
    virtual std::unique_ptr<FtpListener> Listen(const std::string& localAddress) = 0;
    // Ends the wait in progress, and every later one, with Canceled, until
    // Rearm.
    virtual void Cancel() = 0;
    virtual void Rearm() = 0;
    // A steady clock in milliseconds, the one the waits above pass on.
    virtual long long ClockMs() {
        using namespace std::chrono;
        return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
    }
};

// Where a download's bytes go.
class FtpSink {
public:
    virtual ~FtpSink() = default;
    // False when the bytes could not be stored.
    virtual bool Write(std::string_view bytes) = 0;
};

enum class FtpOperation { ChangeDir, Download };

struct FtpReply {
    int code = 0;
    std::string text;  // every line of the reply, joined by "\n"
};

class TNMFTP {
public:
    static constexpr int kDefaultTimeOut = 30000;
    static constexpr int kDefaultAcceptTimeOut = 10000;
    static constexpr size_t kMaxReplyLine = 4096;
    static constexpr size_t kMaxReplyText = 65536;
    // Numbers of the errors the client reports: the socket codes for a
    // time-out and a lost connection, 0 for a reply that breaks the protocol.
    static constexpr int kTimedOutError = 10060;
    static constexpr int kConnectionLostError = 10054;
    static constexpr int kProtocolError = 0;

    explicit TNMFTP(std::unique_ptr<FtpNetwork> network);
    ~TNMFTP();
    TNMFTP(const TNMFTP&) = delete;
    TNMFTP& operator=(const TNMFTP&) = delete;

    std::string Host;
    int Port = 21;
    std::string UserID;
    std::string Password;
    // A proxy that takes "USER user@host": its name (empty: none) and port.
    std::string Proxy;
    int ProxyPort = 0;
    // Milliseconds for the name look-up and every connect.
    int TimeOut = kDefaultTimeOut;
    // Milliseconds for each reply (all of its lines), for the server's data
    // connection in active mode, and for a transfer that receives nothing.
    int ReplyTimeOut = kDefaultTimeOut;
    int AcceptTimeOut = kDefaultAcceptTimeOut;
    int StallTimeOut = kDefaultTimeOut;

    std::function<void()> OnConnect;
    std::function<void()> OnDisconnect;
    std::function<void()> OnHostResolved;
    std::function<void()> OnInvalidHost;
    std::function<void()> OnConnectionFailed;
    std::function<void(int number, const std::string& text)> OnError;
    std::function<void()> OnTransactionStart;
    std::function<void()> OnTransactionStop;
    std::function<void()> OnPacketRecvd;
    std::function<void(FtpOperation)> OnSuccess;
    // Raised before the operation raises its error.
    std::function<void(FtpOperation)> OnFailure;
    std::function<void(FtpOperation)> OnUnSupportedFunction;

    // Opens the control connection and logs on. Raises on failure.
    void Connect();
    // Sends QUIT and closes. While another operation waits, that one is
    // ended instead and closes the connection itself.
    void Disconnect();
    void ChangeDir(const std::string& directory);
    // Fetches the remote file into the sink, in binary, its size asked
    // first for a server that does not announce it: active mode first,
    // once more in passive mode when the server refuses PORT or its data
    // connection does not come (on a new control connection when the
    // server does not even answer the retrieve in time). Raises on failure,
    // when aborted, and when the size received is not the size announced.
    void Download(const std::string& remote, FtpSink& sink);
    // Ends the transfer in progress; nothing otherwise.
    void Abort();

    bool Connected() const;
    // An operation is running (and waiting, when this is asked by a
    // handler run during the wait).
    bool Busy() const { return busy_; }
    std::uint64_t BytesRecvd() const { return bytesRecvd_; }
    std::uint64_t BytesTotal() const { return bytesTotal_; }
    const FtpReply& LastReply() const { return reply_; }

private:
    enum class Mode { Active, Passive };

    std::string ResolveHost(const std::string& host);
    void LogOn();
    void Transfer(Mode mode, const std::string& remote, FtpSink& sink);
    // The server's data connection in active mode; connections from any
    // other address are closed unread.
    void AcceptFromServer();
    void ReceiveData(FtpSink& sink);
    // A new control connection to the same server, logged on and in the
    // directory this one had reached; no events, as the session goes on.
    void Reconnect();
    // After a transfer that failed or was aborted: reads the replies the
    // server still owes; false when the control connection is no longer
    // usable.
    bool SettleAfterTransfer();

    void Command(const std::string& text);
    FtpReply ReadReply();
    FtpReply ReadFinalReply();
    std::string ReadLine(long long deadline);
    void CloseControl();
    void QuitAndClose();
    void LoseControl(int number, const std::string& text);

    std::unique_ptr<FtpNetwork> network_;
    std::unique_ptr<FtpConnection> control_;
    std::unique_ptr<FtpListener> listener_;
    std::unique_ptr<FtpConnection> data_;
    // The directory changes made since the log-on, for a new connection.
    std::vector<std::string> directories_;
    std::string received_;
    FtpReply reply_;
    int owed_ = 0;  // final replies the server still owes
    bool loggedIn_ = false;
    bool busy_ = false;
    bool transferring_ = false;
    bool aborted_ = false;
    bool closeRequested_ = false;
    std::uint64_t bytesRecvd_ = 0;
    std::uint64_t bytesTotal_ = 0;
    std::uint64_t sizeAsked_ = 0;  // the SIZE answer; 0 when unknown
};

// The reply code of a line: its first three characters when they are
// digits from "100" to "599"; nullopt otherwise.
std::optional<int> FtpReplyCode(std::string_view line);

// The size announced in the reply that opens a transfer: the digits just
// before the first "BYTE" (any case; blanks between are allowed). 0 when
// there are none or too many to be a size.
std::uint64_t ExpectedSizeOf(std::string_view reply);

// "h1,h2,h3,h4,p1,p2" for a dotted IPv4 address and a port.
std::string PortArgument(const std::string& address, int port);

// The port of a 227 reply's "h1,h2,h3,h4,p1,p2"; nullopt when malformed.
std::optional<int> PassivePortOf(std::string_view reply);

}  // namespace vigilor
