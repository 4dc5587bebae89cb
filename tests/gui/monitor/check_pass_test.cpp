// Monitoring end to end through the real main window: the project's test
// service under several names in the real service manager, alert mails to
// a real SMTP server on the loopback, the status page on disk, and a host
// that ignores echo requests.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <cctype>
#include <filesystem>
#include <fstream>
#include <optional>

#include "app/main_form_ids.h"
#include "platform/system_info_win.h"
#include "resources/resource_ids.h"
#include "tests/support/form_fixture_win.h"
#include "tests/support/silent_host.h"
#include "tests/support/test_service_win.h"
#include "tests/support/wine_paths.h"
#include "tests/unit/metrics_parser.h"

namespace vigilor {
namespace {

using namespace main_form;

constexpr const char* kLoopback = "\\\\127.0.0.1";

std::vector<std::string> SplitLines(const std::string& text, const std::string& end) {
    std::vector<std::string> lines;
    size_t start = 0;
    for (size_t at; (at = text.find(end, start)) != std::string::npos; start = at + end.size())
        lines.push_back(text.substr(start, at - start));
    if (start < text.size()) lines.push_back(text.substr(start));
    return lines;
}

// A message with its quoted-printable body as it was written.
std::string DecodeQuotedPrintable(const std::string& text) {
    if (text.find("Content-Transfer-Encoding: quoted-printable") == std::string::npos) return text;
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '=' && text.compare(i + 1, 2, "\r\n") == 0) {
            i += 2;
        } else if (text[i] == '=' && i + 2 < text.size() && std::isxdigit(static_cast<unsigned char>(text[i + 1])) &&
                   std::isxdigit(static_cast<unsigned char>(text[i + 2]))) {
            out += static_cast<char>(std::stoi(text.substr(i + 1, 2), nullptr, 16));
            i += 2;
        } else {
            out += text[i];
        }
    }
    return out;
}

// The mails the SMTP server of this program has received since the box
// was made, by subject, with their decoded text.
class MailBox {
public:
    MailBox() {
        const char* folder = std::getenv("VIGILOR_SMTP_SINK");
        if (folder) folder_ = test::WinePath(folder);
        seen_ = Count();
    }
    bool Ready() const { return !Port().empty(); }
    std::string Port() const { return test::ReadWholeFile(folder_ + "\\port"); }
    struct Mail {
        std::string subject;
        std::string text;
    };
    // The mails that arrived since the last call. A delivery is complete
    // before the client hears the server's answer, so nothing is waited for.
    std::vector<Mail> New() {
        std::vector<Mail> mails;
        for (int n = seen_ + 1; test::FileThere(MailPath(n)); ++n, ++seen_) {
            const std::string text = DecodeQuotedPrintable(test::ReadWholeFile(MailPath(n)));
            const size_t subject = text.find("\r\nSubject: ") + 11;
            mails.push_back({text.substr(subject, text.find("\r\n", subject) - subject), text});
        }
        return mails;
    }
    static std::vector<std::string> Subjects(const std::vector<Mail>& mails) {
        std::vector<std::string> subjects;
        for (const Mail& m : mails) subjects.push_back(m.subject);
        std::sort(subjects.begin(), subjects.end());
        return subjects;
    }

private:
    std::string MailPath(int n) const { return folder_ + "\\mail-" + std::to_string(n) + ".txt"; }
    int Count() const {
        int n = 0;
        while (test::FileThere(MailPath(n + 1))) ++n;
        return n;
    }
    std::string folder_;
    int seen_ = 0;
};

class MonitoringEndToEnd : public test::FormFixture {
protected:
    MonitoringEndToEnd() {
        wchar_t temp[MAX_PATH];
        GetTempPathW(MAX_PATH, temp);
        folder_ = std::filesystem::path(temp) / ("vigilor-page-" + std::to_string(GetCurrentProcessId()));
        std::filesystem::create_directories(folder_);
        page = (folder_ / "status.htm").string();
    }
    ~MonitoringEndToEnd() override {
        form.reset();
        std::error_code ignored;
        std::filesystem::remove_all(folder_, ignored);
    }

