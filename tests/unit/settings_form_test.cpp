#include <gtest/gtest.h>

#include "config/settings_form.h"
#include "tests/support/memory_store.h"

namespace vigilor {
namespace {

// Remembers the order in which values were written.
class RecordingStore : public test::MemoryStore {
public:
    void Write(const std::string& name, const std::string& value) override {
        order.push_back(name);
        MemoryStore::Write(name, value);
    }
    std::vector<std::string> order;
};

TEST(SettingsForm, AFirstRunShowsTheDefaultsAndRefreshesMemory) {
    test::MemoryStore raw;
    SettingsStore store(raw);
    ProgramSettings memory;
    memory.screenNotify = false;
    memory.emailTo = "old";
    const SettingsForm form = ReadSettingsForm(store, "alice", memory);
    EXPECT_TRUE(form.notifyByMail);
    EXPECT_TRUE(form.screenMethod);
    EXPECT_EQ(form.scanInterval, 1);
    EXPECT_EQ(form.port, "25");
    EXPECT_EQ(form.security, SmtpSecurity::None);
    EXPECT_EQ(form.notifyLogin, "alice");
    EXPECT_TRUE(form.execAndWait);
    EXPECT_FALSE(form.launchAppActive);
    EXPECT_FALSE(form.htmlOutputEnabled);
    EXPECT_EQ(form.htmlOutput, "not defined");
    EXPECT_FALSE(form.metricsOutputEnabled);
    EXPECT_EQ(form.metricsOutput, "");
    EXPECT_TRUE(memory.screenNotify);
    EXPECT_EQ(memory.emailTo, "");
    EXPECT_EQ(memory.notifyLogin, "alice");
}

TEST(SettingsForm, StoredValuesAreShownAsTheUserTypedThem) {
    test::MemoryStore raw;
    raw.values = {{"EMailSMTPPwd", ScramblePassword("s3cret")}, {"EMailcc", "cc@example.org"},
                  {"EMailTo", "  ops@example.org "}, {"ScanInterval", "75"}, {"EMailSMTPPort", "x"},
                  {"ScreenNotify", "0"}, {"EMailSMTPSecurity", "StartTLS"}, {"RestartAlertCount", "7"},
                  {"RestartAlertWindow", "0"}, {"MetricsOutputEnabled", "1"}, {"MetricsOutput", "C:\\m\\v.prom"}};
    SettingsStore store(raw);
    ProgramSettings memory;
    const SettingsForm form = ReadSettingsForm(store, "alice", memory);
    EXPECT_TRUE(form.metricsOutputEnabled);
    EXPECT_EQ(form.metricsOutput, "C:\\m\\v.prom");
    EXPECT_EQ(form.password, "s3cret");
    EXPECT_EQ(form.cc, "cc@example.org") << "written as EMailCc, read under either case";
    EXPECT_EQ(form.to, "  ops@example.org ");
    EXPECT_EQ(memory.emailTo, "ops@example.org");
    EXPECT_EQ(form.scanInterval, 1) << "the arrows go from 1 to 60";
    EXPECT_EQ(form.port, "25");
    EXPECT_FALSE(form.screenMethod);
    EXPECT_EQ(form.security, SmtpSecurity::StartTls);
    EXPECT_EQ(form.restartAlertCount, 7);
    EXPECT_EQ(form.restartAlertWindow, 60) << "a window of 0 minutes reads as the default";
}

SettingsForm CompleteMailForm() {
    SettingsForm form;
    form.screenMethod = false;
    form.smtpHost = "mail.example.org";
    form.userId = "monitor";
    form.senderName = "Vigilor";
    form.senderAddress = "vigilor@example.org";
    form.to = "ops@example.org";
    return form;
}

TEST(SettingsForm, ApplyChecksTheMailFieldsInOrderThenThePort) {
    struct Case {
        const char* name;
        std::function<void(SettingsForm&)> change;
        std::optional<SettingsField> field;
        const char* message;
    } cases[] = {
        {"complete", [](SettingsForm&) {}, std::nullopt, ""},
        {"all empty",
         [](SettingsForm& f) { f = SettingsForm{}; f.screenMethod = false; f.port = ""; },
         SettingsField::SmtpHost, "No SMTP host defined! Please check your parameters."},
        {"blank port", [](SettingsForm& f) { f.port = "  "; }, SettingsField::Port,
         "No Port defined! Please check your parameters."},
        {"user", [](SettingsForm& f) { f.userId = " "; }, SettingsField::UserId,
         "No User ID defined! Please check your parameters."},
        {"sender name", [](SettingsForm& f) { f.senderName = ""; }, SettingsField::SenderName,
         "No Sender Name defined! Please check your parameters."},
        {"sender address", [](SettingsForm& f) { f.senderAddress = ""; }, SettingsField::SenderAddress,
         "No Sender e-mail defined! Please check your parameters."},
        {"recipient", [](SettingsForm& f) { f.to = "\t"; }, SettingsField::Recipient,
         "No Recipient (TO) defined! Please check your parameters."},
        {"screen method skips the mail fields", [](SettingsForm& f) { f.screenMethod = true; f.smtpHost = ""; },
         std::nullopt, ""},
        {"notification off skips them", [](SettingsForm& f) { f.notifyByMail = false; f.to = ""; }, std::nullopt,
         ""},
        {"port 2525", [](SettingsForm& f) { f.port = "2525"; }, std::nullopt, ""},
        {"port not a number", [](SettingsForm& f) { f.port = "2x"; }, SettingsField::Port,
         "'2x' is not a valid integer value"},
        {"port 99999", [](SettingsForm& f) { f.port = "99999"; }, SettingsField::Port,
         "'99999' is not a valid port: give a number from 1 to 65535"},
        // Nothing to send by e-mail: the port is not looked at, so the user
        // is not sent to a tab that cannot be left.
        {"bad port with notification off", [](SettingsForm& f) { f.notifyByMail = false; f.port = "99999"; },
         std::nullopt, ""},
        {"bad port with the screen method", [](SettingsForm& f) { f.screenMethod = true; f.port = "x"; },
         std::nullopt, ""},
        // The exporters read ".prom" alone, in lower case.
        {"metrics file named .PROM", [](SettingsForm& f) { f.metricsOutputEnabled = true; f.metricsOutput = "C:\\m\\V.PROM"; },
         SettingsField::MetricsOutput, "The metrics file must end in \".prom\"! Please check your parameters."},
        {"metrics file named V.prom", [](SettingsForm& f) { f.metricsOutputEnabled = true; f.metricsOutput = "C:\\m\\V.prom"; },
         std::nullopt, ""},
        {"metrics file not .prom", [](SettingsForm& f) { f.metricsOutputEnabled = true; f.metricsOutput = "C:\\m\\v.prom.txt"; },
         SettingsField::MetricsOutput, "The metrics file must end in \".prom\"! Please check your parameters."},
        {"metrics file on without a name", [](SettingsForm& f) { f.metricsOutputEnabled = true; }, SettingsField::MetricsOutput,
         "The metrics file must end in \".prom\"! Please check your parameters."},
        {"metrics file off: its name is not looked at", [](SettingsForm& f) { f.metricsOutput = "v.txt"; }, std::nullopt, ""},
        {"the mail fields first", [](SettingsForm& f) { f.smtpHost = ""; f.metricsOutputEnabled = true; },
         SettingsField::SmtpHost, "No SMTP host defined! Please check your parameters."},
    };
    for (const Case& c : cases) {
        SettingsForm form = CompleteMailForm();
        c.change(form);
        const auto refusal = CheckApply(form);
        ASSERT_EQ(refusal.has_value(), c.field.has_value()) << c.name;
        if (refusal) {
            EXPECT_EQ(refusal->field, *c.field) << c.name;
            EXPECT_EQ(refusal->message, c.message) << c.name;
        }
    }
}

TEST(SettingsForm, APortIsAWholeNumberFrom1To65535WithBlanksOnEitherSide) {
    const struct {
        const char* text;
        std::optional<int> number;
        const char* refusal;
    } cases[] = {
        {"25", 25, ""},
        {"1", 1, ""},
        {"65535", 65535, ""},
        {" 587", 587, ""},
        {"587 ", 587, ""},
        {"\t465\t", 465, ""},
        {"0", std::nullopt, "'0' is not a valid port: give a number from 1 to 65535"},
        {"65536", std::nullopt, "'65536' is not a valid port: give a number from 1 to 65535"},
        {"99999 ", std::nullopt, "'99999 ' is not a valid port: give a number from 1 to 65535"},
        {"-25", std::nullopt, "'-25' is not a valid port: give a number from 1 to 65535"},
        {"", std::nullopt, "'' is not a valid integer value"},
        {"2 5", std::nullopt, "'2 5' is not a valid integer value"},
        {"2x", std::nullopt, "'2x' is not a valid integer value"},
        {"99999999999", std::nullopt, "'99999999999' is not a valid integer value"},
    };
    for (const auto& test : cases) {
        const PortField port = ReadPortField(test.text);
        EXPECT_EQ(port.number, test.number) << "'" << test.text << "'";
        EXPECT_EQ(port.refusal, test.refusal) << "'" << test.text << "'";
    }
}

TEST(SettingsForm, ApplyWritesEveryValueInItsOrderAndTextForm) {
    RecordingStore raw;
    SettingsStore store(raw);
    SettingsForm form = CompleteMailForm();
    form.port = " 2525";
    form.password = "pw";
    form.to = " ops@example.org ";
    form.scanInterval = 15;
    form.restartAlertCount = 0;
    form.restartAlertWindow = 120;
    form.htmlOutput = "not defined";
    form.metricsOutputEnabled = true;
    form.metricsOutput = "C:\\m\\v.prom";
    form.execAndWait = false;
    form.notifyLogin = "bob";
    form.security = SmtpSecurity::Tls;
    ProgramSettings memory;
    WriteSettingsForm(store, form, memory);
    EXPECT_EQ(raw.order,
              (std::vector<std::string>{"ScreenNotify", "NotifyLogin", "HTMLOutput", "HTMLOutputEnabled",
                                        "MetricsOutput", "MetricsOutputEnabled", "EMailSMTPSecurity", "EMailSMTPHost", "EMailSMTPPort", "EMailSMTPID",
                                        "NotifybyMail", "EMailSMTPPwd", "EMailTo", "EMailCc", "EMailBcc",
                                        "LaunchApp", "LaunchAppActive", "ExecAndWait", "EMailLocalName",
                                        "EMailLocalAddr", "ScanInterval", "RestartAlertCount",
                                        "RestartAlertWindow"}))
        << "the security before the host, so that no new server is ever stored with an older security";
    EXPECT_EQ(raw.values["EMailSMTPSecurity"], "TLS");
    EXPECT_EQ(raw.values["EMailSMTPPort"], "2525");
    EXPECT_EQ(raw.values["EMailSMTPPwd"], ScramblePassword("pw"));
    EXPECT_EQ(raw.values["EMailTo"], " ops@example.org ") << "stored untrimmed";
    EXPECT_EQ(raw.values["ScreenNotify"], "0");
    EXPECT_EQ(raw.values["ExecAndWait"], "0");
    EXPECT_EQ(raw.values["HTMLOutput"], "not defined");
    EXPECT_EQ(raw.values["MetricsOutput"], "C:\\m\\v.prom");
    EXPECT_EQ(raw.values["MetricsOutputEnabled"], "1");
    EXPECT_EQ(raw.values["ScanInterval"], "15");
    EXPECT_EQ(memory.emailTo, "ops@example.org");
    EXPECT_EQ(memory.scanInterval, 15);
    EXPECT_EQ(raw.values["RestartAlertCount"], "0");
    EXPECT_EQ(raw.values["RestartAlertWindow"], "120");
    EXPECT_EQ(memory.restartAlertCount, 0);
    EXPECT_EQ(memory.restartAlertWindow, 120);
    EXPECT_FALSE(memory.screenNotify);
    EXPECT_EQ(memory.notifyLogin, "bob");
}

TEST(SettingsForm, AnUnknownStoredSecurityIsKeptUntilAnotherIsPicked) {
    test::MemoryStore raw;
    raw.values = {{"EMailSMTPSecurity", "SSL"}, {"EMailSMTPPort", "587"}};
    SettingsStore store(raw);
    ProgramSettings memory;
    SettingsForm form = ReadSettingsForm(store, "alice", memory);
    EXPECT_FALSE(form.security.Known());
    EXPECT_EQ(PortAfterSecurityChange(form.port, form.security, SmtpSecurity::Tls), "587") << "no usual port";
    // Notification is off: the port, though no port, is not checked.
    form.notifyByMail = false;
    form.port = "99999";
    ASSERT_FALSE(CheckApply(form).has_value());
    WriteSettingsForm(store, form, memory);
    EXPECT_EQ(raw.values["EMailSMTPSecurity"], "SSL") << "written back as it was";
    EXPECT_EQ(raw.values["EMailSMTPPort"], "587") << "a port that is no port leaves the stored one";
}

class FakeDialogHost : public SettingsDialogHost {
public:
    ProgramSettings settings;
    test::MemoryStore raw;
    bool mailComplete = true;
    std::vector<std::string> steps;

