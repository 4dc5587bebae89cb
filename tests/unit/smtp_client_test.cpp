#include <gtest/gtest.h>

#include "tests/support/error_of.h"

#include "notify/smtp_client.h"
#include "platform/app_error.h"
#include "tests/support/scripted_smtp_socket.h"

namespace vigilor {
namespace {

using test::ErrorOf;

using test::ScriptedSocket;

struct Events {
    std::vector<std::string> seen;
    bool retryHost = false;
    bool retryHelo = false;
    void Attach(TNMSMTP& c) {
        c.OnSuccess = [this] { seen.push_back("Success"); };
        c.OnFailure = [this] { seen.push_back("Failure"); };
        c.OnConnectionFailed = [this] { seen.push_back("ConnectionFailed"); };
        c.OnRecipientNotFound = [this] { seen.push_back("RecipientNotFound"); };
        c.OnInvalidHost = [this](bool& h) {
            seen.push_back("InvalidHost");
            h = retryHost;
        };
        c.OnAuthenticationFailed = [this](bool& h) {
            seen.push_back("AuthenticationFailed");
            h = retryHelo;
        };
    }
};

class SmtpDialogue : public ::testing::Test {
protected:
    TNMSMTP& Client(std::string greeting, std::deque<std::string> replies) {
        auto socket = std::make_unique<ScriptedSocket>(log, std::move(greeting), std::move(replies));
        socket_ = socket.get();
        client_ = std::make_unique<TNMSMTP>(std::move(socket));
        client_->Host = "127.0.0.1";
        client_->UserID = "monitor";
        events.Attach(*client_);
        TPostMessage& m = client_->PostMessage;
        m.FromName = "Vigilor";
        m.FromAddress = "vigilor@example.org";
        m.ToAddress = {"Ops <ops@example.org>"};
        m.Subject = "NT Service Failure Alert!";
        m.Body = {"line one", ".", "..two"};
        m.LocalProgram = "Vigilor v.1.0";
        m.Date = "Tue, 08 Dec 2026 14:05:09";
        return *client_;
    }

