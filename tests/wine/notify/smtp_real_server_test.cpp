// Alert mails delivered to a real SMTP server on the loopback, also right
// after a server that misbehaves.
#include <gtest/gtest.h>

#include "tests/support/test_alert_host.h"

#include <chrono>
#include <cstdio>
#include <map>

#include "config/settings.h"
#include "notify/email_alerts.h"
#include "notify/server_certificate_win.h"
#include "platform/handles_win.h"
#include "notify/smtp_socket_win.h"
#include "platform/app_error.h"
#include "tests/support/loopback_server_win.h"
#include "tests/support/memory_store.h"
#include "tests/support/smtp_tls_servers.h"
#include "tests/support/trusted_certificate_win.h"
#include "tests/support/wine_paths.h"

namespace vigilor {
namespace {



// The mail server started for this program by the test fixture.
class RealServer : public ::testing::Test {
protected:
    void SetUp() override {
        const char* folder = std::getenv("VIGILOR_SMTP_SINK");
        ASSERT_TRUE(folder) << "VIGILOR_SMTP_SINK is not set";
        sink = test::WinePath(folder);
        const std::string port = test::ReadWholeFile(sink + "\\port");
        ASSERT_FALSE(port.empty());
        auto& s = host.store.values;
        s["EMailSMTPHost"] = "127.0.0.1";
        s["EMailSMTPPort"] = port;
        s["EMailSMTPID"] = "monitor-host";
        s["EMailLocalName"] = "Vigilor Monitor";
        s["EMailLocalAddr"] = "vigilor@example.org";
        s["EMailTo"] = "Operators <ops@example.org>";
        s["EMailcc"] = "chief@example.org";
        s["EMailBcc"] = "audit@example.org";
        host.settings.notifyByMail = true;
        host.settings.screenNotify = false;
        host.settings.emailTo = "Operators <ops@example.org>";
    }

    // The next mail the server receives: envelope, blank line, message.
    std::string NextMail() {
        const std::string path = sink + "\\mail-" + std::to_string(++received) + ".txt";
        if (!test::WaitForFile(path)) return "(no mail " + path + ")";
        return test::ReadWholeFile(path);
    }

    static std::string HeaderOf(const std::string& mail) {
        const size_t start = mail.find("\n\n") + 2;
        return mail.substr(start, mail.find("\r\n\r\n", start) - start + 2);
    }

    static int received;
    std::string sink;
    test::TestAlertHost host;
    test::QuietChannels channels{LocalTime{2026, 12, 8, 14, 5, 9, 2}};
    std::unique_ptr<TNMSMTP> client = MakeSmtpClient();
    EmailAlerts alerts{host, channels, *client};
};
int RealServer::received = 0;

// The mail servers with TLS and AUTH started for this program by the test
// fixture, reached by the name their certificates carry.
class TlsServers : public ::testing::Test {
protected:
    void SetUp() override {
        const char* folder = std::getenv("VIGILOR_SMTP_TLS");
        ASSERT_TRUE(folder) << "VIGILOR_SMTP_TLS is not set";
        servers = test::WinePath(folder);
        // The other name's and the expired certificates are trusted too, so
        // that the name and the date are their only faults; so is the root
        // of the chain whose middle link only the network has. All before
        // the process builds its first chain, which reads the root store.
        for (const char* certificate : {"trusted.der", "othername.der", "expired.der", "aia-root.der"}) {
            std::string error;
            ASSERT_TRUE(test::TrustInRootStore(servers + "\\" + certificate, error)) << error;
        }
        auto& s = host.store.values;
        s["EMailSMTPHost"] = "localhost";
        s["EMailSMTPID"] = "monitor-user";
        s["EMailSMTPPwd"] = ScramblePassword("s3cret pass");
        s["EMailLocalName"] = "Vigilor Monitor";
        s["EMailLocalAddr"] = "vigilor@example.org";
        s["EMailTo"] = "ops@example.org";
        host.settings.notifyByMail = true;
        host.settings.screenNotify = false;
        host.settings.emailTo = "ops@example.org";
    }

