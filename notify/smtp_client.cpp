#include "notify/smtp_client.h"

#include <algorithm>
#include <climits>

#include "net/ipv4_address.h"
#include "platform/app_error.h"
#include "platform/text.h"

namespace vigilor {

namespace {

// The connection itself failed (no reply in time, closed, garbled): no
// further command can go over it, not even QUIT.
class BrokenConnection : public AppError {
public:
    using AppError::AppError;
};

// Marks the client busy for one operation; a nested call (from a handler
// run while the socket waits) does nothing.
class BusyScope {
public:
    explicit BusyScope(bool& busy) : busy_(busy), entered_(!busy) { busy_ = true; }
    ~BusyScope() {
        if (entered_) busy_ = false;
    }
    bool Entered() const { return entered_; }

private:
    bool& busy_;
    bool entered_;
};

void Raise(const std::function<void()>& event) {
    if (event) event();
}

bool RaiseHandled(const std::function<void(bool&)>& event) {
    bool handled = false;
    if (event) event(handled);
    return handled;
}

std::string WithoutLineEnd(std::string line) {
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.pop_back();
    return line;
}

}  // namespace

int ReplyNumberOf(const std::string& line) {
    long long number = 0;
    for (size_t i = 0; i < line.size() && i < 10 && line[i] >= '0' && line[i] <= '9'; ++i)
        number = number * 10 + (line[i] - '0');
    return number > 0x7FFFFFFF ? 0x7FFFFFFF : static_cast<int>(number);
}

TNMSMTP::TNMSMTP(std::unique_ptr<SmtpSocket> socket) : socket_(std::move(socket)) {}

std::string TNMSMTP::ResolveHost() {
    const std::string& host = session_.host;
    if (ParseDottedIPv4(host)) return host;
    for (bool firstFailure = true;; firstFailure = false) {
        std::string address;
        switch (socket_->LookupHost(host, TimeOut, address)) {
            case WaitOutcome::Done: return address;
            case WaitOutcome::TimedOut: throw AppError("Host Lookup Timed Out");
            case WaitOutcome::Canceled: throw AppError("Host Lookup Canceled");
            case WaitOutcome::Failed: break;
        }
        if (!(RaiseHandled(OnInvalidHost) && firstFailure)) throw AppError("Null Remote Address");
    }
}

void TNMSMTP::SmtpConnect() {
    BusyScope busy(busy_);
    if (!busy.Entered()) return;
    if (socket_->IsOpen()) throw AppError("Already connected");
    session_ = {Host, Port, UserID, Security.ToConnect(), Password};
    const std::string address = ResolveHost();
    received_.clear();
    switch (socket_->Connect(address, session_.port, TimeOut)) {
        case WaitOutcome::Done: break;
        case WaitOutcome::TimedOut: Raise(OnConnectionFailed); throw AppError("Connection Timed out");
        case WaitOutcome::Canceled: Raise(OnConnectionFailed); throw AppError("Connection Canceled");
        case WaitOutcome::Failed: Raise(OnConnectionFailed); throw AppError("Connection Failed");
    }
    try {
        Dialogue();
    } catch (...) {
        // A connect that does not complete leaves the client disconnected.
        socket_->Close();
        throw;
    }
}

void TNMSMTP::Dialogue() {
    if (session_.security == SmtpSecurity::Tls) socket_->StartTls(session_.host, TimeOut);
    ReadReply(true);
    if (replyNumber_ >= 400) QuitAndRaise(replyLine_);
    if (session_.security == SmtpSecurity::None) return SayHelo();
    SayEhlo();
    if (session_.security == SmtpSecurity::StartTls) {
        UpgradeToTls();
        SayEhlo();
    }
    Authenticate();
}

void TNMSMTP::SayHelo() {
    for (bool firstRefusal = true;; firstRefusal = false) {
        Command("HELO " + WithoutLineBreaks(session_.userId), true);
        if (replyNumber_ < 300) return;
        if (!(firstRefusal && RaiseHandled(OnAuthenticationFailed))) QuitAndRaise("Authentication failed");
    }
}

void TNMSMTP::SayEhlo() {
    Command("EHLO " + WithoutLineBreaks(socket_->ClientDomain()), true);
    if (replyNumber_ >= 300) QuitAndRaise(replyLine_);
}

void TNMSMTP::UpgradeToTls() {
    // Never on to plain text: the password and the mail would go out
    // readable by anyone on the way.
    if (!Extension("STARTTLS")) QuitAndRaise("The mail server does not offer STARTTLS");
    Command("STARTTLS", false);
    if (replyNumber_ != 220) QuitAndRaise(replyLine_);
    // Bytes sent before the handshake did not come through TLS; taking
    // them as replies would let anyone on the way answer for the server.
    if (!received_.empty()) throw BrokenConnection("Invalid server reply: data before the TLS handshake");
    socket_->StartTls(session_.host, TimeOut);
}

void TNMSMTP::Authenticate() {
    if (session_.password.empty()) return;
    const std::optional<std::string> mechanisms = Extension("AUTH");
    if (!mechanisms) return;
    for (bool firstRefusal = true;; firstRefusal = false) {
        if (AuthenticateWith(*mechanisms)) return;
        if (!(firstRefusal && RaiseHandled(OnAuthenticationFailed))) QuitAndRaise("Authentication failed");
    }
}

bool TNMSMTP::AuthenticateWith(const std::string& mechanisms) {
    const std::string user = WithoutLineBreaks(session_.userId);
    const std::string& password = session_.password;
    const std::string offered = " " + mechanisms + " ";
    const bool plain = offered.find(" PLAIN ") != std::string::npos;
    const bool login = offered.find(" LOGIN ") != std::string::npos;
    if (plain) {
        Command("AUTH PLAIN " + Base64(std::string(1, '\0') + user + '\0' + password), false);
        return replyNumber_ == 235;
    }
    if (!login) QuitAndRaise("Authentication failed: the mail server offers neither PLAIN nor LOGIN");
    Command("AUTH LOGIN", false);
    if (replyNumber_ != 334) return false;
    Command(Base64(user), false);
    if (replyNumber_ != 334) return false;
    Command(Base64(password), false);
    return replyNumber_ == 235;
}

std::optional<std::string> TNMSMTP::Extension(const std::string& keyword) const {
    // The first line greets; each further one names an extension and its
    // parameters ("AUTH PLAIN LOGIN", or the older "AUTH=LOGIN").
    for (size_t i = 1; i < replyLines_.size(); ++i) {
        const std::string& line = replyLines_[i];
        if (line.size() < 4) continue;
        const std::string text = UpperAscii(std::string_view(line).substr(4));
        if (!text.starts_with(keyword)) continue;
        if (text.size() == keyword.size()) return std::string();
        const char next = text[keyword.size()];
        if (next == ' ' || next == '=') return text.substr(keyword.size() + 1);
    }
    return std::nullopt;
}

void TNMSMTP::SendPost() {
    BusyScope busy(busy_);
    if (!busy.Entered()) return;
    if (!socket_->IsOpen()) throw AppError("Not Connected");
    // Nothing may stay open after an error: the alert that called us does
    // not reach its quit, and the next one could not connect.
    try {
        Transmit();
    } catch (const BrokenConnection&) {
        socket_->Close();
        throw;
    } catch (...) {
        QuitQuietly();
        throw;
    }
}

void TNMSMTP::Transmit() {
    const std::vector<std::string> header = HeaderLines(PostMessage);
    const std::string body = BodyText(PostMessage.Body);
    // Line breaks in the envelope values are dropped, as in the header: they
    // would send commands of their own.
    const std::string from = WithoutLineBreaks(PostMessage.FromAddress);
    if (from.empty() ||
        (PostMessage.ToAddress.empty() && PostMessage.ToCarbonCopy.empty() && PostMessage.ToBlindCarbonCopy.empty()))
        throw AppError("Incomplete Header");

    accepted_.clear();
    refused_.clear();
    Command("RSET", false);
    RaiseIfAtLeast(400);
    Command("MAIL FROM:<" + from + ">", false);
    RaiseIfAtLeast(400);
    for (const auto* list : {&PostMessage.ToAddress, &PostMessage.ToCarbonCopy, &PostMessage.ToBlindCarbonCopy}) {
        for (const auto& entry : *list) {
            const std::string address = WithoutLineBreaks(ExtractAddress(entry));
            if (address.empty()) continue;
            Command("RCPT TO:<" + address + ">", false);
            (replyNumber_ > 300 ? refused_ : accepted_).push_back(address);
            if (replyNumber_ > 300) Raise(OnRecipientNotFound);
        }
    }
    Command("DATA", false);
    RaiseIfAtLeast(400);

    std::string data;
    for (const auto& line : header) data += line + "\r\n";
    data += "\r\n\r\n" + body;
    if (!socket_->Send(data, TimeOut)) throw BrokenConnection("Connection Failed");
    Command(".", false);
    if (replyNumber_ >= 400) {
        Raise(OnFailure);
        throw AppError(replyLine_);
    }
    PostMessage.ToAddress.clear();
    PostMessage.ToCarbonCopy.clear();
    PostMessage.ToBlindCarbonCopy.clear();
    PostMessage.Attachments.clear();
    Raise(OnSuccess);
}

void TNMSMTP::SmtpQuit() {
    // A quit that arrives while another operation waits on the connection
    // (from a handler run during that wait) leaves the connection to it.
    BusyScope busy(busy_);
    if (!busy.Entered()) return;
    Quit();
}

void TNMSMTP::Quit() {
    if (!socket_->IsOpen()) return;
    try {
        Command("QUIT", false);
    } catch (...) {
        socket_->Close();
        throw;
    }
    socket_->Close();
    if (replyNumber_ > 339) throw AppError(replyLine_);
}

void TNMSMTP::QuitAndRaise(std::string error) {
    // Taken by value: the quit replaces the reply it may come from.
    QuitQuietly();
    throw AppError(error);
}

void TNMSMTP::QuitQuietly() {
    try {
        Quit();
    } catch (const AppError&) {
        // The error that made us quit is the one to report.
    }
}

void TNMSMTP::Command(const std::string& text, bool multiLine) {
    if (!socket_->Send(text + "\r\n", TimeOut)) throw BrokenConnection("Connection Failed");
    ReadReply(multiLine);
}

void TNMSMTP::ReadReply(bool multiLine) {
    // One deadline and one byte budget for all lines of the reply, so that
    // neither a trickle nor endless continuation lines can hold the client.
    const long long deadline = socket_->ClockMs() + TimeOut;
    size_t budget = kMaxReplyBytes;
    replyLine_ = ReadLine(deadline, budget);
    replyNumber_ = ReplyNumberOf(replyLine_);
    replyLines_.assign(1, replyLine_);
    if (!multiLine) return;
    auto continues = [](const std::string& line) {
        return (!line.empty() && line[0] == ' ') || (line.size() >= 4 && line[3] == '-');
    };
    for (int lines = 1; continues(replyLine_); ++lines) {
        if (lines == kMaxReplyLines) throw BrokenConnection("Invalid server reply: too many lines");
        replyLine_ = ReadLine(deadline, budget);
        replyLines_.push_back(replyLine_);
    }
}

std::string TNMSMTP::ReadLine(long long deadline, size_t& budget) {
    for (;;) {
        const size_t end = received_.find('\n');
        if (end != std::string::npos) {
            if (end > kMaxReplyLine) throw BrokenConnection("Invalid server reply: line too long");
            if (end + 1 > budget) throw BrokenConnection("Invalid server reply: too long");
            budget -= end + 1;
            std::string line = received_.substr(0, end + 1);
            received_.erase(0, end + 1);
            return WithoutLineEnd(line);
        }
        if (received_.size() > kMaxReplyLine) throw BrokenConnection("Invalid server reply: line too long");
        const long long left = deadline - socket_->ClockMs();
        if (left <= 0) throw BrokenConnection("Server reply Timed out");
        switch (socket_->Receive(received_, static_cast<int>(std::min<long long>(left, INT_MAX)))) {
            case WaitOutcome::Done: break;
            case WaitOutcome::TimedOut: throw BrokenConnection("Server reply Timed out");
            case WaitOutcome::Canceled:
            case WaitOutcome::Failed: throw BrokenConnection("Connection closed by server");
        }
    }
}

void TNMSMTP::RaiseIfAtLeast(int limit) {
    if (replyNumber_ >= limit) throw AppError(replyLine_);
}

std::string AddressList(const std::vector<std::string>& addresses) {
    std::string list;
    for (const std::string& address : addresses) list += (list.empty() ? "" : ", ") + address;
    return list;
}

}  // namespace vigilor
