// The SMTP client against a server whose every byte comes from the input,
// sending a message whose every field comes from the input too.
//
// Fields: options, HELO name, sender name, sender address, To entries, CC
// entries, BCC entries, subject, body lines, mailer, date, reply-to, and
// then the server's bytes (the rest of the input). Option bytes:
//   0  size of the pieces the server's bytes arrive in (1 + n % 16)
//   1  what follows the server's bytes: n % 4 = time-out, closed,
//      canceled, or a reply that never ends
//   2  the reply that never ends: n % 3 = "250-" lines, lines starting
//      with a blank, or one line without an end
//   3  bit 0: the host is a name to look up; bits 1-2: the look-up
//      outcome; bits 3-4: the connect outcome
//   4  bit 0: an invalid host is handled; bit 1: a refused HELO is
//      handled; bit 2: a refused recipient quits from its handler; bit 3:
//      success sends again from its handler
//   5  messages sent after connecting: 1 + n % 3
//   6  sends that succeed before the connection breaks (0: all)
//   7  security: n % 3 = none, STARTTLS, TLS
//   8  bit 0: a password is stored; bit 1: the TLS handshake fails
//
// Properties: the client gives up on a reply that never ends; nothing but
// AppError escapes; every command is one line with no CR or LF but its
// line end; only the message after an accepted DATA spans lines, with no
// bare CR or LF and no line that is a lone "."; "." follows it; a failed
// connect and a quit leave the client disconnected; the number of commands
// is bounded by the recipients. A plain dialogue never says EHLO, STARTTLS
// or AUTH and never starts TLS; a protected one never says HELO, starts TLS
// at most once, and before TLS says nothing (implicit TLS) or only EHLO,
// STARTTLS and QUIT: no password and no mail ever go out in plain text.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "fuzz/fuzz_input.h"
#include "notify/smtp_client.h"
#include "platform/app_error.h"