    void Use(const std::string& server, const char* security) {
        host.store.values["EMailSMTPPort"] = test::TlsServerPort(servers, server);
        host.store.values["EMailSMTPSecurity"] = security;
        host.alerted.Clear();
        host.memo.lines.clear();
    }

    int Mails(const std::string& server) { return test::TlsServerMails(servers, server); }

    std::string servers;
    test::TestAlertHost host;
    test::QuietChannels channels{LocalTime{2026, 12, 8, 14, 5, 9, 2}};
    std::unique_ptr<TNMSMTP> client = MakeSmtpClient();
    EmailAlerts alerts{host, channels, *client};
};

TEST_F(TlsServers, AlertsArriveOverStartTlsAndImplicitTlsAfterAuthentication) {
    for (const auto& [server, security] : {std::pair{"starttls", "STARTTLS"}, {"tls", "TLS"}}) {
        SCOPED_TRACE(server);
        Use(server, security);
        const std::string path = test::TlsServerMail(servers, server, Mails(server) + 1);
        alerts.SendFailureAlert("\\\\SRV1", "Print Spooler");
        ASSERT_TRUE(test::WaitForFile(path)) << path;
        const std::string mail = test::ReadWholeFile(path);
        EXPECT_EQ(mail.substr(0, mail.find("\n\n")),
                  "MAIL FROM: vigilor@example.org\nRCPT TO: ops@example.org\nAUTH: monitor-user");
        EXPECT_NE(mail.find("\r\nSubject: NT Service Failure Alert!\r\n"), std::string::npos) << mail;
        EXPECT_NE(mail.find("The service \"Print Spooler\" on \\\\SRV1 has stopped responding !\r\n"),
                  std::string::npos);
        EXPECT_EQ(host.memo.lines, std::vector<std::string>{"08/12/2026  14:05 EMAIL SENT TO ops@example.org"});
        EXPECT_FALSE(client->Connected());
    }
}

TEST_F(TlsServers, RefusedCertificatesPasswordsAndPlainServersSendNothing) {
    const char* plainSink = std::getenv("VIGILOR_SMTP_SINK");
    ASSERT_TRUE(plainSink);
    const std::string plainPort = test::ReadWholeFile(test::WinePath(plainSink) + "\\port");
    const struct {
        const char* server;
        const char* security;
        const char* password;
        const char* error;
    } cases[] = {
        {"starttls-untrusted", "STARTTLS", "s3cret pass",
         "Server certificate not trusted: its root is not a trusted certificate authority"},
        {"tls-othername", "TLS", "s3cret pass",
         "Server certificate not trusted: it is issued for another name than \"localhost\""},
        {"tls-expired", "TLS", "s3cret pass", "Server certificate not trusted: it has expired or is not valid yet"},
        {"tls-old", "TLS", "s3cret pass", "TLS handshake failed: the server offers only TLS 1.1 or older"},
        {"starttls", "STARTTLS", "wrong", "Authentication failed"},
        {"tls", "TLS", "wrong", "Authentication failed"},
        // A plain server spoken to in TLS, and one that offers no STARTTLS.
        {"plain", "TLS", "s3cret pass", "TLS handshake failed: the server does not answer in TLS"},
        {"plain", "STARTTLS", "s3cret pass", "The mail server does not offer STARTTLS"},
    };
    std::map<std::string, int> mails;
    for (const char* server : {"starttls-untrusted", "tls-othername", "tls-expired", "tls-old", "starttls", "tls"})
        mails[server] = Mails(server);
    for (const auto& test : cases) {
        SCOPED_TRACE(std::string(test.server) + " " + test.security + " " + test.password);
        Use(test.server, test.security);
        if (std::string(test.server) == "plain") host.store.values["EMailSMTPPort"] = plainPort;
        host.store.values["EMailSMTPPwd"] = ScramblePassword(test.password);
        host.settings.notifyByMail = true;
        const auto started = std::chrono::steady_clock::now();
        std::string error = "(no error)";
        try {
            alerts.SendFailureAlert("\\\\SRV1", "Print Spooler");
        } catch (const AppError& e) {
            error = e.what();
        }
        EXPECT_EQ(error, test.error);
        EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(10));
        EXPECT_FALSE(client->Connected());
    }
    for (const auto& [server, before] : mails) EXPECT_EQ(Mails(server), before) << server << " got a mail";
}

TEST_F(TlsServers, AnIssuerTheServerDoesNotSendIsNotFetchedFromTheNetwork) {
    // The server's certificate as it would arrive: alone in the store of
    // what the server sent, naming its issuer's address on the loopback.
    const std::string der = test::ReadWholeFile(servers + "\\aia-leaf.der");
    ASSERT_FALSE(der.empty());
    const CertificateStore sent(CertOpenStore(CERT_STORE_PROV_MEMORY, 0, 0, CERT_STORE_CREATE_NEW_FLAG, nullptr));
    PCCERT_CONTEXT leaf = nullptr;
    ASSERT_TRUE(CertAddEncodedCertificateToStore(sent.Get(), X509_ASN_ENCODING,
                                                 reinterpret_cast<const BYTE*>(der.data()),
                                                 static_cast<DWORD>(der.size()), CERT_STORE_ADD_ALWAYS, &leaf));
    const CertificateContext held(leaf);
    std::string error = "(no error)";
    try {
        CheckServerCertificate(leaf, "localhost");
    } catch (const AppError& e) {
        error = e.what();
    }
    EXPECT_EQ(error, "Server certificate not trusted: it does not lead to a trusted certificate authority");
    EXPECT_EQ(test::ReadWholeFile(servers + "\\aia-requests"), "") << "the chain was completed over the network";
}

TEST_F(RealServer, FailureAlertArrivesWithItsHeaderAndBody) {
    alerts.SendFailureAlert("\\\\SRV1", "Print Spooler");
    const std::string mail = NextMail();
    EXPECT_EQ(mail.substr(0, mail.find("\n\n")),
              "MAIL FROM: vigilor@example.org\nRCPT TO: ops@example.org\nRCPT TO: chief@example.org\n"
              "RCPT TO: audit@example.org");
    EXPECT_EQ(HeaderOf(mail),
              "From: Vigilor Monitor<vigilor@example.org>\r\n"
              "To: Operators <ops@example.org>\r\n"
              "CC: chief@example.org\r\n"
              "Subject: NT Service Failure Alert!\r\n"
              "X-Mailer: Vigilor v.1.0.0.1\r\n"
              "Date: Tue, 08 Dec 2026 14:05:09\r\n"
              "Mime-Version: 1.0\r\n"
              "Content-Type: text/plain; charset=us-ascii\r\n");
    EXPECT_NE(mail.find("\r\n\r\n\r\n** NT SERVICE FAULT ** \r\n\r\n"
                        "The service \"Print Spooler\" on \\\\SRV1 has stopped responding !\r\n\r\n"
                        "Vigilor v.1.0.0.1\r\n"),
              std::string::npos)
        << mail;
    EXPECT_EQ(mail.find("audit@example.org", mail.find("\n\n")), std::string::npos) << "BCC in no header";
    EXPECT_EQ(host.memo.lines, std::vector<std::string>{"08/12/2026  14:05 EMAIL SENT TO Operators <ops@example.org>"});
    EXPECT_EQ(channels.events,
              std::vector<std::string>{"The service \"Print Spooler\" on \\\\SRV1 has stopped responding !"});
    EXPECT_FALSE(client->Connected());
}

TEST_F(RealServer, RestartNoticeArrives) {
    host.store.values.erase("EMailcc");
    alerts.SendRestartNotice("\\\\SRV1", "Spooler");
    const std::string mail = NextMail();
    EXPECT_NE(HeaderOf(mail).find("Subject: NT Service Auto-Restart successful\r\nX-Mailer: Vigilor v.1.0.0.1\r\n"
                                  "Date: Tue, 08 Dec 2026 14:05:09\r\n"),
              std::string::npos)
        << mail;
    EXPECT_EQ(HeaderOf(mail).find("CC:"), std::string::npos);
    EXPECT_NE(mail.find("** NT SERVICE AUTO-RESTART ** \r\n\r\n"
                        "The service \"Spooler\" on \\\\SRV1 was successsfully restarted !\r\n"),
              std::string::npos);
    EXPECT_NE(mail.find("RCPT TO: audit@example.org"), std::string::npos);
}

TEST_F(RealServer, TwoToEntriesShareOneLineAndForeignTextIsLabelled) {
    client->Host = "127.0.0.1";
    client->Port = std::stoi(host.store.values["EMailSMTPPort"]);
    client->UserID = "monitor-host";
    client->SmtpConnect();
    TPostMessage& m = client->PostMessage;
    m.FromName = "Überwachung";
    m.FromAddress = "vigilor@example.org";
    m.ToAddress = {"a@example.org", "B <b@example.org>"};
    m.Subject = "NT Service Failure Alert!";
    m.Body = {"Der Dienst \"Druckwarteschlange\" auf \\\\SRV1 – gestoppt", ".", "line\r\n.\r\nQUIT"};
    client->SendPost();
    client->SmtpQuit();
    const std::string mail = NextMail();
    EXPECT_NE(mail.find("RCPT TO: a@example.org\nRCPT TO: b@example.org\n\n"), std::string::npos) << mail;
    EXPECT_NE(HeaderOf(mail).find("\r\nTo: a@example.org,B <b@example.org>\r\n"), std::string::npos);
    EXPECT_NE(HeaderOf(mail).find("From: =?utf-8?B?w5xiZXJ3YWNodW5n?=<vigilor@example.org>\r\n"), std::string::npos);
    EXPECT_NE(HeaderOf(mail).find("Content-Type: text/plain; charset=utf-8\r\n"
                                  "Content-Transfer-Encoding: quoted-printable\r\n"),
              std::string::npos);
    // The server takes the stuffing off again: the dots and the "QUIT" are
    // body text, the message did not end early.
    EXPECT_NE(mail.find("\\\\SRV1 =E2=80=93 gestoppt\r\n.\r\nline\r\n.\r\nQUIT\r\n"), std::string::npos) << mail;
}

TEST_F(RealServer, HostNameIsLookedUp) {
    host.store.values["EMailSMTPHost"] = "localhost";
    alerts.SendFailureAlert("\\\\SRV2", "IsNotAlive");
    const std::string mail = NextMail();
    EXPECT_NE(HeaderOf(mail).find("Subject: NT Server is DOWN!\r\n"), std::string::npos) << mail;
    EXPECT_NE(mail.find("\\\\SRV2 has stopped responding!\r\n"), std::string::npos);
}

void SendAll(SOCKET s, const std::string& bytes) {
    for (size_t sent = 0; sent < bytes.size();) {
        const int n = send(s, bytes.data() + sent, static_cast<int>(std::min<size_t>(bytes.size() - sent, 65536)), 0);
        if (n <= 0) return;
        sent += static_cast<size_t>(n);
    }
}

// Answers the client as a polite server does up to the first line that
// starts with `until`, which is left unanswered. False when the client
// went away first.
bool PoliteUntil(SOCKET s, const std::string& until) {
    SendAll(s, "220 ready\r\n");
    std::string pending;
    bool inData = false;
    for (;;) {
        for (size_t end; (end = pending.find("\r\n")) != std::string::npos;) {
            const std::string line = pending.substr(0, end);
            pending.erase(0, end + 2);
            if (inData && line != ".") continue;
            if (line.rfind(until, 0) == 0) return true;
            inData = line == "DATA";
            SendAll(s, inData ? "354 go ahead\r\n" : "250 ok\r\n");
        }
        char buffer[4096];
        const int n = recv(s, buffer, sizeof buffer, 0);
        if (n <= 0) return false;
        pending.append(buffer, static_cast<size_t>(n));
    }
}

// Sends one byte a second until the client goes away or all are sent.
void Trickle(SOCKET s, const std::string& bytes) {
    for (char byte : bytes) {
        if (send(s, &byte, 1, 0) != 1) return;
        fd_set readable;
        FD_ZERO(&readable);
        FD_SET(s, &readable);
        timeval second{1, 0};
        char ignored;
        if (select(0, &readable, nullptr, nullptr, &second) == 1 && recv(s, &ignored, 1, 0) <= 0) return;
    }
}

int timerTicks = 0;

TEST_F(RealServer, HostileServersEndInBoundedTimeAndTheNextAlertIsDeliveredToAGoodOne) {
    std::string continuations;
    for (int i = 0; i < 100000; ++i) continuations += "250-more\r\n";
    const struct {
        const char* name;
        test::LoopbackServer::Session session;
        std::string error;  // the timed pass reports it in the memo
        bool waitsForTheTimeOut;
        const char* security = "None";
    } cases[] = {
        {"a 1 MB line",
         [](SOCKET s) {
             if (PoliteUntil(s, "MAIL FROM")) SendAll(s, "250 " + std::string(1 << 20, 'x') + "\r\n");
         },
         "Invalid server reply: line too long", false},
        {"100000 continuation lines",
         [&](SOCKET s) {
             if (PoliteUntil(s, "HELO")) SendAll(s, continuations + "250 end\r\n");
         },
         "Invalid server reply: too many lines", false},
        {"one byte a second",
         [](SOCKET s) {
             if (PoliteUntil(s, "DATA")) Trickle(s, "354 go ahead\r\n");
         },
         "Server reply Timed out", true},
        {"closed in the middle of a reply",
         [](SOCKET s) {
             if (PoliteUntil(s, "HELO")) SendAll(s, "250-mail.example.org\r\n250-SI");
         },
         "Connection closed by server", false},
        {"reset after the data",
         [](SOCKET s) {
             if (!PoliteUntil(s, ".")) return;
             const linger reset{1, 0};
             setsockopt(s, SOL_SOCKET, SO_LINGER, reinterpret_cast<const char*>(&reset), sizeof reset);
         },
         "Connection closed by server", false},
        {"silent in the TLS handshake",
         [](SOCKET s) {
             char buffer[4096];
             while (recv(s, buffer, sizeof buffer, 0) > 0) {
             }
         },
         "TLS handshake failed: Server reply Timed out", true, "TLS"},
        {"endless TLS records of garbage",
         [](SOCKET s) {
             char hello[512];
             if (recv(s, hello, sizeof hello, 0) <= 0) return;
             std::string record = "\x16\x03\x03\x40\x00";
             record += std::string(0x4000, '\x5a');
             for (int i = 0; i < 64; ++i) SendAll(s, record);
         },
         "TLS handshake failed: the security package stopped with error 0x80090304", false, "TLS"},
    };
    const std::string goodPort = host.store.values["EMailSMTPPort"];
    // The window's messages, here a timer's, go on while the client waits.
    const UINT_PTR timer = SetTimer(nullptr, 0, 50, [](HWND, UINT, UINT_PTR, DWORD) { ++timerTicks; });
    for (const auto& row : cases) {
        SCOPED_TRACE(row.name);
        std::string error;
        {
            test::LoopbackServer hostile(row.session);
            host.store.values["EMailSMTPPort"] = std::to_string(hostile.Port());
            host.store.values["EMailSMTPSecurity"] = row.security;
            client->TimeOut = 2000;
            const int ticks = timerTicks;
            const auto start = std::chrono::steady_clock::now();
            try {
                alerts.SendFailureAlert("\\\\SRV1", row.name);
            } catch (const AppError& e) {
                error = e.what();
            }
            const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
            std::printf("%-32s %5.2f s  %s\n", row.name, took.count(), error.c_str());
            if (row.waitsForTheTimeOut) {
                EXPECT_GT(timerTicks, ticks);
            }
        }
        EXPECT_EQ(error, row.error);
        EXPECT_TRUE(host.memo.lines.empty()) << host.memo.lines.front();
        EXPECT_FALSE(client->Connected());

        host.store.values["EMailSMTPPort"] = goodPort;
        host.store.values["EMailSMTPSecurity"] = "None";
        client->TimeOut = TNMSMTP::kDefaultTimeOut;
        const std::string service = std::string("after ") + row.name;
        alerts.SendFailureAlert("\\\\SRV1", service);
        EXPECT_NE(NextMail().find(AlertLine("\\\\SRV1", service)), std::string::npos);
        EXPECT_EQ(host.memo.lines, std::vector<std::string>{"08/12/2026  14:05 EMAIL SENT TO Operators <ops@example.org>"});
        host.memo.lines.clear();
    }
    KillTimer(nullptr, timer);
}

}  // namespace
}  // namespace vigilor