    void SetUp() override {
        ASSERT_TRUE(mail.Ready()) << "no SMTP server for this program";
        key.SetText("NotifybyMail", "1");
        key.SetText("ScreenNotify", "0");
        key.SetText("EMailSMTPHost", "127.0.0.1");
        key.SetText("EMailSMTPPort", mail.Port());
        key.SetText("EMailSMTPID", "monitor-host");
        key.SetText("EMailLocalName", "Vigilor Monitor");
        key.SetText("EMailLocalAddr", "vigilor@example.org");
        key.SetText("EMailTo", "ops@example.org");
        key.SetText("HTMLOutputEnabled", "1");
        key.SetText("HTMLOutput", page);
    }

    void Monitor(const std::string& machine, const std::string& service, const char* autoRestart = "No",
                 const char* email = "No") {
        const std::string n = std::to_string(rows_++);
        key.SetText("MacMonitor" + n, machine);
        key.SetText("SvcMonitor" + n, service);
        key.SetText("Autorestart" + n, autoRestart);
        key.SetText("Email" + n, email);
    }

    std::vector<std::string> MemoLines() const { return SplitLines(form->MemoText(), "\r\n"); }
    bool MemoHolds(const std::string& text) const {
        for (const auto& line : MemoLines())
            if (line.size() >= 18 && line.compare(18, std::string::npos, text) == 0) return true;
        return false;
    }
    std::vector<std::string> PageLines() const { return SplitLines(test::ReadWholeFile(page), "\r\n"); }
    // The status cell (opening and word) of the page's row for a service.
    std::pair<std::string, std::string> PageStatus(const std::string& escapedService) const {
        const auto lines = PageLines();
        for (size_t i = 0; i + 2 < lines.size(); ++i)
            if (lines[i] == escapedService + "</font></td>") return {lines[i + 1], lines[i + 2]};
        return {"(no row)", ""};
    }

    MailBox mail;
    std::string page;
    int rows_ = 0;

private:
    std::filesystem::path folder_;
};

const std::string kRedCell =
    R"(<td ALIGN="left" VALIGN="top" WIDTH="598" HEIGHT="25"><font face="Verdana" size="2" color="#FF0000">)";
const std::string kNavyCell =
    R"(<td ALIGN="left" VALIGN="top" WIDTH="598" HEIGHT="25"><font face="Verdana" size="2" color="#000080">)";

