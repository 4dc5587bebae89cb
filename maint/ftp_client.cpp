#include "maint/ftp_client.h"

#include <algorithm>
#include <array>
#include <climits>

#include "net/ipv4_address.h"
#include "platform/app_error.h"
#include "platform/text.h"

namespace vigilor {

namespace {

constexpr int kConnectionRefusedError = 10061;
// Preliminary (1xx) replies allowed before a final one.
constexpr int kMaxPreliminaryReplies = 16;
// Digits of the largest size taken from a reply; more is no size.
constexpr size_t kMaxSizeDigits = 18;

// Why an operation stops; thrown inside the client only.
struct ControlLost {  // the control connection is unusable
    int number;
    std::string text;
};
struct WaitCanceled {};        // Abort, or Disconnect while busy
struct DataPathFailed {};      // active mode found no data connection
struct RetrieveUnanswered {};  // ... nor a reply in time: the connection is out of step
struct Refused {               // the server said no
    FtpReply reply;
};
struct TransferBroken {  // the data connection or the local file failed
    std::optional<int> number;  // reported with OnError when set
    std::string text;
};

class BusyScope {
public:
    explicit BusyScope(bool& busy) : busy_(busy), entered_(!busy) { busy_ = true; }
    ~BusyScope() {
        if (entered_) busy_ = false;
    }
    BusyScope(const BusyScope&) = delete;
    BusyScope& operator=(const BusyScope&) = delete;
    bool Entered() const { return entered_; }

private:
    bool& busy_;
    bool entered_;
};

template <typename Event, typename... Args>
void Raise(const Event& event, Args&&... args) {
    if (event) event(std::forward<Args>(args)...);
}

bool IsUnsupported(int code) { return code >= 500 && code <= 502; }

std::string WithoutLineEnd(std::string line) {
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.pop_back();
    return line;
}

std::string Shortened(const std::string& text) { return text.size() <= 80 ? text : text.substr(0, 80) + "..."; }

// Command arguments come from the user's fields; a line break in one
// would smuggle another command to the server.
void RequireOneLine(const std::string& text) {
    if (text.find_first_of("\r\n") != std::string::npos)
        throw AppError("Invalid character in '" + Shortened(text) + "'");
}

}  // namespace

std::optional<int> FtpReplyCode(std::string_view line) {
    if (line.size() < 3) return std::nullopt;
    for (int i = 0; i < 3; ++i)
        if (line[i] < '0' || line[i] > '9') return std::nullopt;
    const int code = (line[0] - '0') * 100 + (line[1] - '0') * 10 + (line[2] - '0');
    if (code < 100 || code > 599) return std::nullopt;
    return code;
}

std::uint64_t ExpectedSizeOf(std::string_view reply) {
    const size_t byte = UpperAscii(reply).find("BYTE");
    if (byte == std::string::npos) return 0;
    size_t end = byte;
    while (end > 0 && reply[end - 1] == ' ') --end;
    size_t begin = end;
    while (begin > 0 && reply[begin - 1] >= '0' && reply[begin - 1] <= '9') --begin;
    // A run this long is no file size: a broken or hostile reply.
    if (begin == end || end - begin > kMaxSizeDigits) return 0;
    std::uint64_t size = 0;
    for (size_t i = begin; i < end; ++i) size = size * 10 + static_cast<std::uint64_t>(reply[i] - '0');
    return size;
}

namespace {

std::uint64_t SizeReplyValue(const FtpReply& reply) {
    // "213 <size>", the size alone.
    if (reply.code != 213 || reply.text.size() < 5 || reply.text[3] != ' ') return 0;
    const std::string digits = Trim(reply.text.substr(4));
    if (digits.empty() || digits.size() > kMaxSizeDigits ||
        digits.find_first_not_of("0123456789") != std::string::npos)
        return 0;
    return std::stoull(digits);
}

}  // namespace

std::string PortArgument(const std::string& address, int port) {
    std::string argument;
    for (char c : address) argument += c == '.' ? ',' : c;
    return argument + "," + std::to_string((port >> 8) & 0xFF) + "," + std::to_string(port & 0xFF);
}

std::optional<int> PassivePortOf(std::string_view reply) {
    // The six numbers follow the code: "227 Entering Passive Mode (h1,h2,h3,h4,p1,p2)."
    size_t i = 3;
    while (i < reply.size() && (reply[i] < '0' || reply[i] > '9')) ++i;
    std::array<int, 6> numbers{};
    for (size_t n = 0; n < numbers.size(); ++n) {
        if (n > 0) {
            if (i >= reply.size() || reply[i] != ',') return std::nullopt;
            ++i;
        }
        size_t digits = 0;
        int value = 0;
        while (i < reply.size() && reply[i] >= '0' && reply[i] <= '9' && digits < 4) {
            value = value * 10 + (reply[i] - '0');
            ++i;
            ++digits;
        }
        if (digits == 0 || value > 255) return std::nullopt;
        numbers[n] = value;
    }
    const int port = numbers[4] * 256 + numbers[5];
    if (port == 0) return std::nullopt;
    return port;
}

TNMFTP::TNMFTP(std::unique_ptr<FtpNetwork> network) : network_(std::move(network)) {}

TNMFTP::~TNMFTP() = default;

bool TNMFTP::Connected() const { return control_ && loggedIn_; }

// ----- operations -----

void TNMFTP::Connect() {
    BusyScope busy(busy_);
    if (!busy.Entered()) return;
    RequireOneLine(UserID);
    RequireOneLine(Password);
    RequireOneLine(Host);
    if (control_) QuitAndClose();
    network_->Rearm();
    closeRequested_ = false;
    const bool viaProxy = !Proxy.empty();
    std::unique_ptr<FtpConnection> connection;
    try {
        const std::string address = ResolveHost(viaProxy ? Proxy : Host);
        Raise(OnHostResolved);
        switch (network_->Connect(address, viaProxy ? ProxyPort : Port, TimeOut, connection)) {
            case FtpWait::Done: break;
            case FtpWait::Canceled: throw WaitCanceled{};
            default: Raise(OnConnectionFailed); throw AppError("Connection Failed");
        }
    } catch (const WaitCanceled&) {
        throw AppError("Connect canceled");
    }
    control_ = std::move(connection);
    received_.clear();
    directories_.clear();
    owed_ = 1;  // the greeting
    Raise(OnConnect);
    try {
        LogOn();
    } catch (const ControlLost& lost) {
        LoseControl(lost.number, lost.text);
        throw AppError(lost.text);
    } catch (const WaitCanceled&) {
        CloseControl();
        throw AppError("Connect canceled");
    } catch (const Refused& refused) {
        Raise(OnConnectionFailed);
        CloseControl();
        throw AppError(refused.reply.text);
    }
}

std::string TNMFTP::ResolveHost(const std::string& host) {
    if (ParseDottedIPv4(host)) return host;
    std::string address;
    switch (network_->LookupHost(host, TimeOut, address)) {
        case FtpWait::Done: return address;
        case FtpWait::Canceled: throw WaitCanceled{};
        default: Raise(OnInvalidHost); throw AppError("Invalid Host");
    }
}

void TNMFTP::LogOn() {
    FtpReply reply = ReadFinalReply();
    if (reply.code >= 400) throw Refused{reply};
    // A proxy learns from the user name where to go on.
    Command("USER " + UserID + (Proxy.empty() ? "" : "@" + Host));
    reply = ReadFinalReply();
    if (reply.code == 331) {
        Command("PASS " + Password);
        reply = ReadFinalReply();
    }
    // Anything but a 2xx here (an account request included) leaves us
    // without a log-on.
    if (reply.code >= 300) throw Refused{reply};
    loggedIn_ = true;
}

void TNMFTP::Disconnect() {
    if (busy_) {
        // The operation that waits closes the connection when its wait ends.
        closeRequested_ = true;
        network_->Cancel();
        return;
    }
    BusyScope busy(busy_);
    if (!control_) return;
    network_->Rearm();
    closeRequested_ = false;
    QuitAndClose();
}

void TNMFTP::QuitAndClose() {
    // The server's goodbye is a courtesy: a lost or cancelled one still ends
    // in a closed connection.
    try {
        Command("QUIT");
        ReadFinalReply();
    } catch (const ControlLost&) {
    } catch (const WaitCanceled&) {
    }
    CloseControl();
}

void TNMFTP::ChangeDir(const std::string& directory) {
    BusyScope busy(busy_);
    if (!busy.Entered()) return;
    RequireOneLine(directory);
    if (!Connected()) throw AppError("Not Connected");
    network_->Rearm();
    closeRequested_ = false;
    FtpReply reply;
    try {
        Command("CWD " + directory);
        reply = ReadFinalReply();
    } catch (const ControlLost& lost) {
        Raise(OnError, lost.number, lost.text);
        Raise(OnFailure, FtpOperation::ChangeDir);
        CloseControl();
        throw AppError(lost.text);
    } catch (const WaitCanceled&) {
        Raise(OnFailure, FtpOperation::ChangeDir);
        CloseControl();
        throw AppError("Canceled");
    }
    if (reply.code >= 400) {
        if (IsUnsupported(reply.code)) Raise(OnUnSupportedFunction, FtpOperation::ChangeDir);
        Raise(OnFailure, FtpOperation::ChangeDir);
        throw AppError(reply.text);
    }
    directories_.push_back(directory);
    Raise(OnSuccess, FtpOperation::ChangeDir);
}

void TNMFTP::Abort() {
    if (!transferring_) return;
    aborted_ = true;
    network_->Cancel();
}

void TNMFTP::Download(const std::string& remote, FtpSink& sink) {
    BusyScope busy(busy_);
    if (!busy.Entered()) return;
    RequireOneLine(remote);
    if (!Connected()) throw AppError("Not Connected");
    network_->Rearm();
    closeRequested_ = false;
    aborted_ = false;
    bytesRecvd_ = bytesTotal_ = 0;

    bool succeeded = false;
    bool unsupported = false;
    bool controlLost = false;
    bool outOfStep = false;
    std::optional<int> errorNumber;
    std::string failure;
    transferring_ = true;
    try {
        // The server's default type may be ASCII, which would rewrite the
        // line ends inside a program file; a refusal leaves that default.
        Command("TYPE I");
        ReadFinalReply();
        // Asked first, for a server whose opening reply names no size (IIS:
        // "125 Data connection already open"): without it a connection
        // that ends early would pass for the whole file. A refusal leaves
        // the size unknown.
        Command("SIZE " + remote);
        sizeAsked_ = SizeReplyValue(ReadFinalReply());
        try {
            Transfer(Mode::Active, remote, sink);
        } catch (const DataPathFailed&) {
            Transfer(Mode::Passive, remote, sink);
        } catch (const RetrieveUnanswered&) {
            outOfStep = true;
            Reconnect();
            outOfStep = false;
            Command("TYPE I");
            ReadFinalReply();
            Transfer(Mode::Passive, remote, sink);
        }
        succeeded = true;
    } catch (const Refused& refused) {
        unsupported = IsUnsupported(refused.reply.code);
        failure = refused.reply.text;
    } catch (const TransferBroken& broken) {
        errorNumber = broken.number;
        failure = broken.text;
    } catch (const ControlLost& lost) {
        errorNumber = lost.number;
        failure = lost.text;
        controlLost = true;
    } catch (const WaitCanceled&) {
        failure = "Transfer aborted";
    }
    transferring_ = false;
    data_.reset();
    listener_.reset();
    if (succeeded) {
        Raise(OnSuccess, FtpOperation::Download);
        return;
    }
    if (errorNumber) Raise(OnError, *errorNumber, failure);
    const bool keep = !controlLost && !outOfStep && SettleAfterTransfer();
    if (unsupported) Raise(OnUnSupportedFunction, FtpOperation::Download);
    Raise(OnFailure, FtpOperation::Download);
    if (!keep) CloseControl();
    throw AppError(failure);
}

// ----- the transfer -----

void TNMFTP::Transfer(Mode mode, const std::string& remote, FtpSink& sink) {
    FtpReply reply;
    if (mode == Mode::Active) {
        listener_ = network_->Listen(control_->LocalAddress());
        if (!listener_) throw DataPathFailed{};
        Command("PORT " + PortArgument(control_->LocalAddress(), listener_->Port()));
        // Refused: often a server that will not connect out, or a firewall
        // or NAT between us that it sees.
        if (ReadFinalReply().code > 300) throw DataPathFailed{};
    } else {
        listener_.reset();
        Command("PASV");
        reply = ReadFinalReply();
        const std::optional<int> port = reply.code == 227 ? PassivePortOf(reply.text) : std::nullopt;
        if (!port) throw Refused{reply};
        // The address in the reply is ignored: behind NAT it is often a
        // private one, and it must not send us to another host.
        switch (network_->Connect(control_->PeerAddress(), *port, TimeOut, data_)) {
            case FtpWait::Done: break;
            case FtpWait::Canceled: throw WaitCanceled{};
            case FtpWait::TimedOut: throw TransferBroken{kTimedOutError, "Data connection Timed out"};
            default: throw TransferBroken{kConnectionRefusedError, "Data connection failed"};
        }
    }
    Command("RETR " + remote);
    try {
        reply = ReadReply();
    } catch (const ControlLost& lost) {
        // A server that connects out before it answers, through a firewall
        // that drops our data port silently, is still waiting when our time
        // runs out; its late reply would put this connection out of step.
        if (mode == Mode::Active && lost.number == kTimedOutError) throw RetrieveUnanswered{};
        throw;
    }
    if (reply.code >= 200) {
        // 425: the server could not open the data connection to us.
        if (mode == Mode::Active && reply.code == 425) throw DataPathFailed{};
        throw Refused{reply};
    }
    bytesTotal_ = ExpectedSizeOf(reply.text);
    if (bytesTotal_ == 0) bytesTotal_ = sizeAsked_;
    if (mode == Mode::Active) AcceptFromServer();
    ReceiveData(sink);
}

void TNMFTP::AcceptFromServer() {
    const long long deadline = network_->ClockMs() + AcceptTimeOut;
    const std::string server = control_->PeerAddress();
    for (;;) {
        const long long left = deadline - network_->ClockMs();
        const FtpWait wait = left > 0 ? listener_->Accept(static_cast<int>(std::min<long long>(left, INT_MAX)), data_)
                                      : FtpWait::TimedOut;
        if (wait == FtpWait::Canceled) throw WaitCanceled{};
        if (wait == FtpWait::Done) {
            // Anyone who sees the PORT command could connect first and
            // hand us a file of their own.
            if (data_->PeerAddress() == server) break;
            data_.reset();
            continue;
        }
        // Nothing came: hear the server out on this retrieve, then go
        // passive. Final replies only: preliminary ones could come for ever.
        // A server that tries to connect for longer than a reply's time
        // answers too late for this connection: go passive on a new one.
        listener_.reset();
        try {
            while (owed_ > 0) ReadFinalReply();
        } catch (const ControlLost& lost) {
            if (lost.number == kTimedOutError) throw RetrieveUnanswered{};
            throw;
        }
        throw DataPathFailed{};
    }
    listener_.reset();
}

void TNMFTP::ReceiveData(FtpSink& sink) {
    Raise(OnTransactionStart);
    for (;;) {
        std::string chunk;
        const FtpWait wait = data_->Receive(chunk, StallTimeOut);
        if (wait == FtpWait::Closed) break;
        switch (wait) {
            case FtpWait::Canceled: throw WaitCanceled{};
            case FtpWait::TimedOut: throw TransferBroken{kTimedOutError, "Data transfer Timed out"};
            case FtpWait::Failed: throw TransferBroken{kConnectionLostError, "Data connection lost"};
            default: break;
        }
        if (!sink.Write(chunk)) throw TransferBroken{std::nullopt, "The local file could not be written"};
        bytesRecvd_ += chunk.size();
        Raise(OnPacketRecvd);
        // A handler may have aborted the transfer or closed the dialog.
        if (aborted_ || closeRequested_) throw WaitCanceled{};
    }
    data_.reset();
    Raise(OnTransactionStop);
    const FtpReply reply = ReadFinalReply();
    if (reply.code > 300) throw Refused{reply};
    // A connection cut short can end like a complete one; the size the
    // server announced tells them apart.
    if (bytesTotal_ > 0 && bytesRecvd_ != bytesTotal_)
        throw TransferBroken{kConnectionLostError, "Received " + std::to_string(bytesRecvd_) + " of " +
                                                       std::to_string(bytesTotal_) + " bytes"};
}

void TNMFTP::Reconnect() {
    std::unique_ptr<FtpConnection> connection;
    switch (network_->Connect(control_->PeerAddress(), Proxy.empty() ? Port : ProxyPort, TimeOut, connection)) {
        case FtpWait::Done: break;
        case FtpWait::Canceled: throw WaitCanceled{};
        case FtpWait::TimedOut: throw ControlLost{kTimedOutError, "Connection Timed out"};
        default: throw ControlLost{kConnectionRefusedError, "Connection Failed"};
    }
    control_ = std::move(connection);
    received_.clear();
    owed_ = 1;  // the greeting
    try {
        LogOn();
        for (const std::string& directory : directories_) {
            Command("CWD " + directory);
            const FtpReply reply = ReadFinalReply();
            if (reply.code >= 400) throw Refused{reply};
        }
    } catch (const Refused& refused) {
        throw ControlLost{kProtocolError, refused.reply.text};
    }
}

bool TNMFTP::SettleAfterTransfer() {
    // The server answers a retrieve whose data connection we closed (426,
    // or 226 when it had sent everything); read what it still owes so that
    // the next command's reply is its own. Each owed reply may be preceded
    // by a few preliminary ones, but not by any number of them.
    if (!control_ || closeRequested_) return false;
    network_->Rearm();
    try {
        while (owed_ > 0) ReadFinalReply();
        return true;
    } catch (const ControlLost& lost) {
        Raise(OnError, lost.number, lost.text);
    } catch (const WaitCanceled&) {
    }
    return false;
}

// ----- the control connection -----

void TNMFTP::Command(const std::string& text) {
    if (!control_->Send(text + "\r\n", ReplyTimeOut)) throw ControlLost{kConnectionLostError, "Connection lost"};
    ++owed_;
}

FtpReply TNMFTP::ReadReply() {
    // One deadline for all lines of the reply: a server that trickles its
    // bytes cannot hold the client longer than one reply's time.
    const long long deadline = network_->ClockMs() + ReplyTimeOut;
    std::string line = ReadLine(deadline);
    const std::optional<int> code = FtpReplyCode(line);
    if (!code) throw ControlLost{kProtocolError, "Invalid server reply: " + Shortened(line)};
    FtpReply reply{*code, line};
    if (line.size() > 3 && line[3] == '-') {
        // Multi-line: up to the line that starts with the same code and a blank.
        const std::string last = line.substr(0, 3);
        for (;;) {
            line = ReadLine(deadline);
            if (reply.text.size() + line.size() > kMaxReplyText)
                throw ControlLost{kProtocolError, "Invalid server reply: too long"};
            reply.text += "\n" + line;
            if (line.compare(0, 3, last) == 0 && (line.size() == 3 || line[3] == ' ')) break;
        }
    }
    if (reply.code >= 200 && owed_ > 0) --owed_;
    reply_ = reply;
    return reply;
}

FtpReply TNMFTP::ReadFinalReply() {
    for (int i = 0; i <= kMaxPreliminaryReplies; ++i) {
        FtpReply reply = ReadReply();
        if (reply.code >= 200) return reply;
    }
    throw ControlLost{kProtocolError, "Invalid server reply: no final reply"};
}

std::string TNMFTP::ReadLine(long long deadline) {
    for (;;) {
        const size_t end = received_.find('\n');
        if (end != std::string::npos) {
            std::string line = received_.substr(0, end + 1);
            received_.erase(0, end + 1);
            return WithoutLineEnd(line);
        }
        if (received_.size() > kMaxReplyLine) throw ControlLost{kProtocolError, "Invalid server reply: line too long"};
        const long long left = deadline - network_->ClockMs();
        if (left <= 0) throw ControlLost{kTimedOutError, "Server reply Timed out"};
        switch (control_->Receive(received_, static_cast<int>(std::min<long long>(left, INT_MAX)))) {
            case FtpWait::Done: break;
            case FtpWait::Canceled: throw WaitCanceled{};
            case FtpWait::TimedOut: throw ControlLost{kTimedOutError, "Server reply Timed out"};
            default: throw ControlLost{kConnectionLostError, "Connection closed by server"};
        }
    }
}

void TNMFTP::CloseControl() {
    data_.reset();
    listener_.reset();
    loggedIn_ = false;
    owed_ = 0;
    received_.clear();
    if (!control_) return;
    control_.reset();
    Raise(OnDisconnect);
}

void TNMFTP::LoseControl(int number, const std::string& text) {
    Raise(OnError, number, text);
    CloseControl();
}

}  // namespace vigilor
