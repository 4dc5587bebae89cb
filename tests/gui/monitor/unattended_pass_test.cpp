// What a pass does when nobody is at the screen, and what a close during a
// pass does, through the real main window: the project's test service in
// the real service manager, real message boxes, the event entries as the
// program reports them, and alert mail to a server of the test's own.
#include <gtest/gtest.h>

#include <windows.h>

#include <functional>

#include "app/main_form_ids.h"
#include "config/registry_store_win.h"
#include "notify/failure_reports.h"
#include "platform/message_boxes_win.h"
#include "platform/report_error_win.h"
#include "resources/resource_ids.h"
#include "tests/support/event_log_tap_win.h"
#include "tests/support/form_fixture_win.h"
#include "tests/support/scripted_smtp_server_win.h"
#include "tests/support/test_service_win.h"
#include "tests/support/window_watch_win.h"
#include "tests/support/wine_paths.h"

namespace vigilor {
namespace {

using namespace main_form;

constexpr const char* kLoopback = "\\\\127.0.0.1";

class PassFixture : public test::FormFixture {
protected:
    void Monitor(const std::string& service) {
        key.SetText("MacMonitor0", kLoopback);
        key.SetText("SvcMonitor0", service);
        key.SetText("Autorestart0", "No");
        key.SetText("Email0", "No");
    }
    // The first row restarts the slow service, the second finds the other
    // one stopped; no mail.
    void MonitorASlowRestartThenAStoppedRow(const std::string& slow, const std::string& stopped) {
        Monitor(slow);
        key.SetText("Autorestart0", "Yes");
        key.SetText("MacMonitor1", kLoopback);
        key.SetText("SvcMonitor1", stopped);
        key.SetText("Autorestart1", "No");
        key.SetText("Email1", "No");
        key.SetText("NotifybyMail", "0");
    }
    // A page file in a folder of the test's own.
    std::string PagePath() {
        wchar_t temp[MAX_PATH];
        GetTempPathW(MAX_PATH, temp);
        char narrow[MAX_PATH];
        WideCharToMultiByte(CP_UTF8, 0, temp, -1, narrow, MAX_PATH, nullptr, nullptr);
        const std::string path = std::string(narrow) + "vigilor-" + std::to_string(GetCurrentProcessId()) + ".htm";
        DeleteFileA(path.c_str());
        return path;
    }
    bool ReportsHold(const std::string& line) const {
        for (const std::string& report : Reports())
            if (report == line) return true;
        return false;
    }
    // The memo's reports without their time stamps, and without the
    // separators, which depend on how the lines wrap.
    std::vector<std::string> Reports() const {
        std::vector<std::string> lines;
        const std::string text = form->MemoText();
        size_t start = 0;
        for (;;) {
            const size_t end = text.find("\r\n", start);
            std::string line = text.substr(start, end == std::string::npos ? std::string::npos : end - start);
            if (line != kReportSeparator) lines.push_back(line.size() > 18 && line[2] == '/' ? line.substr(18) : line);
            if (end == std::string::npos) return lines;
            start = end + 2;
        }
    }
};

using UnattendedPass = PassFixture;

TEST_F(UnattendedPass, ThreeTimedPassesWithoutMailSettingsWaitForNobodyAndSayWhyNoMailWentOut) {
    test::InstalledTestService stopped("run", SERVICE_DEMAND_START);
    Monitor(stopped.DisplayName());
    key.SetText("NotifybyMail", "0");
    // Real message boxes: whatever the window would show, comes up.
    MessageBoxDialogs boxes;
    SetErrorDialogs(&boxes);
    const std::string path = key.Path();
    form = std::make_unique<TMainForm>(MainFormContext{
        boxes, system, [path] { return std::make_unique<RegistryStore>(path); }, "9.8.7.6", {}, false});
    form->Create();
    form->Show(SW_SHOWNORMAL);
    Pump();
    SendMessageW(form->Control(kStartBtn), BM_CLICK, 0, 0);
    ASSERT_TRUE(form->IsMonitoring());

    const std::string why = "No SMTP host defined! Please check your parameters.";
    const std::string alert = "The service \"" + stopped.DisplayName() + "\" on \\\\127.0.0.1 has stopped responding !";
    const test::EventLogTap log;
    const test::TopLevelWindowWatch watch;
    for (int pass = 0; pass < 3; ++pass) {
        SCOPED_TRACE(pass);
        TimedPass();
        EXPECT_EQ(Reports(),
                  (std::vector<std::string>{"\"" + stopped.DisplayName() + "\" on \\\\127.0.0.1 is stopped", why}));
        EXPECT_TRUE(form->Engine().State().timerOn);
    }
    EXPECT_EQ(watch.OtherThan({"Vigilor.TMainForm", "TPingTstForm"}), std::vector<std::string>{})
        << "only the liveness check's own window, which asks nothing";
    EXPECT_EQ(log.Messages("Vigilor"), (std::vector<std::string>{why, alert, why, why}))
        << "the alert once, the reason in every pass";
    // The alert a warning of message 0; the reason no mail went out an error
    // of its own message, that of what nobody was there to see.
    for (const test::EventEntry& entry : log.Entries()) {
        const bool isAlert = entry.strings == std::vector<std::string>{alert};
        EXPECT_EQ(entry.type, isAlert ? EVENTLOG_WARNING_TYPE : EVENTLOG_ERROR_TYPE);
        EXPECT_EQ(entry.id, isAlert ? 0u : 104u);
    }

    SendMessageW(form->Control(kStopBtn), BM_CLICK, 0, 0);
    form.reset();
    SetErrorDialogs(&dialogs);
}

TEST_F(UnattendedPass, F9AndTheTimerWhileAServiceStartsStartNoSecondPass) {
    test::InstalledTestService slow("slow-start 1500", SERVICE_DEMAND_START);
    test::InstalledTestService stopped("run", SERVICE_DEMAND_START);
    MonitorASlowRestartThenAStoppedRow(slow.DisplayName(), stopped.DisplayName());
    TMainForm& f = Open();
    SendMessageW(f.Control(kStartBtn), BM_CLICK, 0, 0);
    ASSERT_TRUE(f.IsMonitoring());

    f.Engine().TimerFired();
    ASSERT_TRUE(PumpUntil([&] { return slow.State() == SERVICE_START_PENDING; }));
    Command(IDM_FORCE_CHECK);
    EXPECT_EQ(f.StatusPanelText(0), "       A check is running");
    f.Engine().TimerFired();
    ASSERT_TRUE(PumpUntil([&] { return f.PassesShown() == 1; }));

    EXPECT_EQ(slow.State(), static_cast<DWORD>(SERVICE_RUNNING));
    const std::string restarted = "Auto-restart of \"" + slow.DisplayName() + "\" on \\\\127.0.0.1 was successful";
    const std::string other = "\"" + stopped.DisplayName() + "\" on \\\\127.0.0.1 is stopped";
    const std::string why = "No SMTP host defined! Please check your parameters.";
    EXPECT_EQ(Reports(), (std::vector<std::string>{restarted, other, why}));
    EXPECT_TRUE(dialogs.shown.empty());
    EXPECT_TRUE(f.Engine().ForceCheck()) << "no pass was left waiting to run";
    ASSERT_TRUE(PumpUntil([&] { return f.PassesShown() == 2; }));
    SendMessageW(f.Control(kStopBtn), BM_CLICK, 0, 0);
}

// Set while a test looks at the window from inside the About box's loop.
std::function<void()> g_insideTheBox;

TEST_F(UnattendedPass, APassForcedWithF9GoesOnWhileTheAboutBoxIsOpen) {
    test::InstalledTestService slow("slow-start 12000", SERVICE_DEMAND_START);
    test::InstalledTestService stopped("run", SERVICE_DEMAND_START);
    MonitorASlowRestartThenAStoppedRow(slow.DisplayName(), stopped.DisplayName());
    const std::string page = PagePath();
    key.SetText("HTMLOutputEnabled", "1");
    key.SetText("HTMLOutput", page);
    TMainForm& f = Open();

    Command(IDM_FORCE_CHECK);
    ASSERT_TRUE(PumpUntil([&] { return slow.State() == SERVICE_START_PENDING; }));
    const std::string restarted = "Auto-restart of \"" + slow.DisplayName() + "\" on \\\\127.0.0.1 was successful";
    const std::string other = "\"" + stopped.DisplayName() + "\" on \\\\127.0.0.1 is stopped";
    bool sawTheBox = false, passEndedWithTheBoxOpen = false;
    const ULONGLONG deadline = GetTickCount64() + 40000;
    g_insideTheBox = [&] {
        const HWND box = FindWindowW(nullptr, L"About");
        if (!box) return;
        sawTheBox = true;
        passEndedWithTheBoxOpen = f.PassesShown() == 1 && test::FileThere(page) && ReportsHold(restarted) &&
                                  ReportsHold(other);
        if (passEndedWithTheBoxOpen || GetTickCount64() > deadline) PostMessageW(box, WM_COMMAND, IDOK, 0);
    };
    const UINT_PTR timer = SetTimer(nullptr, 0, 100, [](HWND, UINT, UINT_PTR, DWORD) { g_insideTheBox(); });
    Command(IDM_ABOUT);  // returns once the box is closed
    KillTimer(nullptr, timer);
    g_insideTheBox = nullptr;

    EXPECT_TRUE(sawTheBox);
    EXPECT_TRUE(passEndedWithTheBoxOpen) << Reports().size();
    EXPECT_NE(test::ReadWholeFile(page).find("RESTARTED"), std::string::npos);
    DeleteFileA(page.c_str());
}

TEST_F(UnattendedPass, AutoStartWithMailOnAndNoMailServerMonitorsAndReportsWhyNoMailWentOut) {
    test::InstalledTestService stopped("run", SERVICE_DEMAND_START);
    Monitor(stopped.DisplayName());
    key.SetText("NotifybyMail", "1");
    key.SetText("ScreenNotify", "0");
    TMainForm& f = Open({"/A"});
    EXPECT_TRUE(f.IsMonitoring());
    TimedPass();
    EXPECT_TRUE(dialogs.shown.empty());
    EXPECT_EQ(Reports(), (std::vector<std::string>{"\"" + stopped.DisplayName() + "\" on \\\\127.0.0.1 is stopped",
                                                   "No SMTP host defined! Please check your parameters."}));
}

TEST_F(UnattendedPass, AMailThatRaisesLeavesTheRowsAfterItChecked) {
    test::InstalledTestService first("run", SERVICE_DEMAND_START);
    test::InstalledTestService second("run", SERVICE_DEMAND_START);
    Monitor(first.DisplayName());
    key.SetText("MacMonitor1", kLoopback);
    key.SetText("SvcMonitor1", second.DisplayName());
    key.SetText("NotifybyMail", "1");
    key.SetText("ScreenNotify", "0");
    for (const char* name : {"EMailSMTPHost", "EMailLocalName", "EMailTo", "EMailSMTPID", "EMailLocalAddr"})
        key.SetText(name, "x@127.0.0.1");
    key.SetText("EMailSMTPHost", "127.0.0.1");
    key.SetText("EMailSMTPSecurity", "SSLv2");
    const std::string page = PagePath();
    key.SetText("HTMLOutputEnabled", "1");
    key.SetText("HTMLOutput", page);
    TMainForm& f = Open({"/A"});
    ASSERT_TRUE(f.IsMonitoring());
    TimedPass();
    EXPECT_TRUE(dialogs.shown.empty());
    EXPECT_TRUE(ReportsHold("\"" + second.DisplayName() + "\" on \\\\127.0.0.1 is stopped")) << f.MemoText();
    const std::string written = test::ReadWholeFile(page);
    EXPECT_NE(written.find(first.DisplayName()), std::string::npos);
    EXPECT_NE(written.find(second.DisplayName()), std::string::npos) << "the row after the mail's error";
    DeleteFileA(page.c_str());
}

using ClosingDuringAPass = PassFixture;

TEST_F(ClosingDuringAPass, WaitsForThePassSoThatTheAlertMailGoesOutThenAsks) {
    test::InstalledTestService stopped("run", SERVICE_DEMAND_START);
    Monitor(stopped.DisplayName());
    HWND window = nullptr;
    bool windowAtDelivery = false;
    // The close arrives while the pass waits for the mail server.
    test::ScriptedSmtpServer server(
        "220 ready\r\n",
        [&](const std::string& line) {
            if (line == ".") windowAtDelivery = IsWindow(window) != FALSE;
            return test::SmtpAnswers()(line);
        },
        1, [&] { SendMessageW(window, WM_CLOSE, 0, 0); });
    key.SetText("NotifybyMail", "1");
    key.SetText("ScreenNotify", "0");
    key.SetText("EMailSMTPHost", "127.0.0.1");
    key.SetText("EMailSMTPPort", std::to_string(server.Port()));
    key.SetText("EMailSMTPID", "monitor-host");
    key.SetText("EMailLocalName", "Vigilor Monitor");
    key.SetText("EMailLocalAddr", "vigilor@example.org");
    key.SetText("EMailTo", "ops@example.org");
    window = Open().Handle();
    dialogs.answers = {BoxAnswer::Yes};

    Command(IDM_FORCE_CHECK);
    ASSERT_TRUE(PumpUntil([&] { return !IsWindow(window); })) << "closed once the pass had ended";
    EXPECT_NE(server.Received().find("Subject: NT Service Failure Alert!\r\n"), std::string::npos);
    EXPECT_TRUE(windowAtDelivery) << "the window outlived the pass";
    EXPECT_EQ(dialogs.Texts(), std::vector<std::string>{"Do you really want to shutdown Vigilor?"})
        << "asked once the pass had ended, and no error after it";
    EXPECT_EQ(Stored("MacMonitor0"), kLoopback) << "with the settings saved";
}

}  // namespace
}  // namespace vigilor