TEST_F(MonitoringEndToEnd, AForcedPassReportsRestartsMailsAndWritesThePage) {
    const std::string unique = test::UniqueServiceName("e2e");
    test::InstalledTestService running("run", SERVICE_DEMAND_START, "Running " + unique);
    test::InstalledTestService stopped("run", SERVICE_DEMAND_START, "<b>&\"x\" " + unique);
    test::InstalledTestService restarts("run", SERVICE_DEMAND_START, "Restarts " + unique);
    test::InstalledTestService fails("fail-start", SERVICE_DEMAND_START, "Dienst f\xC3\xBCr Drucker " + unique);
    ASSERT_TRUE(running.StartAndWaitFor(SERVICE_RUNNING));
    Monitor(kLoopback, running.DisplayName());
    Monitor(kLoopback, stopped.DisplayName());
    Monitor(kLoopback, restarts.DisplayName(), "Yes", "Yes");
    Monitor(kLoopback, fails.DisplayName(), "Yes", "No");
    const std::string metrics = page.substr(0, page.rfind('\\')) + "\\vigilor.prom";
    key.SetText("MetricsOutputEnabled", "1");
    key.SetText("MetricsOutput", metrics);
    TMainForm& f = Open();

    ForcedPass();
    EXPECT_TRUE(dialogs.shown.empty()) << dialogs.Texts()[0];
    {
        const test::ParsedMetrics parsed = test::ParseMetrics(test::ReadWholeFile(metrics));
        ASSERT_EQ(parsed.error, "");
        auto value = [&](const char* family, std::map<std::string, std::string> labels) {
            // A window's series carry its user beside the computer, apart
            // from the service's.
            labels["monitored_by"] = LocalComputerName() + "/" + CurrentUserName();
            const auto found = parsed.Find(family, labels);
            return found.size() == 1 ? found[0].value : -1;
        };
        EXPECT_EQ(value("vigilor_pass_complete", {}), 1);
        EXPECT_EQ(value("vigilor_computer_up", {{"computer", kLoopback}}), 1);
        for (const auto& [service, state] : {std::pair{running.DisplayName(), "running"},
                                             {stopped.DisplayName(), "stopped"},
                                             {restarts.DisplayName(), "restarted"},
                                             {fails.DisplayName(), "stopped"}})
            EXPECT_EQ(value("vigilor_service_state", {{"service", service}, {"state", state}}), 1) << service;
        EXPECT_EQ(value("vigilor_service_restarts_total", {{"service", restarts.DisplayName()}, {"result", "success"}}), 1);
        EXPECT_EQ(value("vigilor_service_restarts_total", {{"service", fails.DisplayName()}, {"result", "failure"}}), 1);
        EXPECT_EQ(value("vigilor_alerts_total", {{"kind", "failure"}}), 2);
        EXPECT_EQ(value("vigilor_alerts_total", {{"kind", "restart"}}), 1);
    }
    const std::string at = std::string(" on ") + kLoopback;
    EXPECT_TRUE(MemoHolds("\"" + stopped.DisplayName() + "\"" + at + " is stopped")) << f.MemoText();
    EXPECT_TRUE(MemoHolds("Auto-restart of \"" + restarts.DisplayName() + "\"" + at + " was successful"));
    EXPECT_TRUE(MemoHolds("Cannot restart \"" + fails.DisplayName() + "\"" + at));
    EXPECT_TRUE(MemoHolds("\"" + fails.DisplayName() + "\"" + at + " is stopped"));
    EXPECT_FALSE(MemoHolds("\"" + running.DisplayName() + "\"" + at + " is stopped"));
    EXPECT_TRUE(f.MemoInAlarm());
    EXPECT_EQ(restarts.State(), static_cast<DWORD>(SERVICE_RUNNING));
    EXPECT_EQ(f.Light().State().activeLight, ActiveLight::alGreen);
    EXPECT_FALSE(f.GLTimer().Running());

    const auto mails = mail.New();
    EXPECT_EQ(MailBox::Subjects(mails),
              (std::vector<std::string>{"NT Service Auto-Restart successful", "NT Service Failure Alert!",
                                        "NT Service Failure Alert!"}));
    for (const std::string& line : {"The service \"" + stopped.DisplayName() + "\"" + at + " has stopped responding !",
                                    "The service \"" + fails.DisplayName() + "\"" + at + " has stopped responding !",
                                    "The service \"" + restarts.DisplayName() + "\"" + at +
                                        " was successsfully restarted !"}) {
        bool found = false;
        for (const auto& m : mails) found = found || m.text.find(line) != std::string::npos;
        EXPECT_TRUE(found) << line;
    }

    EXPECT_EQ(PageLines().size(), 13u + 4 * 9 + 7);
    EXPECT_EQ(PageStatus("Running " + unique), std::pair(kNavyCell, std::string("RUNNING</font></td>")));
    EXPECT_EQ(PageStatus("&lt;b&gt;&amp;&quot;x&quot; " + unique),
              std::pair(kRedCell, std::string("STOPPED</font></td>")));
    EXPECT_EQ(PageStatus("Restarts " + unique), std::pair(kNavyCell, std::string("RESTARTED</font></td>")));
    EXPECT_EQ(PageStatus("Dienst f&#252;r Drucker " + unique), std::pair(kRedCell, std::string("STOPPED</font></td>")));

    ForcedPass();
    EXPECT_TRUE(mail.New().empty()) << "each failure is mailed once";
    EXPECT_TRUE(MemoHolds("\"" + stopped.DisplayName() + "\"" + at + " is stopped")) << "and reported every pass";
    EXPECT_EQ(PageStatus("Restarts " + unique).second, "RUNNING</font></td>");

    SendMessageW(f.Control(kStartBtn), BM_CLICK, 0, 0);
    ASSERT_TRUE(f.IsMonitoring());
    SendMessageW(f.Control(kStopBtn), BM_CLICK, 0, 0);
    ForcedPass();
    EXPECT_TRUE(mail.New().empty()) << "Stop and Start do not forget the alerts";
    SendMessageW(f.Control(kResetBtn), BM_CLICK, 0, 0);
    ForcedPass();
    EXPECT_EQ(MailBox::Subjects(mail.New()),
              (std::vector<std::string>{"NT Service Failure Alert!", "NT Service Failure Alert!"}))
        << "after Reset each failure is mailed again";
}