    ScriptedSocket::Log log;
    ScriptedSocket* socket_ = nullptr;
    Events events;
    std::unique_ptr<TNMSMTP> client_;
};

const std::deque<std::string> kAccepting = {"250 hello\r\n",  "250 reset\r\n", "250 sender ok\r\n",
                                            "250 rcpt ok\r\n", "354 go on\r\n",  "250 queued\r\n",
                                            "221 bye\r\n"};

TEST_F(SmtpDialogue, FullDeliveryWritesTheCommandsHeaderAndStuffedBody) {
    TNMSMTP& c = Client("220 mail ready\r\n", kAccepting);
    c.SmtpConnect();
    EXPECT_TRUE(c.Connected());
    c.SendPost();
    c.SmtpQuit();
    EXPECT_EQ(log.sent,
              "HELO monitor\r\n"
              "RSET\r\n"
              "MAIL FROM:<vigilor@example.org>\r\n"
              "RCPT TO:<ops@example.org>\r\n"
              "DATA\r\n"
              "From: Vigilor<vigilor@example.org>\r\n"
              "To: Ops <ops@example.org>\r\n"
              "Subject: NT Service Failure Alert!\r\n"
              "X-Mailer: Vigilor v.1.0\r\n"
              "Date: Tue, 08 Dec 2026 14:05:09\r\n"
              "Mime-Version: 1.0\r\n"
              "Content-Type: text/plain; charset=us-ascii\r\n"
              "\r\n\r\n"
              "line one\r\n"
              "..\r\n"
              "...two\r\n"
              ".\r\n"
              "QUIT\r\n");
    EXPECT_EQ(events.seen, std::vector<std::string>{"Success"});
    EXPECT_TRUE(c.PostMessage.ToAddress.empty());
    EXPECT_FALSE(c.Connected());
    EXPECT_EQ(log.connectedTo, "127.0.0.1:25");
    EXPECT_TRUE(log.lookups.empty()) << "a dotted address is used without a look-up";
}

TEST_F(SmtpDialogue, MultiLineRepliesAreReadAfterGreetingAndHeloOnly) {
    std::deque<std::string> replies = kAccepting;
    replies[0] = "250-hello\r\n250-SIZE 1000\r\n 250 folded\r\n250 HELP\r\n";
    TNMSMTP& c = Client("220-first\r\n220-second\r\n220 last\r\n", replies);
    c.SmtpConnect();
    EXPECT_EQ(c.ReplyNumber(), 250);
    EXPECT_EQ(c.ReplyLine(), "250 HELP");
    c.SendPost();
    EXPECT_EQ(events.seen, std::vector<std::string>{"Success"});
}

TEST_F(SmtpDialogue, GreetingRefusalQuitsAndRaisesTheGreetingLine) {
    TNMSMTP& c = Client("421 too busy\r\n", {"221 bye\r\n"});
    EXPECT_EQ(ErrorOf([&] { c.SmtpConnect(); }), "421 too busy");
    EXPECT_EQ(log.sent, "QUIT\r\n");
    EXPECT_FALSE(c.Connected());
}

TEST_F(SmtpDialogue, HeloRefusedRaisesEventOnceThenAuthenticationFailed) {
    TNMSMTP& c = Client("220 ready\r\n", {"501 who are you\r\n", "221 bye\r\n"});
    EXPECT_EQ(ErrorOf([&] { c.SmtpConnect(); }), "Authentication failed");
    EXPECT_EQ(events.seen, std::vector<std::string>{"AuthenticationFailed"});
    EXPECT_EQ(log.sent, "HELO monitor\r\nQUIT\r\n");
    EXPECT_FALSE(c.Connected());
}

TEST_F(SmtpDialogue, HandledHeloRefusalRetriesOnlyOnce) {
    events.retryHelo = true;
    TNMSMTP& c = Client("220 ready\r\n", {"501 no\r\n", "501 still no\r\n", "221 bye\r\n"});
    EXPECT_EQ(ErrorOf([&] { c.SmtpConnect(); }), "Authentication failed");
    EXPECT_EQ(events.seen, std::vector<std::string>{"AuthenticationFailed"});
    EXPECT_EQ(log.sent, "HELO monitor\r\nHELO monitor\r\nQUIT\r\n");
}

struct SecureCase {
    const char* name;
    SmtpSecurity security;
    const char* password;
    std::deque<std::string> replies;
    const char* tlsRefusal;
    const char* sent;   // while connecting
    const char* error;  // "(no error)" when connected
};

TEST_F(SmtpDialogue, SecureConnectionsSayEhloUseTlsAndAuthenticateOnlyThrough) {
    const char* kTls = ScriptedSocket::kTlsMark;
    const std::string ehlo = "EHLO client.test\r\n";
    const char* kConnected = "(no error)";
    const SecureCase cases[] = {
        {"STARTTLS then PLAIN", SmtpSecurity::StartTls, "pw",
         {"250-mail\r\n250-SIZE 1000\r\n250 starttls\r\n", "220 go ahead\r\n",
          "250-mail\r\n250-STARTTLS\r\n250 AUTH LOGIN PLAIN\r\n", "235 ok\r\n"},
         "", "EHLO|STARTTLS|TLS|EHLO|AUTH PLAIN AG1vbml0b3IAcHc=|", kConnected},
        {"implicit TLS, LOGIN only, old AUTH= form", SmtpSecurity::Tls, "pw",
         {"250-mail\r\n250 AUTH=LOGIN\r\n", "334 VXNlcm5hbWU6\r\n", "334 UGFzc3dvcmQ6\r\n", "235 ok\r\n"},
         "", "TLS|EHLO|AUTH LOGIN|bW9uaXRvcg==|cHc=|", kConnected},
        {"no password: no AUTH", SmtpSecurity::Tls, "", {"250-mail\r\n250 AUTH PLAIN\r\n"}, "", "TLS|EHLO|", kConnected},
        {"AUTH not offered", SmtpSecurity::Tls, "pw", {"250-mail\r\n250 8BITMIME\r\n"}, "", "TLS|EHLO|", kConnected},
        {"STARTTLS not offered", SmtpSecurity::StartTls, "pw", {"250-mail\r\n250 AUTH PLAIN\r\n", "221 bye\r\n"},
         "", "EHLO|QUIT|", "The mail server does not offer STARTTLS"},
        {"STARTTLS refused", SmtpSecurity::StartTls, "pw", {"250-mail\r\n250 STARTTLS\r\n", "454 not now\r\n",
                                                             "221 bye\r\n"},
         "", "EHLO|STARTTLS|QUIT|", "454 not now"},
        {"plain text injected before the handshake", SmtpSecurity::StartTls, "pw",
         {"250-mail\r\n250 STARTTLS\r\n", "220 go ahead\r\n250 AUTH PLAIN\r\n"}, "", "EHLO|STARTTLS|",
         "Invalid server reply: data before the TLS handshake"},
        {"certificate refused", SmtpSecurity::Tls, "pw", {}, "Server certificate not trusted: why", "TLS|",
         "Server certificate not trusted: why"},
        {"password refused", SmtpSecurity::Tls, "pw", {"250-mail\r\n250 AUTH PLAIN\r\n", "535 bad\r\n",
                                                       "221 bye\r\n"},
         "", "TLS|EHLO|AUTH PLAIN AG1vbml0b3IAcHc=|QUIT|", "Authentication failed"},
        {"no mechanism the client knows", SmtpSecurity::Tls, "pw", {"250-mail\r\n250 AUTH CRAM-MD5\r\n",
                                                                    "221 bye\r\n"},
         "", "TLS|EHLO|QUIT|", "Authentication failed: the mail server offers neither PLAIN nor LOGIN"},
        {"EHLO refused", SmtpSecurity::Tls, "pw", {"502 no\r\n", "221 bye\r\n"}, "", "TLS|EHLO|QUIT|", "502 no"},
    };
    for (const SecureCase& test : cases) {
        SCOPED_TRACE(test.name);
        log = {};
        events.seen.clear();
        TNMSMTP& c = Client("220 ready\r\n", test.replies);
        socket_->bytesPerReceive = 64;
        socket_->tlsRefusal = test.tlsRefusal;
        c.Security = test.security;
        c.Password = test.password;
        EXPECT_EQ(ErrorOf([&] { c.SmtpConnect(); }), test.error);
        std::string expected;
        for (std::string_view rest = test.sent; !rest.empty();) {
            const std::string_view step = rest.substr(0, rest.find('|'));
            rest.remove_prefix(step.size() + 1);
            expected += step == "TLS" ? std::string(kTls) + "127.0.0.1\r\n" : step == "EHLO" ? ehlo
                                                                            : std::string(step) + "\r\n";
        }
        EXPECT_EQ(log.sent, expected);
        EXPECT_EQ(c.Connected(), test.error == kConnected);
        const bool refusedPassword = std::string(test.error) == "Authentication failed";
        EXPECT_EQ(events.seen, refusedPassword ? std::vector<std::string>{"AuthenticationFailed"}
                                               : std::vector<std::string>{});
    }
}

TEST_F(SmtpDialogue, ServerSecurityAndPasswordAreTakenOnceWhenConnecting) {
    TNMSMTP& c = Client("220 ready\r\n", {"250-mail\r\n250 STARTTLS\r\n", "220 go ahead\r\n",
                                          "250-mail\r\n250 AUTH PLAIN\r\n", "235 ok\r\n"});
    socket_->bytesPerReceive = 64;
    c.Host = "mail.example.org";
    c.Port = 587;
    c.Security = SmtpSecurity::StartTls;
    c.Password = "pw";
    // The settings dialog or an alert changes them while the client waits.
    socket_->duringWait = [&c] {
        c.Host = "other.example.org";
        c.Port = 25;
        c.UserID = "someone";
        c.Security = SmtpSecurity::None;
        c.Password = "other";
    };
    c.SmtpConnect();
    EXPECT_EQ(log.lookups, std::vector<std::string>{"mail.example.org"});
    EXPECT_EQ(log.connectedTo, "127.0.0.9:587");
    EXPECT_EQ(log.sent, "EHLO client.test\r\nSTARTTLS\r\n" + std::string(ScriptedSocket::kTlsMark) +
                            "mail.example.org\r\nEHLO client.test\r\nAUTH PLAIN AG1vbml0b3IAcHc=\r\n");
    EXPECT_TRUE(c.Connected());
}

TEST_F(SmtpDialogue, AStoredSecurityThatNamesNoneOfTheThreeRefusesToConnect) {
    const struct {
        const char* stored;
        bool known;
        const char* text;
    } cases[] = {
        {"", true, "None"},           {"  ", true, "None"},       {"none", true, "None"},
        {" StartTLS ", true, "STARTTLS"}, {"tls", true, "TLS"},   {"SSL", false, "SSL"},
        {" TLS1.2", false, " TLS1.2"},
    };
    for (const auto& test : cases) {
        const SmtpSecurityChoice choice = ParseSmtpSecurity(test.stored);
        EXPECT_EQ(choice.Known(), test.known) << test.stored;
        EXPECT_EQ(choice.Text(), test.text) << test.stored;
    }
    TNMSMTP& c = Client("220 ready\r\n", kAccepting);
    c.Security = ParseSmtpSecurity("SSL");
    EXPECT_EQ(ErrorOf([&] { c.SmtpConnect(); }),
              "Unknown mail security \"SSL\" in EMailSMTPSecurity: choose None, STARTTLS or TLS in the settings");
    EXPECT_EQ(log.connectedTo, "") << "not even connected";
    EXPECT_EQ(log.sent, "");
    EXPECT_FALSE(c.Connected());
}

TEST_F(SmtpDialogue, RefusedRecipientIsReportedAndTheOthersStillGetTheMail) {
    TNMSMTP& c = Client("220 ready\r\n", {"250 hi\r\n", "250 ok\r\n", "250 ok\r\n", "550 no such user\r\n",
                                          "250 ok\r\n", "354 go\r\n", "250 queued\r\n"});
    c.PostMessage.ToAddress = {"ghost@example.org", "Ops <ops@example.org>"};
    c.SmtpConnect();
    c.SendPost();
    EXPECT_EQ(events.seen, (std::vector<std::string>{"RecipientNotFound", "Success"}));
    EXPECT_NE(log.sent.find("To: ghost@example.org,Ops <ops@example.org>\r\n"), std::string::npos);
}

TEST_F(SmtpDialogue, AnyErrorInSendPostLeavesTheClientDisconnectedSoTheNextConnectWorks) {
    EXPECT_EQ(ErrorOf([&] { Client("220 ready\r\n", {}).SendPost(); }), "Not Connected");
    const struct {
        const char* name;
        std::deque<std::string> replies;  // after HELO's
        std::function<void(TPostMessage&)> change;
        bool hangsUp;
        std::string error;
        std::vector<std::string> events;
        std::string lastSent;  // a refusal is answered with QUIT, a broken connection is just closed
    } cases[] = {
        {"no sender", {"221 bye\r\n"}, [](TPostMessage& m) { m.FromAddress.clear(); }, false, "Incomplete Header",
         {}, "HELO monitor\r\nQUIT\r\n"},
        {"no recipient", {"221 bye\r\n"}, [](TPostMessage& m) { m.ToAddress.clear(); }, false, "Incomplete Header",
         {}, "HELO monitor\r\nQUIT\r\n"},
        {"sender refused", {"250 ok\r\n", "451 try later\r\n", "221 bye\r\n"}, nullptr, false, "451 try later", {},
         "MAIL FROM:<vigilor@example.org>\r\nQUIT\r\n"},
        {"refused after the data",
         {"250 ok\r\n", "250 ok\r\n", "250 ok\r\n", "354 go\r\n", "554 5.7.1 rejected as spam\r\n", "221 bye\r\n"},
         nullptr, false, "554 5.7.1 rejected as spam", {"Failure"}, "\r\n.\r\nQUIT\r\n"},
        {"closed by the server", {"250 ok\r\n", ""}, nullptr, true, "Connection closed by server", {},
         "RSET\r\nMAIL FROM:<vigilor@example.org>\r\n"},
        {"garbled reply", {"250 ok\r\n", std::string(5000, 'x')}, nullptr, false, "Invalid server reply: line too long",
         {}, "RSET\r\nMAIL FROM:<vigilor@example.org>\r\n"},
    };
    for (const auto& row : cases) {
        log = {};
        events.seen.clear();
        std::deque<std::string> replies = {"250 hi\r\n"};
        replies.insert(replies.end(), row.replies.begin(), row.replies.end());
        replies.push_back("250 hello again\r\n");
        TNMSMTP& c = Client("220 ready\r\n", replies);
        socket_->hangsUp = row.hangsUp;
        if (row.change) row.change(c.PostMessage);
        c.SmtpConnect();
        EXPECT_EQ(ErrorOf([&] { c.SendPost(); }), row.error) << row.name;
        EXPECT_EQ(events.seen, row.events) << row.name;
        EXPECT_FALSE(c.Connected()) << row.name;
        EXPECT_TRUE(log.sent.ends_with(row.lastSent)) << row.name << ": " << log.sent;
        EXPECT_EQ(ErrorOf([&] { c.SmtpConnect(); }), "(no error)") << row.name;
        EXPECT_EQ(c.ReplyLine(), "250 hello again") << row.name;
    }
}

TEST_F(SmtpDialogue, RecipientsComeFromAllThreeListsAndBlindCopiesStayOutOfTheHeader) {
    TNMSMTP& c = Client("220 ready\r\n", {"250 hi\r\n", "250 ok\r\n", "250 ok\r\n", "250 ok\r\n", "250 ok\r\n",
                                          "250 ok\r\n", "250 ok\r\n", "354 go\r\n", "250 queued\r\n"});
    c.PostMessage.ToAddress = {"a@x.org"};
    c.PostMessage.ToCarbonCopy = {"", "CC: b@x.org"};
    c.PostMessage.ToBlindCarbonCopy = {"hidden <c@x.org>", "d@x.org"};
    c.SmtpConnect();
    c.SendPost();
    EXPECT_NE(log.sent.find("RCPT TO:<a@x.org>\r\nRCPT TO:< b@x.org>\r\nRCPT TO:<c@x.org>\r\nRCPT TO:<d@x.org>\r\n"),
              std::string::npos)
        << log.sent;
    EXPECT_NE(log.sent.find("CC: ,CC: b@x.org\r\n"), std::string::npos);
    EXPECT_EQ(log.sent.find("c@x.org>\r\n", log.sent.find("DATA")), std::string::npos);
    EXPECT_EQ(log.sent.find("d@x.org", log.sent.find("DATA")), std::string::npos);
}

TEST_F(SmtpDialogue, LineBreaksInEnvelopeValuesAreDroppedSoTheyCannotAddCommands) {
    TNMSMTP& c = Client("220 ready\r\n", {"250 hi\r\n", "250 ok\r\n", "250 ok\r\n", "250 ok\r\n", "250 ok\r\n",
                                          "354 go\r\n", "250 queued\r\n"});
    c.UserID = "monitor\r\nRSET";
    c.PostMessage.FromAddress = "v@x.org>\r\nRCPT TO:<evil@x.org";
    c.PostMessage.ToAddress = {"ops@x.org\r\nDATA", "\r\n", "chief@x.org\n"};
    c.SmtpConnect();
    c.SendPost();
    EXPECT_EQ(log.sent.substr(0, log.sent.find("DATA\r\n") + 6),
              "HELO monitorRSET\r\n"
              "RSET\r\n"
              "MAIL FROM:<v@x.org>RCPT TO:<evil@x.org>\r\n"
              "RCPT TO:<ops@x.orgDATA>\r\n"
              "RCPT TO:<chief@x.org>\r\n"
              "DATA\r\n");
}

TEST_F(SmtpDialogue, NameLookupFailureAndRetry) {
    TNMSMTP& c = Client("220 ready\r\n", kAccepting);
    c.Host = "mail.example.org";
    socket_->lookup = WaitOutcome::Failed;
    EXPECT_EQ(ErrorOf([&] { c.SmtpConnect(); }), "Null Remote Address");
    EXPECT_EQ(events.seen, std::vector<std::string>{"InvalidHost"});
    EXPECT_EQ(log.lookups.size(), 1u);

    events.seen.clear();
    events.retryHost = true;
    EXPECT_EQ(ErrorOf([&] { c.SmtpConnect(); }), "Null Remote Address");
    EXPECT_EQ(events.seen, (std::vector<std::string>{"InvalidHost", "InvalidHost"}));
    EXPECT_EQ(log.lookups.size(), 3u) << "one repeat after a handled failure";

    socket_->lookup = WaitOutcome::TimedOut;
    EXPECT_EQ(ErrorOf([&] { c.SmtpConnect(); }), "Host Lookup Timed Out");
    socket_->lookup = WaitOutcome::Canceled;
    EXPECT_EQ(ErrorOf([&] { c.SmtpConnect(); }), "Host Lookup Canceled");

    socket_->lookup = WaitOutcome::Done;
    c.SmtpConnect();
    EXPECT_EQ(log.connectedTo, "127.0.0.9:25");
}

TEST_F(SmtpDialogue, ConnectFailuresRaiseTheEventThenTheirError) {
    TNMSMTP& c = Client("220 ready\r\n", kAccepting);
    const std::pair<WaitOutcome, const char*> cases[] = {{WaitOutcome::TimedOut, "Connection Timed out"},
                                                         {WaitOutcome::Canceled, "Connection Canceled"},
                                                         {WaitOutcome::Failed, "Connection Failed"}};
    for (const auto& [outcome, text] : cases) {
        events.seen.clear();
        socket_->connect = outcome;
        EXPECT_EQ(ErrorOf([&] { c.SmtpConnect(); }), text);
        EXPECT_EQ(events.seen, std::vector<std::string>{"ConnectionFailed"});
        EXPECT_FALSE(c.Connected());
    }
}

TEST_F(SmtpDialogue, SilentServerGivesAReplyTimeOutAndLeavesTheClientDisconnected) {
    TNMSMTP& c = Client("", {});
    c.TimeOut = 50;
    EXPECT_EQ(ErrorOf([&] { c.SmtpConnect(); }), "Server reply Timed out");
    EXPECT_EQ(log.timeOuts, 1);
    EXPECT_FALSE(c.Connected());
}

TEST_F(SmtpDialogue, MalformedRepliesGiveClearErrorsOrTheirNumber) {
    TNMSMTP& c = Client(std::string(10000, 'x'), {});
    EXPECT_EQ(ErrorOf([&] { c.SmtpConnect(); }), "Invalid server reply: line too long");
    EXPECT_FALSE(c.Connected());
    EXPECT_EQ(ReplyNumberOf("hello"), 0);
    EXPECT_EQ(ReplyNumberOf("250ok"), 250);
    EXPECT_EQ(ReplyNumberOf("99999999999999"), 2147483647);
    EXPECT_EQ(ReplyNumberOf(""), 0);
}

// A reply of the given size in bytes: full continuation lines, then a last
// line that makes up the rest.
std::string ReplyOfSize(size_t bytes) {
    std::string reply;
    while (bytes - reply.size() > 4006) reply += "220-" + std::string(4000, 'x') + "\r\n";
    return reply + "220 " + std::string(bytes - reply.size() - 6, 'x') + "\r\n";
}

std::string ReplyOfLines(int lines) {
    std::string reply;
    for (int i = 1; i < lines; ++i) reply += "220-more\r\n";
    return reply + "220 end\r\n";
}

TEST_F(SmtpDialogue, EachReplyIsBoundedAsAWholeInTimeBytesAndLines) {
    const struct {
        const char* name;
        std::string greeting;
        size_t bytesPerReceive;
        int msPerReceive;
        bool hangsUp;
        std::string error;
        long long endsAt;  // on the socket's clock
    } cases[] = {
        {"1000 lines", ReplyOfLines(1000), 5, 0, false, "(no error)", 0},
        {"1001 lines", ReplyOfLines(1001), 5, 0, false, "Invalid server reply: too many lines", 0},
        {"64 KiB", ReplyOfSize(64 * 1024), 4096, 0, false, "(no error)", 0},
        {"64 KiB and a byte", ReplyOfSize(64 * 1024 + 1), 4096, 0, false, "Invalid server reply: too long", 0},
        {"lines a byte a second", ReplyOfLines(100), 1, 1000, false, "Server reply Timed out", 30000},
        {"every reply in 20 s", "220 ready\r\n", 100, 20000, false, "(no error)", 40000},
        {"closed in the middle", "220-one\r\n220-tw", 5, 0, true, "Connection closed by server", 0},
    };
    for (const auto& row : cases) {
        TNMSMTP& c = Client(row.greeting, {"250 hi\r\n"});
        socket_->bytesPerReceive = row.bytesPerReceive;
        socket_->msPerReceive = row.msPerReceive;
        socket_->hangsUp = row.hangsUp;
        EXPECT_EQ(ErrorOf([&] { c.SmtpConnect(); }), row.error) << row.name;
        EXPECT_EQ(c.Connected(), row.error == "(no error)") << row.name;
        EXPECT_EQ(socket_->clock, row.endsAt) << row.name;
    }
}

TEST_F(SmtpDialogue, QuitRefusalIsAnErrorButTheSocketCloses) {
    TNMSMTP& c = Client("220 ready\r\n", {"250 hi\r\n", "500 what\r\n"});
    c.SmtpConnect();
    EXPECT_EQ(ErrorOf([&] { c.SmtpQuit(); }), "500 what");
    EXPECT_FALSE(c.Connected());
}

TEST_F(SmtpDialogue, NestedCallsWhileBusyDoNothing) {
    TNMSMTP& c = Client("220 ready\r\n", kAccepting);
    int nested = 0;
    c.OnSuccess = [&] {
        ++nested;
        c.SendPost();  // still inside SendPost: ignored
    };
    c.SmtpConnect();
    c.SendPost();
    EXPECT_EQ(nested, 1);
    EXPECT_EQ(log.sent.find("RSET", log.sent.find("RSET") + 1), std::string::npos);
}

TEST_F(SmtpDialogue, AQuitWhileBusyLeavesTheConnectionToTheWaitingOperation) {
    TNMSMTP& c = Client("220 ready\r\n", kAccepting);
    c.OnSuccess = [&] { c.SmtpQuit(); };
    c.SmtpConnect();
    c.SendPost();
    EXPECT_TRUE(c.Connected());
    EXPECT_EQ(log.sent.find("QUIT"), std::string::npos);
    c.SmtpQuit();
    EXPECT_FALSE(c.Connected());
    EXPECT_TRUE(log.sent.ends_with("QUIT\r\n"));
}

}  // namespace
}  // namespace vigilor
