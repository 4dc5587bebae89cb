// Alert mails delivered to a real SMTP server on the loopback.
#include <gtest/gtest.h>

#include "tests/support/test_alert_host.h"

#include "notify/email_alerts.h"
#include "notify/smtp_socket_win.h"
#include "tests/support/memory_store.h"
#include "tests/support/wine_paths.h"

namespace vigilor {
namespace {


class QuietChannels : public NotificationChannels {
public:
    void LogAppEvent(const std::string& message) override { events.push_back(message); }
    bool SendScreenMessage(const std::string&, const std::string&) override { return false; }
    bool FileExists(const std::string&) override { return false; }
    int RunAndWait(const std::string&, int) override { return 0; }
    void ShellLaunch(const std::string&, const std::string&, const std::string&, int) override {}
    LocalTime Now() override { return {2026, 12, 8, 14, 5, 9, 2}; }
    std::vector<std::string> events;
};

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
    QuietChannels channels;
    std::unique_ptr<TNMSMTP> client = MakeSmtpClient();
    EmailAlerts alerts{host, channels, *client};
};
int RealServer::received = 0;

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

}  // namespace
}  // namespace vigilor