// One set of passes over rows of every kind: a service deleted after the
// first pass, one stuck stop pending, and two that stop again after every
// restart, one of them with restart notices. They run long enough for the
// restart's polls to see them running.
TEST_F(MonitoringEndToEnd, EveryRowSaysWhatWasFoundAndAServiceThatKeepsStoppingIsAnnounced) {
    std::optional<test::InstalledTestService> gone(std::in_place, "run", SERVICE_DEMAND_START);
    const std::string goneName = gone->DisplayName();
    test::InstalledTestService stuck("hang-stop", SERVICE_DEMAND_START);
    test::InstalledTestService quiet("stop-after 2000", SERVICE_DEMAND_START);
    test::InstalledTestService noisy("stop-after 2000", SERVICE_DEMAND_START);
    ASSERT_TRUE(gone->StartAndWaitFor(SERVICE_RUNNING));
    ASSERT_TRUE(stuck.StartAndWaitFor(SERVICE_RUNNING));
    ASSERT_TRUE(stuck.Control(SERVICE_CONTROL_STOP));
    ASSERT_TRUE(stuck.WaitForState(SERVICE_STOP_PENDING, 5000));
    Monitor(kLoopback, goneName);
    Monitor(kLoopback, stuck.DisplayName());
    Monitor(kLoopback, quiet.DisplayName(), "Yes", "No");
    Monitor(kLoopback, noisy.DisplayName(), "Yes", "Yes");
    TMainForm& f = Open();
    const std::string at = std::string(" on ") + kLoopback;
    const auto pass = [&] {
        // Each restarted service has stopped by itself again.
        ASSERT_TRUE(quiet.WaitForState(SERVICE_STOPPED, 10000));
        ASSERT_TRUE(noisy.WaitForState(SERVICE_STOPPED, 10000));
        ForcedPass();
        EXPECT_TRUE(dialogs.shown.empty()) << dialogs.Texts()[0];
    };
    const std::string notice = "NT Service Auto-Restart successful";

    pass();
    EXPECT_EQ(PageStatus(goneName).second, "RUNNING</font></td>");
    EXPECT_EQ(PageStatus(stuck.DisplayName()), std::pair(kNavyCell, std::string("</font></td>")))
        << "a first pass in stop pending says nothing yet";
    EXPECT_TRUE(MemoHolds("Auto-restart of \"" + quiet.DisplayName() + "\"" + at + " was successful"));
    EXPECT_FALSE(f.MemoInAlarm()) << f.MemoText();
    EXPECT_EQ(MailBox::Subjects(mail.New()), std::vector<std::string>{notice});

    gone.reset();
    pass();
    const std::string notInstalled = "\"" + goneName + "\"" + at + " is not installed";
    EXPECT_TRUE(MemoHolds(notInstalled)) << f.MemoText();
    EXPECT_EQ(PageStatus(goneName), std::pair(kRedCell, std::string("NOT FOUND</font></td>")));
    EXPECT_EQ(PageStatus(stuck.DisplayName()).second, "</font></td>") << "nor a second";
    EXPECT_TRUE(f.MemoInAlarm());
    auto mails = mail.New();
    EXPECT_EQ(MailBox::Subjects(mails), (std::vector<std::string>{notice, "NT Service Not Found!"}));
    const auto mailed = [&mails](const std::string& line) {
        for (const auto& m : mails)
            if (m.text.find(line) != std::string::npos) return true;
        return false;
    };
    EXPECT_TRUE(mailed(notInstalled));

    pass();
    const std::string hung = "\"" + stuck.DisplayName() + "\"" + at + " has been stop pending for 3 passes";
    const std::string quietLine =
        "\"" + quiet.DisplayName() + "\"" + at + " keeps stopping: restarted 3 times in 60 minutes";
    const std::string noisyLine =
        "\"" + noisy.DisplayName() + "\"" + at + " keeps stopping: restarted 3 times in 60 minutes";
    for (const std::string& line : {notInstalled, hung, quietLine, noisyLine}) EXPECT_TRUE(MemoHolds(line)) << line;
    EXPECT_EQ(PageStatus(stuck.DisplayName()), std::pair(kRedCell, std::string("STOP PENDING</font></td>")));
    EXPECT_EQ(PageStatus(quiet.DisplayName()).second, "RESTARTED</font></td>");
    mails = mail.New();
    EXPECT_EQ(MailBox::Subjects(mails), (std::vector<std::string>{notice, "NT Service Hung!",
                                                                  "NT Service Keeps Stopping!",
                                                                  "NT Service Keeps Stopping!"}))
        << "the notice does not silence the service's own alert; the missing service is mailed once";
    for (const std::string& line : {hung, quietLine, noisyLine}) EXPECT_TRUE(mailed(line)) << line;
}

