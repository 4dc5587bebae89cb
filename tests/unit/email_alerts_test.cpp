#include <gtest/gtest.h>

#include <functional>
#include <set>

#include "notify/email_alerts.h"
#include "platform/app_error.h"
#include "tests/support/error_of.h"
#include "tests/support/memory_store.h"
#include "tests/support/scripted_smtp_socket.h"

namespace vigilor {
namespace {

using test::ErrorOf;
using test::ScriptedSocket;

// Everything the alerts do to the window and the system, in one sequence.
using Journal = std::vector<std::string>;

class JournalStore : public KeyValueStore {
public:
    JournalStore(test::MemoryStore& inner, Journal& journal) : inner_(inner), journal_(journal) {
        journal_.push_back("store open");
    }
    ~JournalStore() override { journal_.push_back("store closed"); }
    std::optional<std::string> Read(const std::string& name) override { return inner_.Read(name); }
    void Write(const std::string& name, const std::string& value) override { inner_.Write(name, value); }
    void Remove(const std::string& name) override { inner_.Remove(name); }
    std::vector<std::string> Names() override { return inner_.Names(); }

private:
    test::MemoryStore& inner_;
    Journal& journal_;
};

class ListMemo : public FailureMemo {
public:
    int DisplayedLineCount() override { return static_cast<int>(lines.size()); }
    void AppendLine(const std::string& line) override { lines.push_back(line); }
    std::vector<std::string> Lines() override { return lines; }
    std::vector<std::string> lines;
};

class FakeHost : public AlertHost {
public:
    explicit FakeHost(Journal& j) : journal(j) {}
    ProgramSettings& Settings() override { return settings; }
    AlertedList& Alerted() override { return alerted; }
    FailureMemo& Memo() override { return memo; }
    std::string VersionText() override { return "1.0.0.1"; }
    std::unique_ptr<KeyValueStore> OpenStore() override { return std::make_unique<JournalStore>(store, journal); }
    void ShowStatus(const std::string& text) override { journal.push_back("status [" + text + "]"); }
    void RepaintNow() override { journal.push_back("repaint"); }
    void ShowError(const std::string& text) override { journal.push_back("error box: " + text); }
    void ShowAlarm() override { journal.push_back("alarm"); }
    ScreenCursor CurrentCursor() override { return cursor; }
    void SetCursor(ScreenCursor c) override {
        cursor = c;
        journal.push_back(c == ScreenCursor::Hourglass ? "hourglass" : c == ScreenCursor::Default ? "cursor default"
                                                                                                  : "cursor other");
    }

    Journal& journal;
    ProgramSettings settings;
    AlertedList alerted;
    ListMemo memo;
    test::MemoryStore store;
    ScreenCursor cursor = ScreenCursor::Default;
};

class FakeChannels : public NotificationChannels {
public:
    explicit FakeChannels(Journal& j) : journal(j) {}
    void WriteEvent(const AppEvent& entry) override { journal.push_back("event: " + entry.text); }
    bool SendScreenMessage(const std::string& message, const std::string& recipient) override {
        journal.push_back("screen to " + recipient + ": " + message);
        return false;
    }
    bool FileExists(const std::string& path) override { return files.count(path) != 0; }
    RunResult RunAndWait(const std::string& commandLine, int showMode) override {
        journal.push_back("run and wait: " + commandLine + " show " + std::to_string(showMode));
        return run;
    }
    void ShellLaunch(const std::string& file, const std::string& parameters, const std::string& directory,
                     int showMode) override {
        journal.push_back("shell: " + file + "|" + parameters + "|" + directory + "|" + std::to_string(showMode));
    }
    LocalTime Now() override { return {2026, 12, 8, 14, 5, 9, 2}; }