namespace vigilor::fuzz {
namespace {

// More than this many bytes of one endless reply means the client would
// read it for ever.
constexpr size_t kEndlessLimit = 1 << 20;

WaitOutcome OutcomeOf(unsigned n) {
    static constexpr WaitOutcome kOutcomes[] = {WaitOutcome::Done, WaitOutcome::Failed, WaitOutcome::TimedOut,
                                                WaitOutcome::Canceled};
    return kOutcomes[n % 4];
}

bool IsCommandVerb(const std::string& line) {
    for (const char* verb : {"HELO ", "EHLO ", "STARTTLS\r\n", "AUTH PLAIN ", "AUTH LOGIN\r\n", "RSET\r\n",
                             "MAIL FROM:<", "RCPT TO:<", "DATA\r\n", "QUIT\r\n", ".\r\n"})
        if (line.starts_with(verb)) return true;
    return false;
}

// An answer in an AUTH LOGIN exchange; an empty name or password is an
// empty line.
bool IsBase64Line(const std::string& line) {
    for (size_t i = 0; i + 2 < line.size(); ++i) {
        const char c = line[i];
        if (!((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '+' || c == '/' ||
              c == '='))
            return false;
    }
    return true;
}

// The server: the scripted bytes whenever the client waits, in pieces, and
// then the chosen end.
class TranscriptSocket : public SmtpSocket {
public:
    TranscriptSocket(std::string transcript, const std::string& options)
        : transcript_(std::move(transcript)),
          piece_(1 + Option(options, 0) % 16),
          end_(Option(options, 1) % 4),
          endless_(Option(options, 2) % 3),
          lookup_(OutcomeOf(Option(options, 3) >> 1)),
          connect_(OutcomeOf(Option(options, 3) >> 3)),
          sendBudget_(Option(options, 6)),
          security_(static_cast<SmtpSecurity>(Option(options, 7) % 3)),
          tlsFails_(Option(options, 8) & 2) {}

    void Watch(const TNMSMTP* client) { client_ = client; }
    size_t Commands() const { return commands_; }

    WaitOutcome LookupHost(const std::string&, int, std::string& address) override {
        address = "127.0.0.1";
        return lookup_;
    }
    WaitOutcome Connect(const std::string&, int, int) override {
        if (connect_ == WaitOutcome::Done) open_ = true;
        return connect_;
    }
    bool IsOpen() const override { return open_; }

    bool Send(const std::string& bytes, int) override {
        FUZZ_REQUIRE(open_, "a send on a closed connection: " + Visible(bytes));
        const bool message = lastSent_ == "DATA\r\n" && client_->ReplyNumber() < 400;
        if (message) {
            CheckMessage(bytes);
        } else {
            CheckCommand(bytes);
            ++commands_;
        }
        if (sendBudget_ != 0 && sends_ == sendBudget_) {
            lastSent_.clear();
            return false;
        }
        ++sends_;
        lastSent_ = bytes;
        dotOwed_ = message;
        return true;
    }

    WaitOutcome Receive(std::string& into, int) override {
        if (!open_) return WaitOutcome::Failed;
        if (next_ < transcript_.size()) {
            const size_t n = std::min(piece_, transcript_.size() - next_);
            into.append(transcript_, next_, n);
            next_ += n;
            return WaitOutcome::Done;
        }
        switch (end_) {
            case 0: return WaitOutcome::TimedOut;
            case 1: return WaitOutcome::Failed;
            case 2: return WaitOutcome::Canceled;
            default: break;
        }
        static const char* const kEndless[] = {"250-more of the same\r\n", " more of the same\r\n", "xxxxxxxxxx"};
        const std::string more = kEndless[endless_];
        endlessBytes_ += more.size();
        FUZZ_REQUIRE(endlessBytes_ <= kEndlessLimit,
                     "the client kept reading a reply that never ends: " + Visible(more) + " after " +
                         Visible(transcript_));
        into += more;
        return WaitOutcome::Done;
    }
    void Close() override { open_ = false; }
    void StartTls(const std::string&, int) override {
        FUZZ_REQUIRE(open_, "TLS started on a closed connection");
        FUZZ_REQUIRE(security_ != SmtpSecurity::None, "TLS started in a plain dialogue");
        FUZZ_REQUIRE(!tls_, "TLS started twice");
        tls_ = true;
        if (tlsFails_) throw AppError("TLS handshake failed: refused");
    }
    std::string ClientDomain() override { return "fuzz.test"; }

private:
    void CheckCommand(const std::string& bytes) {
        FUZZ_REQUIRE(bytes.size() >= 2 && bytes.find_first_of("\r\n") == bytes.size() - 2 && bytes.ends_with("\r\n"),
                     "a command that is not exactly one line: " + Visible(bytes));
        const bool loginAnswer = loginAnswers_ > 0 && IsBase64Line(bytes);
        loginAnswers_ = bytes == "AUTH LOGIN\r\n" ? 2 : loginAnswer ? loginAnswers_ - 1 : 0;
        FUZZ_REQUIRE(loginAnswer || IsCommandVerb(bytes), "an unknown command: " + Visible(bytes));
        const bool extended = loginAnswer || bytes.starts_with("EHLO ") || bytes.starts_with("AUTH ") ||
                              bytes == "STARTTLS\r\n";
        if (security_ == SmtpSecurity::None) {
            FUZZ_REQUIRE(!extended, "a plain dialogue says " + Visible(bytes));
        } else {
            FUZZ_REQUIRE(!bytes.starts_with("HELO "), "a protected dialogue says HELO");
            FUZZ_REQUIRE(tls_ || (security_ == SmtpSecurity::StartTls &&
                                  (bytes.starts_with("EHLO ") || bytes == "STARTTLS\r\n" || bytes == "QUIT\r\n")),
                         "sent before TLS: " + Visible(bytes));
        }
        if (dotOwed_) FUZZ_REQUIRE(bytes == ".\r\n", "the message is not closed by \".\": " + Visible(bytes));
        dotOwed_ = false;
    }

    static void CheckMessage(const std::string& bytes) {
        FUZZ_REQUIRE(bytes.ends_with("\r\n"), "the message does not end its last line: " + Visible(bytes));
        size_t start = 0;
        while (start < bytes.size()) {
            const size_t end = bytes.find_first_of("\r\n", start);
            FUZZ_REQUIRE(end != std::string::npos && bytes.compare(end, 2, "\r\n") == 0,
                         "a bare CR or LF in the message: " + Visible(bytes.substr(start)));
            FUZZ_REQUIRE(bytes.compare(start, end - start, ".") != 0,
                         "a line that is a lone \".\" inside the message: " + Visible(bytes));
            start = end + 2;
        }
    }

    const TNMSMTP* client_ = nullptr;
    std::string transcript_;
    size_t next_ = 0;
    size_t piece_;
    unsigned end_;
    unsigned endless_;
    size_t endlessBytes_ = 0;
    WaitOutcome lookup_;
    WaitOutcome connect_;
    size_t sendBudget_;
    SmtpSecurity security_;
    bool tlsFails_;
    bool tls_ = false;
    int loginAnswers_ = 0;
    size_t sends_ = 0;
    size_t commands_ = 0;
    std::string lastSent_;
    bool dotOwed_ = false;
    bool open_ = false;
};

void Dialogue(const uint8_t* data, size_t size) {
    Fields fields(data, size);
    const std::string options = fields.Next();
    const std::string userId = fields.Next();
    TPostMessage message;
    message.FromName = fields.Next();
    message.FromAddress = fields.Next();
    message.ToAddress = fields.NextList();
    message.ToCarbonCopy = fields.NextList();
    message.ToBlindCarbonCopy = fields.NextList();
    message.Subject = fields.Next();
    message.Body = fields.NextList();
    message.LocalProgram = fields.Next();
    message.Date = fields.Next();
    message.ReplyTo = fields.Next();
    const size_t recipients =
        message.ToAddress.size() + message.ToCarbonCopy.size() + message.ToBlindCarbonCopy.size();

    auto owned = std::make_unique<TranscriptSocket>(fields.Rest(), options);
    TranscriptSocket& socket = *owned;
    TNMSMTP client(std::move(owned));
    socket.Watch(&client);

    const unsigned handlers = Option(options, 4);
    client.Host = (Option(options, 3) & 1) ? "mail.example.org" : "127.0.0.1";
    client.UserID = userId;
    client.Security = static_cast<SmtpSecurity>(Option(options, 7) % 3);
    if (Option(options, 8) & 1) client.Password = "s3cret";
    client.PostMessage = message;
    client.OnInvalidHost = [&](bool& handled) { handled = handlers & 1; };
    client.OnAuthenticationFailed = [&](bool& handled) { handled = handlers & 2; };
    client.OnRecipientNotFound = [&] {
        if (handlers & 4) client.SmtpQuit();
    };
    client.OnSuccess = [&] {
        if (handlers & 8) client.SendPost();
    };

    try {
        client.SmtpConnect();
    } catch (const AppError&) {
        FUZZ_REQUIRE(!client.Connected(), "a failed connect left the connection open");
        return;
    }
    const unsigned messages = 1 + Option(options, 5) % 3;
    for (unsigned i = 0; i < messages; ++i) {
        try {
            client.SendPost();
        } catch (const AppError&) {
        }
        FUZZ_REQUIRE(client.ReplyLine().find('\n') == std::string::npos,
                     "a reply line holds a line end: " + Visible(client.ReplyLine()));
    }
    try {
        client.SmtpQuit();
    } catch (const AppError&) {
    }
    FUZZ_REQUIRE(!client.Connected(), "the connection is open after a quit");
    // Two HELOs and a QUIT to connect (or two EHLOs, STARTTLS, two AUTH
    // LOGIN exchanges of three lines and a QUIT), RSET, MAIL, the
    // recipients, DATA and "." per message, and the last QUIT.
    const size_t connecting = client.Security == SmtpSecurity::None ? 3 : 10;
    const size_t limit = connecting + messages * (4 + recipients) + 1;
    FUZZ_REQUIRE(socket.Commands() <= limit, "more commands than the messages need: " +
                                                 std::to_string(socket.Commands()) + " > " + std::to_string(limit));
}

}  // namespace
}  // namespace vigilor::fuzz

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    vigilor::fuzz::Dialogue(data, size);
    return 0;
}