TEST_F(MonitoringEndToEnd, ARowRemovedAndAddedAgainStartsItsCountAfresh) {
    test::InstalledTestService stuck("hang-stop", SERVICE_DEMAND_START);
    ASSERT_TRUE(stuck.StartAndWaitFor(SERVICE_RUNNING));
    ASSERT_TRUE(stuck.Control(SERVICE_CONTROL_STOP));
    ASSERT_TRUE(stuck.WaitForState(SERVICE_STOP_PENDING, 5000));
    Monitor(kLoopback, stuck.DisplayName());
    key.SetText("NotifybyMail", "0");
    TMainForm& f = Open();
    const std::string hung = "\"" + stuck.DisplayName() + "\" on \\\\127.0.0.1 has been stop pending for 3 passes";
    ForcedPass();
    ForcedPass();
    SelectRow(kPZBox1, 0);
    dialogs.answers = {BoxAnswer::Yes};
    Command(IDM_REMOVE_MONITORED);
    ASSERT_EQ(f.Monitored().Count(), 0u);
    ASSERT_TRUE(f.Monitored().Add(kLoopback, stuck.DisplayName()));
    f.MonitoredListEdited();
    ForcedPass();
    EXPECT_FALSE(MemoHolds(hung)) << f.MemoText();
    ForcedPass();
    ForcedPass();
    EXPECT_TRUE(MemoHolds(hung)) << f.MemoText();
}

TEST_F(MonitoringEndToEnd, AComputerThatDoesNotAnswerEndsThePassKeepsThePageAndIsMailedOnce) {
    const std::string address = test::SilentHostAddress();
    if (address.empty()) GTEST_SKIP() << "no network namespace for a silent host here";
    const std::string silent = "\\\\" + address;
    test::InstalledTestService stopped("run", SERVICE_DEMAND_START);
    Monitor(silent, "Anything");
    Monitor(kLoopback, stopped.DisplayName());
    std::ofstream(page, std::ios::binary) << "the last good page\r\n";
    TMainForm& f = Open();
    ASSERT_EQ(f.Monitored().At(0).server, silent) << "the silent computer comes first";

    for (int pass = 0; pass < 2; ++pass) {
        ForcedPass();
        EXPECT_TRUE(MemoHolds("The computer " + silent + " is no longer responding !")) << f.MemoText();
        EXPECT_FALSE(MemoHolds("\"" + stopped.DisplayName() + "\" on \\\\127.0.0.1 is stopped")) << "the pass ended";
        EXPECT_TRUE(f.MemoInAlarm());
        EXPECT_EQ(test::ReadWholeFile(page), "the last good page\r\n");
        const auto mails = mail.New();
        EXPECT_EQ(MailBox::Subjects(mails),
                  pass == 0 ? std::vector<std::string>{"NT Server is DOWN!"} : std::vector<std::string>{});
        if (pass == 0 && !mails.empty()) {
            EXPECT_NE(mails[0].text.find(silent + " has stopped responding!"), std::string::npos);
        }
    }
}