    Journal& journal;
    std::set<std::string> files;
    RunResult run{RunResult::End::Exited, 0};
};

// A server that takes the mail for the given number of recipients.
std::deque<std::string> Accepting(int recipients) {
    std::deque<std::string> replies = {"250 hi\r\n", "250 reset\r\n", "250 sender\r\n"};
    for (int i = 0; i < recipients; ++i) replies.push_back("250 rcpt\r\n");
    for (const char* r : {"354 go\r\n", "250 queued\r\n", "221 bye\r\n"}) replies.push_back(r);
    return replies;
}

class Alerts : public ::testing::Test {
protected:
    Alerts() {
        auto& s = host.store.values;
        s["EMailSMTPHost"] = "127.0.0.1";
        s["EMailSMTPPort"] = "2525";
        s["EMailSMTPID"] = "monitor-host";
        s["EMailLocalName"] = "Vigilor Monitor";
        s["EMailLocalAddr"] = "vigilor@example.org";
        s["EMailTo"] = "ops@example.org";
        host.settings.emailTo = "ops@example.org";
        host.settings.notifyLogin = "operator";
        host.settings.launchApp = "C:\\Tools\\Pager Kit\\page.exe";
        host.settings.launchAppActive = true;
        channels.files.insert(host.settings.launchApp);
        Mail(Accepting(1));
    }
    void Mail(std::deque<std::string> replies, std::string greeting = "220 ready\r\n") {
        smtpLog = {};
        auto s = std::make_unique<ScriptedSocket>(smtpLog, greeting, std::move(replies));
        socket = s.get();
        client = std::make_unique<TNMSMTP>(std::move(s));
        alerts = std::make_unique<EmailAlerts>(host, channels, *client);
    }
    void UseMail() { host.settings.notifyByMail = true, host.settings.screenNotify = false; }
    void UseScreen() { host.settings.notifyByMail = true, host.settings.screenNotify = true; }
    void UseNothing() { host.settings.notifyByMail = false; }
    std::vector<std::string> Only(const std::string& prefix) const {
        std::vector<std::string> out;
        for (const auto& e : journal)
            if (e.rfind(prefix, 0) == 0) out.push_back(e);
        return out;
    }
    size_t IndexOf(const std::string& entry) const {
        return static_cast<size_t>(std::find(journal.begin(), journal.end(), entry) - journal.begin());
    }
    size_t LastIndexOf(const std::string& entry) const {
        return journal.size() - 1 - static_cast<size_t>(std::find(journal.rbegin(), journal.rend(), entry) - journal.rbegin());
    }
    bool MailSent() const { return smtpLog.sent.find("DATA\r\n") != std::string::npos; }