    ProgramSettings& Settings() override { return settings; }
    std::unique_ptr<KeyValueStore> OpenStore() override {
        steps.push_back("store");
        return std::make_unique<Borrowed>(raw);
    }
    void SetLightHint() override { steps.push_back("hint " + std::to_string(settings.scanInterval)); }
    bool MailSettingsComplete() override {
        steps.push_back("validate");
        return mailComplete;
    }
    void ShowError(const std::string& text) override { steps.push_back("error " + text); }
    void DisableEmail() override {
        steps.push_back("mail off");
        settings.notifyByMail = false;
    }
    void ReloadSettings() override {
        steps.push_back("reload");
        settings.selectedComputer = raw.Read("ComputerName").value_or("\\\\LOCAL");
    }

private:
    class Borrowed : public KeyValueStore {
    public:
        explicit Borrowed(KeyValueStore& store) : store_(store) {}
        std::optional<std::string> Read(const std::string& n) override { return store_.Read(n); }
        void Write(const std::string& n, const std::string& v) override { store_.Write(n, v); }
        void Remove(const std::string& n) override { store_.Remove(n); }
        std::vector<std::string> Names() override { return store_.Names(); }

    private:
        KeyValueStore& store_;
    };
};

TEST(SettingsForm, AfterTheDialogCloses) {
    const std::string missing = "error Missing e-mail parameters. Please use the settings button to update them.";
    struct Case {
        bool applied;
        bool notifyByMail;
        bool mailComplete;
        std::vector<std::string> steps;
    } cases[] = {
        {true, true, true, {"store", "hint 5", "validate", "reload"}},
        {true, true, false, {"store", "hint 5", "validate", missing, "mail off"}},
        {true, false, false, {"store", "hint 5", "reload"}},
        {false, true, true, {"validate", "reload"}},
        {false, true, false, {"validate", missing, "mail off"}},
        {false, false, true, {"reload"}},
    };
    for (const Case& c : cases) {
        FakeDialogHost host;
        host.settings.notifyByMail = c.notifyByMail;
        host.mailComplete = c.mailComplete;
        SettingsForm form = CompleteMailForm();
        form.notifyByMail = c.notifyByMail;
        form.scanInterval = 5;
        host.raw.values["ComputerName"] = "\\\\STORED";
        host.settings.selectedComputer = "\\\\CHOSEN";
        SettingsDialogClosed(host, c.applied, form);
        EXPECT_EQ(host.steps, c.steps) << c.applied << c.notifyByMail << c.mailComplete;
        EXPECT_EQ(host.raw.Has("ScanInterval"), c.applied) << "Cancel writes nothing";
        EXPECT_EQ(host.settings.selectedComputer, "\\\\CHOSEN") << "the computer chosen on the window stays";
    }
}

TEST(SettingsForm, PickingASecurityMovesOnlyTheUsualPort) {
    using S = SmtpSecurity;
    const struct {
        const char* port;
        S from, to;
        const char* after;
    } cases[] = {
        {"25", S::None, S::StartTls, "587"}, {"587", S::StartTls, S::Tls, "465"}, {" 465", S::Tls, S::None, "25"},
        {"2525", S::None, S::Tls, "2525"},  {"465", S::None, S::StartTls, "465"}, {"", S::None, S::Tls, ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(PortAfterSecurityChange(c.port, c.from, c.to), c.after) << c.port << " " << static_cast<int>(c.to);
}

TEST(SettingsForm, CommandsDuringATestMailWaitForItsEndInTheirOrderEachOnce) {
    using Command = TestCommandGate::Command;
    TestCommandGate gate;
    EXPECT_FALSE(gate.Hold({1, 0})) << "no test: at once";
    gate.TestStarted();
    for (const Command& command : {Command{7, 0}, Command{2, 0}, Command{7, 0}, Command{2, 1}})
        EXPECT_TRUE(gate.Hold(command));
    EXPECT_EQ(gate.TestEnded(), (std::vector<Command>{{7, 0}, {2, 0}, {2, 1}}));
    EXPECT_FALSE(gate.Hold({7, 0}));
    EXPECT_TRUE(gate.TestEnded().empty());
}

TEST(SettingsForm, TabRules) {
    EXPECT_EQ(TabForMethod(false), SettingsTab::InternetEmail);
    EXPECT_EQ(TabForMethod(true), SettingsTab::ScreenNotification);
    for (const SettingsTab tab : {SettingsTab::MonitoringFrequency, SettingsTab::InternetEmail,
                                  SettingsTab::ScreenNotification, SettingsTab::ApplicationLaunch,
                                  SettingsTab::HtmlOutput}) {
        EXPECT_TRUE(MayLeaveTab(tab, true));
        const bool free = tab == SettingsTab::MonitoringFrequency || tab == SettingsTab::HtmlOutput;
        EXPECT_EQ(MayLeaveTab(tab, false), free) << static_cast<int>(tab);
    }
}

}  // namespace
}  // namespace vigilor