// The rows of three computers are read at once; the silent one, third in
// the list, still ends the pass at its row, after everything before it was
// reported and mailed and before anything after it is restarted.
TEST_F(MonitoringEndToEnd, ASilentThirdComputerEndsThePassAtItsRowWhateverAnsweredFirst) {
    const std::string address = test::SilentHostAddress();
    if (address.empty()) GTEST_SKIP() << "no network namespace for a silent host here";
    const std::string silent = "\\\\" + address;
    const std::string second = "\\\\127.0.0.2";
    const std::string unique = test::UniqueServiceName("third");
    test::InstalledTestService stopped("run", SERVICE_DEMAND_START, "1 Stopped " + unique);
    test::InstalledTestService running("run", SERVICE_DEMAND_START, "2 Running " + unique);
    test::InstalledTestService after("run", SERVICE_DEMAND_START, "4 After " + unique);
    ASSERT_TRUE(running.StartAndWaitFor(SERVICE_RUNNING));
    Monitor(kLoopback, stopped.DisplayName());
    Monitor(second, running.DisplayName());
    Monitor(silent, "3 Anything " + unique);
    Monitor(kLoopback, after.DisplayName(), "Yes", "Yes");
    std::ofstream(page, std::ios::binary) << "the last good page\r\n";
    TMainForm& f = Open();
    // Sorted by service, as a click on that column's header sorts it.
    NMLISTVIEW click{};
    click.hdr.hwndFrom = f.Control(kPZBox1);
    click.hdr.idFrom = kPZBox1;
    click.hdr.code = LVN_COLUMNCLICK;
    click.iSubItem = kServiceColumn;
    SendMessageW(f.Handle(), WM_NOTIFY, kPZBox1, reinterpret_cast<LPARAM>(&click));
    ASSERT_EQ(f.Monitored().At(2).server, silent) << "the silent computer comes third";
    const auto reports = [&f] {
        std::vector<std::string> lines;
        for (const std::string& line : SplitLines(f.MemoText(), "\r\n"))
            if (line.size() > 18 && line[2] == '/') lines.push_back(line.substr(18));
        return lines;
    };

    for (int pass = 0; pass < 2; ++pass) {
        SCOPED_TRACE(pass);
        // The silent computer's echo takes seconds; the window's timers go
        // on meanwhile.
        static int ticks;
        ticks = 0;
        const UINT_PTR timer = SetTimer(nullptr, 0, 100, [](HWND, UINT, UINT_PTR, DWORD) { ++ticks; });
        ForcedPass();
        KillTimer(nullptr, timer);
        EXPECT_GT(ticks, 10) << "messages were handled while the pass waited";
        EXPECT_TRUE(dialogs.shown.empty()) << dialogs.Texts()[0];
        const std::string stoppedLine = "\"" + stopped.DisplayName() + "\" on \\\\127.0.0.1 is stopped";
        const std::string silentLine = "The computer " + silent + " is no longer responding !";
        const std::string sent = "EMAIL SENT TO ops@example.org";
        const std::vector<std::string> memo = pass == 0 ? std::vector<std::string>{stoppedLine, sent, silentLine, sent}
                                                        : std::vector<std::string>{stoppedLine, silentLine};
        EXPECT_EQ(reports(), memo);
        EXPECT_TRUE(f.MemoInAlarm());
        EXPECT_EQ(after.State(), static_cast<DWORD>(SERVICE_STOPPED)) << "no restart after the silent computer";
        EXPECT_EQ(test::ReadWholeFile(page), "the last good page\r\n");
        const auto mails = mail.New();
        std::vector<std::string> subjects;
        for (const auto& m : mails) subjects.push_back(m.subject);
        const std::vector<std::string> expected =
            pass == 0 ? std::vector<std::string>{"NT Service Failure Alert!", "NT Server is DOWN!"}
                      : std::vector<std::string>{};
        EXPECT_EQ(subjects, expected) << "in the rows' order, once";
        if (subjects.size() == 2) {
            EXPECT_NE(mails[0].text.find(stopped.DisplayName()), std::string::npos);
            EXPECT_NE(mails[1].text.find(silent + " has stopped responding!"), std::string::npos);
        }
    }
}