    Journal journal;
    FakeHost host{journal};
    FakeChannels channels{journal};
    ScriptedSocket::Log smtpLog;
    ScriptedSocket* socket = nullptr;
    std::unique_ptr<TNMSMTP> client;
    std::unique_ptr<EmailAlerts> alerts;
};

const std::string kStoppedLine = "The service \"Spooler\" on \\\\SRV1 has stopped responding !";
const std::string kLaunchRun = "run and wait: C:\\Tools\\Pager Kit\\page.exe show 5";

TEST(AlertTexts, LinesOfFailureAndRestart) {
    EXPECT_EQ(AlertLine("\\\\SRV1", "Spooler"), kStoppedLine);
    EXPECT_EQ(AlertLine("\\\\SRV1", "IsNotAlive"), "\\\\SRV1 has stopped responding!");
    EXPECT_EQ(RestartLine("\\\\SRV1", "Spooler"), "The service \"Spooler\" on \\\\SRV1 was successsfully restarted !");
}

TEST_F(Alerts, RowAlreadyAlertedDoesNothing) {
    UseMail();
    host.alerted.Add("\\\\SRV1@Spooler");
    alerts->SendFailureAlert("\\\\SRV1", "Spooler");
    EXPECT_EQ(journal, (Journal{"store open", "store closed"})) << "only the validation reads the store";
    EXPECT_FALSE(MailSent());
}

TEST_F(Alerts, RowNotificationOffWritesTheEventAndLaunches) {
    UseNothing();
    alerts->SendFailureAlert("\\\\SRV1", "Spooler");
    EXPECT_EQ(Only("event"), Journal{"event: " + kStoppedLine});
    EXPECT_TRUE(Only("screen").empty());
    EXPECT_FALSE(MailSent());
    EXPECT_EQ(Only("run"), Journal{kLaunchRun});
    EXPECT_TRUE(host.alerted.Contains("\\\\SRV1@Spooler"));
}

TEST_F(Alerts, RowMailSendsThenWritesTheEventThenLaunches) {
    UseMail();
    alerts->SendFailureAlert("\\\\SRV1", "Spooler");
    EXPECT_TRUE(MailSent());
    EXPECT_TRUE(Only("screen").empty());
    const size_t event = IndexOf("event: " + kStoppedLine);
    EXPECT_LT(event, IndexOf(kLaunchRun));
    EXPECT_LT(IndexOf("hourglass"), IndexOf("status [ Sending e-mail to ops@example.org]"));
    EXPECT_LT(IndexOf("status [ Sending e-mail to ops@example.org]"), IndexOf("repaint"));
    EXPECT_LT(event, IndexOf("status [ ]"));
    EXPECT_EQ(host.cursor, ScreenCursor::Default);
    EXPECT_EQ(host.memo.lines, Journal{"08/12/2026  14:05 EMAIL SENT TO ops@example.org"});
}

TEST_F(Alerts, RowScreenSendsTheAlertLineToTheLoginAndLaunches) {
    UseScreen();
    host.settings.execAndWait = false;
    alerts->SendFailureAlert("\\\\SRV1", "IsNotAlive");
    EXPECT_TRUE(Only("event").empty());
    EXPECT_FALSE(MailSent());
    EXPECT_EQ(Only("screen"), Journal{"screen to operator: \\\\SRV1 has stopped responding!"});
    EXPECT_EQ(Only("shell"), Journal{"shell: C:\\Tools\\Pager Kit\\page.exe||C:\\Tools\\Pager Kit\\|5"});
}

TEST_F(Alerts, RowRestartNoticeAlwaysLogsMailsOnlyByMailAndNeverLaunches) {
    for (int mode = 0; mode < 3; ++mode) {
        journal.clear();
        Mail(Accepting(1));
        if (mode == 0) UseNothing();
        if (mode == 1) UseScreen();
        if (mode == 2) UseMail();
        alerts->SendRestartNotice("\\\\SRV1", "Spooler");
        EXPECT_EQ(Only("event"), Journal{"event: The service \"Spooler\" on \\\\SRV1 was successsfully restarted !"});
        EXPECT_EQ(MailSent(), mode == 2) << mode;
        EXPECT_TRUE(Only("screen").empty());
        EXPECT_TRUE(Only("run").empty());
        EXPECT_TRUE(Only("shell").empty());
    }
    EXPECT_NE(smtpLog.sent.find("Subject: NT Service Auto-Restart successful\r\n"), std::string::npos);
    EXPECT_NE(smtpLog.sent.find("\r\n\r\n\r\n** NT SERVICE AUTO-RESTART ** \r\n\r\nThe service \"Spooler\" on "
                                "\\\\SRV1 was successsfully restarted !\r\n\r\nVigilor v.1.0.0.1\r\n.\r\n"),
              std::string::npos)
        << smtpLog.sent;
}

TEST_F(Alerts, AnAlertFiresOnceUntilResetAndARestartSilencesALaterFailure) {
    UseNothing();
    alerts->SendFailureAlert("\\\\SRV1", "Spooler");
    alerts->SendFailureAlert("\\\\SRV1", "Spooler");
    EXPECT_EQ(Only("event").size(), 1u);
    host.alerted.Clear();  // Reset
    alerts->SendFailureAlert("\\\\SRV1", "Spooler");
    EXPECT_EQ(Only("event").size(), 2u);

    alerts->SendRestartNotice("\\\\SRV2", "Browser");
    journal.clear();
    alerts->SendFailureAlert("\\\\SRV2", "Browser");
    EXPECT_TRUE(Only("event").empty());
}

TEST_F(Alerts, CountedByKindOnlyWhenTheAlertedListLetsThemThrough) {
    UseNothing();
    alerts->SendFailureAlert("\\\\SRV1", "Spooler");
    alerts->SendFailureAlert("\\\\SRV1", "Spooler");
    alerts->SendAlert({"\\\\SRV1@Gone@NotFound", AlertEvent("gone"), "** NT SERVICE FAULT ** ", "NT Service Not Found!"});
    alerts->SendFailureAlert("\\\\SRV2", "IsNotAlive");
    alerts->SendFailureAlert("\\\\SRV2", "IsNotAlive");
    alerts->SendRestartNotice("\\\\SRV3", "Browser");
    alerts->SendRestartNotice("\\\\SRV3", "Browser");
    alerts->SendFailureAlert("\\\\SRV3", "Browser");  // silenced by the notice
    const AlertCounts& raised = alerts->Raised();
    EXPECT_EQ(raised.failure, 2u);
    EXPECT_EQ(raised.down, 1u);
    EXPECT_EQ(raised.restart, 2u) << "a notice consults no list";
}

TEST_F(Alerts, StoredSecurityAndPasswordChooseTheDialogue) {
    UseMail();
    host.store.values["EMailSMTPPwd"] = ScramblePassword("pw");
    const struct {
        const char* stored;
        std::deque<std::string> replies;
        const char* opening;
    } cases[] = {
        {" starttls ",
         {"250-hi\r\n250 STARTTLS\r\n", "220 go\r\n", "250-hi\r\n250 AUTH PLAIN\r\n", "235 ok\r\n"},
         "EHLO client.test\r\nSTARTTLS\r\n<TLS>127.0.0.1\r\nEHLO client.test\r\nAUTH PLAIN "
         "AG1vbml0b3ItaG9zdABwdw==\r\nRSET\r\n"},
    };
    for (const auto& test : cases) {
        SCOPED_TRACE(test.stored);
        host.store.values["EMailSMTPSecurity"] = test.stored;
        std::deque<std::string> replies = test.replies;
        for (const std::string& r : Accepting(1)) replies.push_back(r);
        replies.erase(replies.begin() + static_cast<long>(test.replies.size()));  // its "250 hi"
        Mail(replies);
        host.alerted.Clear();
        alerts->SendFailureAlert("\\\\SRV1", "Spooler");
        EXPECT_TRUE(smtpLog.sent.starts_with(test.opening)) << smtpLog.sent;
        EXPECT_TRUE(smtpLog.sent.ends_with("QUIT\r\n")) << smtpLog.sent;
    }

    // A value that names none of the three sends nothing, not even in plain
    // text; the alert still goes to the event log.
    host.store.values["EMailSMTPSecurity"] = "SSL";
    Mail(Accepting(1));
    host.alerted.Clear();
    journal.clear();
    EXPECT_EQ(ErrorOf([&] { alerts->SendFailureAlert("\\\\SRV1", "Spooler"); }),
              "Unknown mail security \"SSL\" in EMailSMTPSecurity: choose None, STARTTLS or TLS in the settings");
    EXPECT_EQ(smtpLog.connectedTo, "");
    EXPECT_EQ(Only("event: "),
              std::vector<std::string>{"event: The service \"Spooler\" on \\\\SRV1 has stopped responding !"});
}

TEST_F(Alerts, FailureMailContent) {
    UseMail();
    host.store.values["EMailcc"] = " chief@example.org ";
    host.store.values["EMailBcc"] = "audit@example.org";
    Mail(Accepting(3));
    alerts->SendFailureAlert("\\\\SRV1", "Spooler");
    EXPECT_EQ(client->Port, 2525);
    EXPECT_EQ(smtpLog.connectedTo, "127.0.0.1:2525");
    EXPECT_EQ(smtpLog.sent,
              "HELO monitor-host\r\nRSET\r\nMAIL FROM:<vigilor@example.org>\r\n"
              "RCPT TO:<ops@example.org>\r\nRCPT TO:< chief@example.org >\r\nRCPT TO:<audit@example.org>\r\n"
              "DATA\r\n"
              "From: Vigilor Monitor<vigilor@example.org>\r\n"
              "To: ops@example.org\r\n"
              "CC:  chief@example.org \r\n"
              "Subject: NT Service Failure Alert!\r\n"
              "X-Mailer: Vigilor v.1.0.0.1\r\n"
              "Date: Tue, 08 Dec 2026 14:05:09\r\n"
              "Mime-Version: 1.0\r\n"
              "Content-Type: text/plain; charset=us-ascii\r\n"
              "\r\n\r\n"
              "** NT SERVICE FAULT ** \r\n\r\n" +
                  kStoppedLine + "\r\n\r\nVigilor v.1.0.0.1\r\n.\r\nQUIT\r\n");
    EXPECT_EQ(alerts->MailText(),
              (Journal{"** NT SERVICE FAULT ** ", "", kStoppedLine, "", "Vigilor v.1.0.0.1"}));
}

TEST_F(Alerts, MachineDownMailAndBlankCopies) {
    UseMail();
    host.store.values["EMailcc"] = "   ";
    alerts->SendFailureAlert("\\\\SRV1", "IsNotAlive");
    EXPECT_NE(smtpLog.sent.find("Subject: NT Server is DOWN!\r\n"), std::string::npos);
    EXPECT_NE(smtpLog.sent.find("** NT SERVER IS DOWN ** \r\n"), std::string::npos);
    EXPECT_EQ(smtpLog.sent.find("CC:"), std::string::npos);
}

TEST_F(Alerts, MissingRecipientAtSendingTimeLogsTheEventAndStops) {
    UseMail();
    host.store.values.erase("EMailTo");
    alerts->SendFailureAlert("\\\\SRV1", "Spooler");
    EXPECT_EQ(Only("error box"), (Journal{"error box: No Recipient (TO) defined! Please check your email parameters.",
                                          "error box: No Recipient (TO) defined! Please check your parameters."}));
    EXPECT_FALSE(alerts->MailSettingsValid());
    EXPECT_EQ(Only("event"), Journal{"event: " + kStoppedLine});
    EXPECT_TRUE(Only("run").empty());
    EXPECT_EQ(journal.back(), "cursor default");
    EXPECT_TRUE(smtpLog.sent.empty());
}

TEST_F(Alerts, MissingHostOrSenderAtSendingTime) {
    UseMail();
    host.store.values["EMailLocalName"] = "  ";
    alerts->SendFailureAlert("\\\\SRV1", "Spooler");
    EXPECT_EQ(Only("error box").back(), "error box: No Sender (FROM) defined! Please check your parameters.");
    host.store.values.erase("EMailSMTPHost");
    alerts->SendFailureAlert("\\\\SRV1", "Other");
    EXPECT_EQ(Only("error box").back(), "error box: No SMTP host defined! Please check your parameters.");
    EXPECT_TRUE(smtpLog.sent.empty());
}

TEST_F(Alerts, RefusalAfterTheDataWarnsDisablesMailLogsAndRaisesWithoutLaunch) {
    UseMail();
    std::deque<std::string> replies = {"250 hi\r\n", "250 ok\r\n", "250 ok\r\n", "250 ok\r\n",
                                       "354 go\r\n",  "554 no thanks\r\n", "221 bye\r\n"};
    for (const auto& reply : Accepting(1)) replies.push_back(reply);
    Mail(replies);
    host.memo.lines = {"05/03/2026  09:07 \"Spooler\" on \\\\SRV1 is stopped", "second row"};
    try {
        alerts->SendFailureAlert("\\\\SRV1", "Spooler");
        FAIL() << "no error";
    } catch (const AppError& e) {
        EXPECT_STREQ(e.what(), "554 no thanks");
    }
    EXPECT_FALSE(host.settings.notifyByMail);
    EXPECT_EQ(Only("alarm").size(), 1u);
    EXPECT_EQ(host.memo.lines.back(), "08/12/2026  14:05 WARNING --> SMTP *Sendmail* failed to ops@example.org");
    EXPECT_EQ(host.memo.lines[2], "-------------------------------------");
    EXPECT_EQ(Only("event"), Journal{"event: " + kStoppedLine});
    EXPECT_TRUE(Only("run").empty());
    EXPECT_EQ(journal.back(), "cursor default");
    EXPECT_LT(IndexOf("status [ ]"), LastIndexOf("store closed"));

    // The client did not stay connected: the next mail alert goes out.
    host.settings.notifyByMail = true;
    alerts->SendFailureAlert("\\\\SRV1", "Other");
    EXPECT_EQ(host.memo.lines.back(), "08/12/2026  14:05 EMAIL SENT TO ops@example.org");
}

TEST_F(Alerts, EveryClientConditionHasItsWarningLine) {
    UseMail();
    Mail({"250 hi\r\n", "250 ok\r\n", "250 ok\r\n", "550 unknown\r\n", "354 go\r\n", "250 ok\r\n", "221 bye\r\n"});
    alerts->SendFailureAlert("\\\\SRV1", "Spooler");
    EXPECT_EQ(host.memo.lines, (Journal{"08/12/2026  14:05 WARNING --> SMTP Recipient not found on specified Host",
                                        "08/12/2026  14:05 EMAIL SENT TO ops@example.org"}));
    EXPECT_FALSE(host.settings.notifyByMail);
    EXPECT_EQ(Only("run"), Journal{kLaunchRun});

    const struct {
        std::deque<std::string> replies;
        std::string greeting;
        std::string host;
        WaitOutcome lookup;
        std::string warning;
        std::string error;
    } cases[] = {
        {{"501 no\r\n", "221 bye\r\n"}, "220 ready\r\n", "127.0.0.1", WaitOutcome::Done,
         "WARNING --> SMTP authentication has failed specified Host", "Authentication failed"},
        {{}, "220 ready\r\n", "no-such-mail-host", WaitOutcome::Failed, "WARNING --> Invalid SMTP host specified", "Null Remote Address"},
    };
    for (const auto& c : cases) {
        journal.clear();
        host.memo.lines.clear();
        host.alerted.Clear();
        UseMail();
        Mail(c.replies, c.greeting);
        socket->lookup = c.lookup;
        host.store.values["EMailSMTPHost"] = c.host;
        EXPECT_THROW(
            {
                try {
                    alerts->SendFailureAlert("\\\\SRV1", "Spooler");
                } catch (const AppError& e) {
                    EXPECT_EQ(e.what(), c.error);
                    throw;
                }
            },
            AppError);
        EXPECT_EQ(host.memo.lines, Journal{"08/12/2026  14:05 " + c.warning});
        EXPECT_FALSE(host.settings.notifyByMail);
        EXPECT_EQ(Only("event").size(), 1u);
    }
}

TEST_F(Alerts, ConnectionFailureWarns) {
    UseMail();
    auto socket = std::make_unique<ScriptedSocket>(smtpLog, "", std::deque<std::string>{});
    socket->connect = WaitOutcome::Failed;
    client = std::make_unique<TNMSMTP>(std::move(socket));
    alerts = std::make_unique<EmailAlerts>(host, channels, *client);
    EXPECT_THROW(alerts->SendFailureAlert("\\\\SRV1", "Spooler"), AppError);
    EXPECT_EQ(host.memo.lines, Journal{"08/12/2026  14:05 WARNING --> SMTP Connection failed"});
}

TEST_F(Alerts, ValidationOrderAndMessages) {
    const std::pair<const char*, const char*> order[] = {
        {"EMailSMTPHost", "No SMTP host defined! Please check your parameters."},
        {"EMailLocalName", "No Sender (FROM) defined! Please check your email parameters."},
        {"EMailTo", "No Recipient (TO) defined! Please check your email parameters."},
        {"EMailSMTPPort", "No SMTP port defined! Please check your email parameters."},
        {"EMailSMTPID", "No SMTP ID defined! Please check your email parameters."},
        {"EMailLocalAddr", "No Sender information (Local Address) defined! Please check your email parameters."},
    };
    alerts->ValidateMailSettings();
    EXPECT_TRUE(alerts->MailSettingsValid());
    host.store.values["EMailSMTPPort"] = "abc";
    alerts->ValidateMailSettings();
    EXPECT_TRUE(alerts->MailSettingsValid()) << "a port that is no number reads as 25";
    for (const auto& [name, message] : order) host.store.values[name] = name == std::string("EMailSMTPPort") ? "0" : " ";
    for (const auto& [name, message] : order) {
        journal.clear();
        alerts->ValidateMailSettings();
        EXPECT_FALSE(alerts->MailSettingsValid());
        EXPECT_EQ(Only("error box"), Journal{std::string("error box: ") + message});
        host.store.values[name] = name == std::string("EMailSMTPPort") ? "25" : "x";
    }
    alerts->ValidateMailSettings();
    EXPECT_TRUE(alerts->MailSettingsValid());
}

TEST_F(Alerts, ScreenMethodWithIncompleteMailSettingsShowsTheBoxThenSends) {
    UseScreen();
    host.store.values.clear();
    alerts->SendFailureAlert("\\\\SRV1", "Spooler");
    EXPECT_LT(IndexOf("error box: No SMTP host defined! Please check your parameters."),
              IndexOf("screen to operator: " + kStoppedLine));
}

TEST_F(Alerts, UnattendedEveryBoxBecomesAReportAndAnEventOnceAPass) {
    const std::string noHost = "No SMTP host defined! Please check your parameters.";
    const std::string noSender = "No Sender (FROM) defined! Please check your parameters.";
    const std::string noSenderShort = "No Sender (FROM) defined! Please check your email parameters.";
    const std::string noRecipient = "No Recipient (TO) defined! Please check your parameters.";
    const std::string noRecipientShort = "No Recipient (TO) defined! Please check your email parameters.";
    const struct {
        const char* name;
        std::function<void()> setUp;
        std::vector<std::string> told;
    } cases[] = {
        {"notification off, no mail settings",
         [this] {
             UseNothing();
             host.store.values.clear();
         },
         {noHost}},
        {"mail on, no host",
         [this] {
             UseMail();
             host.store.values.erase("EMailSMTPHost");
         },
         {noHost}},
        {"mail on, no sender",
         [this] {
             UseMail();
             host.store.values.erase("EMailLocalName");
         },
         {noSenderShort, noSender}},
        {"mail on, no recipient",
         [this] {
             UseMail();
             host.store.values.erase("EMailTo");
         },
         {noRecipientShort, noRecipient}},
    };
    const auto complete = host.store.values;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        host.store.values = complete;
        journal.clear();
        host.memo.lines.clear();
        host.alerted.Clear();
        c.setUp();
        for (int pass = 0; pass < 2; ++pass) {
            alerts->BeginPass(Attendance::Unattended);
            alerts->SendFailureAlert("\\SRV1", "Spooler");
            alerts->SendFailureAlert("\\SRV1", "Browser");
            alerts->SendRestartNotice("\\SRV1", "Server");
            alerts->EndPass();
        }
        EXPECT_TRUE(Only("error box").empty());
        std::vector<std::string> reports, events;
        for (int pass = 0; pass < 2; ++pass) {
            for (const auto& text : c.told) {
                reports.push_back("08/12/2026  14:05 " + text);
                events.push_back("event: " + text);
            }
        }
        std::vector<std::string> toldEvents;
        for (const auto& e : Only("event: No ")) toldEvents.push_back(e);
        EXPECT_EQ(toldEvents, events) << "each text once a pass, in every pass";
        std::vector<std::string> toldReports;
        for (const auto& line : host.memo.lines)
            if (line.find(" No ") != std::string::npos) toldReports.push_back(line);
        EXPECT_EQ(toldReports, reports);
        EXPECT_TRUE(smtpLog.sent.empty());
    }

    journal.clear();
    alerts->BeginPass(Attendance::Attended);
    alerts->SendFailureAlert("\\SRV1", "Forced");
    alerts->SendFailureAlert("\\SRV1", "Forced again");
    alerts->EndPass();
    EXPECT_EQ(Only("error box").size(), 3u)
        << "a user at the screen gets the boxes: the settings' check once a pass, then each mail's own";
    journal.clear();
    alerts->ValidateMailSettings();
    EXPECT_EQ(Only("error box").size(), 1u) << "outside a pass someone is at the screen";
}

TEST_F(Alerts, AWaitedProgramStillRunningAtTheBoundIsReportedAndLeft) {
    UseNothing();
    channels.run = {RunResult::End::StillRunning};
    alerts->SendFailureAlert("\\SRV1", "Spooler");
    EXPECT_EQ(Only("run"), Journal{kLaunchRun});
    EXPECT_EQ(host.memo.lines, Journal{"08/12/2026  14:05 \"C:\\Tools\\Pager Kit\\page.exe\" still runs after 5 "
                                       "minutes; the check goes on without waiting for it"});
    channels.run = {RunResult::End::Exited, 3};
    alerts->SendFailureAlert("\\SRV1", "Other");
    EXPECT_EQ(host.memo.lines.size(), 1u) << "nothing to say of a program that ended";
}

TEST_F(Alerts, LaunchNeedsTheSwitchAndAnExistingFile) {
    UseNothing();
    host.settings.launchApp = "";
    alerts->SendFailureAlert("\\\\SRV1", "A");
    host.settings.launchApp = "C:\\missing.exe";
    alerts->SendFailureAlert("\\\\SRV1", "B");
    host.settings.launchApp = "C:\\Tools\\Pager Kit\\page.exe";
    host.settings.launchAppActive = false;
    alerts->SendFailureAlert("\\\\SRV1", "C");
    EXPECT_TRUE(Only("run").empty());
    EXPECT_TRUE(Only("shell").empty());
}

TEST_F(Alerts, RestartNoticeRestoresTheRememberedCursor) {
    UseMail();
    host.cursor = ScreenCursor::Other;
    alerts->SendRestartNotice("\\\\SRV1", "Spooler");
    EXPECT_EQ(host.cursor, ScreenCursor::Other);
    host.store.values.erase("EMailTo");
    alerts->SendRestartNotice("\\\\SRV1", "Spooler");
    EXPECT_EQ(host.cursor, ScreenCursor::Other);
    EXPECT_EQ(Only("error box").back(), "error box: No Recipient (TO) defined! Please check your parameters.");
}

}  // namespace
}  // namespace vigilor