TEST_F(MonitoringEndToEnd, TheMinuteTimerRunsPassesAndAFailedPassDoesNotEndMonitoring) {
    test::InstalledTestService stopped("run", SERVICE_DEMAND_START);
    Monitor(kLoopback, stopped.DisplayName());
    key.SetText("NotifybyMail", "0");
    TMainForm& f = Open({"/A"});
    ASSERT_TRUE(f.IsMonitoring());

    TimedPass();
    EXPECT_TRUE(MemoHolds("\"" + stopped.DisplayName() + "\" on \\\\127.0.0.1 is stopped")) << f.MemoText();
    EXPECT_EQ(PageStatus(stopped.DisplayName()).second, "STOPPED</font></td>");
    EXPECT_TRUE(f.Engine().State().timerOn);

    // A page that cannot be written raises at the end of the pass.
    std::filesystem::remove_all(std::filesystem::path(page).parent_path());
    TimedPass();
    EXPECT_TRUE(dialogs.shown.empty()) << "no box waits for an answer in a timed pass";
    EXPECT_TRUE(MemoHolds("Cannot create file " + page)) << f.MemoText();
    EXPECT_TRUE(f.MemoInAlarm());
    EXPECT_TRUE(f.Engine().State().timerOn) << "monitoring goes on";
    EXPECT_TRUE(f.IsMonitoring());

    ForcedPass();
    ASSERT_EQ(dialogs.shown.size(), 1u) << "a forced pass shows the error";
    EXPECT_EQ(dialogs.shown[0].text, "Cannot create file " + page);
}

TEST_F(MonitoringEndToEnd, AHostileRegistryStillGivesAPassAValidPageAndASave) {
    const DWORD number = 7;
    key.SetRaw("ScanInterval", REG_DWORD, &number, sizeof number);
    key.SetRaw("NotifybyMail", REG_BINARY, "\x01\x02", 2);
    key.SetText("ScreenNotify", "not a number");
    key.SetText("colWidth0", std::string(5000, '9'));
    key.SetText("NotifyLogin", std::string(1 << 20, 'u'));
    key.SetText("EMailTo", std::string(100000, '<'));
    key.SetText("ComputerName", "\\127.0.0.1\r\n<&>");
    const std::wstring withNul = L"Svc\0after the NUL";
    for (int n = 0; n < 200; ++n) {
        const std::string slot = std::to_string(n);
        key.SetText("MacMonitor" + slot, kLoopback);
        if (n % 4 == 0) key.SetText("SvcMonitor" + slot, "Name " + slot + " <b>&\r\nline two\t\"q\"");
        if (n % 4 == 1) key.SetRaw("SvcMonitor" + slot, REG_SZ, withNul.c_str(), (DWORD)(withNul.size() + 1) * 2);
        if (n % 4 == 2) key.SetRaw("SvcMonitor" + slot, REG_DWORD, &number, sizeof number);
        if (n % 4 == 3) key.SetText("SvcMonitor" + slot, std::string(70000, 'S'));
        key.SetText("Autorestart" + slot, n % 2 ? "YES\r\n" : "");
    }
    key.SetText("MacMonitor10000", kLoopback);  // past the last slot read
    key.SetText("NotifybyMail", "0");  // no mail to the recipient of "<"s
    TMainForm& f = Open();
    ASSERT_EQ(f.Monitored().Count(), 200u);
    ForcedPass();
    EXPECT_TRUE(dialogs.shown.empty()) << dialogs.Texts()[0];

    const std::string text = test::ReadWholeFile(page);
    const std::vector<std::string> lines = PageLines();
    ASSERT_EQ(lines.size(), 13u + 200 * 9 + 7) << "one entry a line, whatever the names hold";
    EXPECT_EQ(lines.back(), "</p></small></body></html>");
    EXPECT_EQ(text.find("<b>"), std::string::npos) << "no tag from a name";
    // A tab inside a name is kept as a blank, so no field shifts.
    EXPECT_NE(text.find("&lt;b&gt;&amp;&#13;&#10;line two &quot;q&quot;</font></td>"), std::string::npos);

    dialogs.answers = {BoxAnswer::Yes};
    SendMessageW(f.Handle(), WM_CLOSE, 0, 0);
    EXPECT_EQ(Stored("MacMonitor0"), kLoopback);
    EXPECT_EQ(Stored("MonitorListJournal"), std::nullopt) << "the save was finished";
}

}  // namespace
}  // namespace vigilor
