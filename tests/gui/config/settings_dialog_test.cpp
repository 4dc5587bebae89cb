// The settings dialog, driven for real on the main window: its checks, its
// writes to the real registry, the reload after it, its tabs and its test
// e-mail to a real SMTP server on the loopback.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <winsock2.h>

#include <functional>

#include "app/main_form_ids.h"
#include "config/settings_dialog_win.h"
#include "platform/control_table_win.h"
#include "platform/wide_win.h"
#include "resources/resource_ids.h"
#include "platform/handles_win.h"
#include "tests/support/form_fixture_win.h"
#include "tests/support/scripted_smtp_server_win.h"
#include "tests/support/modal_driver_win.h"
#include "tests/support/smtp_tls_servers.h"
#include "tests/support/trusted_certificate_win.h"
#include "tests/support/wine_paths.h"

namespace vigilor {
namespace {

using C = TeMailConfig;

// Holds its reply to the first recipient of all until released.
class HeldFirstRecipient {
public:
    void Release() { SetEvent(release_.Get()); }
    test::ScriptedSmtpServer::Reply Answers() {
        return [this](const std::string& line) {
            if (line.starts_with("RCPT") && !held_) {
                held_ = true;
                // Bounded, so that a test that never releases still ends.
                WaitForSingleObject(release_.Get(), 10000);
            }
            return test::SmtpAnswers()(line);
        };
    }

private:
    KernelHandle release_{CreateEventW(nullptr, TRUE, FALSE, nullptr)};
    bool held_ = false;
};

// A window of this thread that runs an action when a message posted to it
// comes: messages posted to one thread arrive in the order they were posted.
class Checkpoint {
public:
    explicit Checkpoint(std::function<void()> action) : action_(std::move(action)) {
        WNDCLASSW windowClass{};
        windowClass.lpfnWndProc = Procedure;
        windowClass.hInstance = GetModuleHandleW(nullptr);
        windowClass.lpszClassName = L"VigilorTestCheckpoint";
        RegisterClassW(&windowClass);
        window_ = CreateWindowExW(0, windowClass.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                  windowClass.hInstance, nullptr);
        SetWindowLongPtrW(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    }
    ~Checkpoint() { DestroyWindow(window_); }
    void Post() { PostMessageW(window_, WM_APP, 0, 0); }

private:
    static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
        if (message == WM_APP) {
            reinterpret_cast<Checkpoint*>(GetWindowLongPtrW(window, GWLP_USERDATA))->action_();
            return 0;
        }
        return DefWindowProcW(window, message, wParam, lParam);
    }
    std::function<void()> action_;
    HWND window_ = nullptr;
};

class SettingsDialog : public test::FormFixture {
protected:
    // Opens the dialog from the main window and hands it to act, which
    // must close it.
    void WithDialog(const std::function<void(HWND)>& act) {
        const auto outcome = test::DriveModal([&] { Command(IDM_SETTINGS); }, act);
        ASSERT_TRUE(outcome.found);
        ASSERT_FALSE(outcome.timedOut) << "the dialog stayed open";
    }
    static void Type(HWND dialog, int id, const std::string& text) {
        SetWindowTextW(GetDlgItem(dialog, id), Wide(text).c_str());
    }
    static void Press(HWND dialog, int id) {
        SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
    }
    static void Tick(HWND dialog, int id) { SendMessageW(GetDlgItem(dialog, id), BM_CLICK, 0, 0); }
    static int Tab(HWND dialog) { return TabCtrl_GetCurSel(GetDlgItem(dialog, C::kPageControl1)); }
    // A click on a tab's header, as the user makes it.
    static void ClickTab(HWND dialog, SettingsTab tab) {
        const HWND tabs = GetDlgItem(dialog, C::kPageControl1);
        RECT item;
        TabCtrl_GetItemRect(tabs, static_cast<int>(tab), &item);
        const LPARAM at = MAKELPARAM((item.left + item.right) / 2, (item.top + item.bottom) / 2);
        SendMessageW(tabs, WM_LBUTTONDOWN, MK_LBUTTON, at);
        SendMessageW(tabs, WM_LBUTTONUP, 0, at);
    }
    static std::string Text(HWND dialog, int id) { return test::DialogItemText(dialog, id); }
    void FillMail(HWND dialog) {
        Tick(dialog, C::kRadioButton1);
        Type(dialog, C::kEdit1, "127.0.0.1");
        Type(dialog, C::kEdit3, "monitor-host");
        Type(dialog, C::kEdit5, "Vigilor Monitor");
        Type(dialog, C::kEdit6, "vigilor@example.org");
        Type(dialog, C::kEdit7, "ops@example.org");
    }
};

TEST_F(SettingsDialog, ApplyChecksTheMailFieldsWithFocusAndPutsThePortBack) {
    TMainForm& f = Open();
    WithDialog([&](HWND dialog) {
        Tick(dialog, C::kRadioButton1);
        Type(dialog, C::kEdit2, "");
        Press(dialog, C::kApplyBtn);
        EXPECT_EQ(dialogs.Texts(), std::vector<std::string>{"No SMTP host defined! Please check your parameters."});
        EXPECT_EQ(GetFocus(), GetDlgItem(dialog, C::kEdit1));
        Type(dialog, C::kEdit1, "127.0.0.1");
        Press(dialog, C::kApplyBtn);
        EXPECT_EQ(dialogs.shown.back().text, "No Port defined! Please check your parameters.");
        EXPECT_EQ(Text(dialog, C::kEdit2), "25");
        EXPECT_EQ(GetFocus(), GetDlgItem(dialog, C::kEdit2));
        Press(dialog, C::kCancelBtn);
    });
    EXPECT_EQ(Stored("EMailSMTPHost"), std::nullopt) << "Cancel writes nothing";
    EXPECT_FALSE(f.Settings().notifyByMail) << "the incomplete e-mail settings switched mail off";
}

TEST_F(SettingsDialog, APortThatIsNoNumberKeepsTheDialogOpenAndWritesNothing) {
    Open();
    WithDialog([&](HWND dialog) {
        FillMail(dialog);
        Type(dialog, C::kEdit2, "2x");
        Press(dialog, C::kApplyBtn);
        EXPECT_EQ(dialogs.shown.back().text, "'2x' is not a valid integer value");
        EXPECT_EQ(GetFocus(), GetDlgItem(dialog, C::kEdit2));
        EXPECT_TRUE(IsWindowVisible(dialog));
        Type(dialog, C::kEdit2, "2525");
        Press(dialog, C::kApplyBtn);
    });
    EXPECT_EQ(Stored("EMailSMTPPort"), "2525") << "five digits fit";
}

TEST_F(SettingsDialog, TheTestMailChecksThePortAsApplyDoesWhichLooksAtItOnlyForEMail) {
    const char* folder = std::getenv("VIGILOR_SMTP_SINK");
    ASSERT_TRUE(folder);
    const std::string port = test::ReadWholeFile(test::WinePath(folder) + "\\port");
    key.SetText("NotifybyMail", "0");
    key.SetText("EMailSMTPPort", "2525");
    Open();
    WithDialog([&](HWND dialog) {
        FillMail(dialog);
        Type(dialog, C::kEdit2, "99999");
        Press(dialog, C::kTestBtn);
        EXPECT_EQ(dialogs.Texts(),
                  std::vector<std::string>{"'99999' is not a valid port: give a number from 1 to 65535"});
        EXPECT_EQ(GetFocus(), GetDlgItem(dialog, C::kEdit2));
        Type(dialog, C::kEdit2, port + " ");
        Press(dialog, C::kTestBtn);
        EXPECT_EQ(dialogs.shown.back().text, "A test e-mail message has bent sent to ops@example.org  ")
            << "a blank after the number is no fault";
        // Notification is off: nothing goes by e-mail, so the port is not
        // looked at and Apply closes the dialog.
        EXPECT_FALSE(IsDlgButtonChecked(dialog, C::kCheckBox1));
        Type(dialog, C::kEdit2, "99999");
        Press(dialog, C::kApplyBtn);
    });
    EXPECT_EQ(dialogs.shown.size(), 2u);
    EXPECT_EQ(Stored("EMailSMTPPort"), "2525") << "a port that is no port is not stored";
    EXPECT_EQ(Stored("NotifybyMail"), "0");
}

TEST_F(SettingsDialog, ApplyStoresEveryValueInItsTextFormAndReloads) {
    key.SetText("MacMonitor0", "\\\\HOST");
    key.SetText("SvcMonitor0", "Spooler");
    TMainForm& f = Open();
    f.Monitored().Clear();
    WithDialog([&](HWND dialog) {
        EXPECT_EQ(Text(dialog, C::kEdit10), "not defined");
        EXPECT_EQ(Text(dialog, C::kEdScanInterval), "1");
        EXPECT_EQ(Tab(dialog), 0);
        Tick(dialog, C::kCheckBox1);  // notification off: no checks
        SendDlgItemMessageW(dialog, C::kUpDown1, UDM_SETPOS32, 0, 15);
        Type(dialog, C::kEdit2, "587");
        Type(dialog, C::kEdit4, "pw");
        Type(dialog, C::kEdit7, " ops@example.org ");
        Type(dialog, C::kEdit8, "cc@example.org");
        Tick(dialog, C::kChkExecAndWait);
        Tick(dialog, C::kChkMetricsOutput);
        Type(dialog, C::kEdMetricsOutput, "C:\\textfile_inputs\\vigilor.txt");
        Press(dialog, C::kApplyBtn);
        EXPECT_EQ(dialogs.Texts(),
                  std::vector<std::string>{"The metrics file must end in \".prom\"! Please check your parameters."});
        EXPECT_EQ(Tab(dialog), static_cast<int>(SettingsTab::HtmlOutput));
        EXPECT_EQ(GetFocus(), GetDlgItem(dialog, C::kEdMetricsOutput));
        Type(dialog, C::kEdMetricsOutput, "C:\\textfile_inputs\\vigilor.prom");
        Press(dialog, C::kApplyBtn);
    });
    const std::pair<const char*, std::string> stored[] = {
        {"NotifybyMail", "0"}, {"ScreenNotify", "1"}, {"ScanInterval", "15"}, {"EMailSMTPPort", "587"},
        {"EMailSMTPPwd", ScramblePassword("pw")}, {"EMailTo", " ops@example.org "}, {"EMailCc", "cc@example.org"},
        {"ExecAndWait", "0"}, {"LaunchAppActive", "0"}, {"HTMLOutput", "not defined"}, {"HTMLOutputEnabled", "0"},
        {"EMailSMTPHost", ""}, {"NotifyLogin", f.Settings().notifyLogin},
        {"MetricsOutput", "C:\\textfile_inputs\\vigilor.prom"}, {"MetricsOutputEnabled", "1"},
    };
    for (const auto& [name, value] : stored) EXPECT_EQ(Stored(name), value) << name;
    EXPECT_EQ(f.HintOf(f.Control(main_form::kGL1)), "Scanning interval - every 15 minutes.");
    EXPECT_TRUE(PumpUntil([&] { return f.Engine().State().minutes == 15; })) << "the engine takes the interval";
    EXPECT_EQ(f.Monitored().Count(), 0u) << "the list stays as it is in memory";
    EXPECT_EQ(f.Settings().emailTo, "ops@example.org");
    EXPECT_EQ(f.Settings().metricsOutput, "C:\\textfile_inputs\\vigilor.prom");
    EXPECT_TRUE(f.Settings().metricsOutputEnabled);
    EXPECT_EQ(dialogs.shown.size(), 1u) << "the metrics file's refusal only";

    WithDialog([&](HWND dialog) {
        SendDlgItemMessageW(dialog, C::kUpDown1, UDM_SETPOS32, 0, 1);
        Press(dialog, C::kApplyBtn);
    });
    EXPECT_EQ(f.HintOf(f.Control(main_form::kGL1)), "Scanning interval - every minute.");
}

TEST_F(SettingsDialog, TheRestartAlertIsSetBesideTheIntervalAndTakenAtApply) {
    key.SetText("NotifybyMail", "0");
    TMainForm& f = Open();
    WithDialog([&](HWND dialog) {
        EXPECT_EQ(Text(dialog, C::kEdRestartAlertCount), "3");
        EXPECT_EQ(Text(dialog, C::kEdRestartAlertWindow), "60");
        EXPECT_TRUE(IsWindowVisible(GetDlgItem(dialog, C::kEdRestartAlertCount))) << "on the interval's tab";
        int low = -1, high = -1;
        SendDlgItemMessageW(dialog, C::kUdRestartAlertWindow, UDM_GETRANGE32, reinterpret_cast<WPARAM>(&low),
                            reinterpret_cast<LPARAM>(&high));
        EXPECT_EQ(std::pair(low, high), std::pair(1, 1440));
        SendDlgItemMessageW(dialog, C::kUdRestartAlertCount, UDM_SETPOS32, 0, 0);
        SendDlgItemMessageW(dialog, C::kUdRestartAlertWindow, UDM_SETPOS32, 0, 1440);
        EXPECT_EQ(Text(dialog, C::kEdRestartAlertWindow), "1440") << "no thousands separator";
        Press(dialog, C::kApplyBtn);
    });
    EXPECT_EQ(Stored("RestartAlertCount"), "0");
    EXPECT_EQ(Stored("RestartAlertWindow"), "1440");
    EXPECT_EQ(f.Settings().restartAlertCount, 0);
    EXPECT_EQ(f.Settings().restartAlertWindow, 1440);
}

TEST_F(SettingsDialog, CancelAfterEditsWritesNothingAndKeepsTheList) {
    key.SetText("NotifybyMail", "0");
    key.SetText("MacMonitor0", "\\\\HOST");
    key.SetText("SvcMonitor0", "Spooler");
    TMainForm& f = Open();
    f.Monitored().Clear();
    WithDialog([&](HWND dialog) {
        Type(dialog, C::kEdit1, "changed.example.org");
        Tick(dialog, C::kHTMLCheckBox);
        Press(dialog, C::kCancelBtn);
    });
    EXPECT_EQ(Stored("EMailSMTPHost"), std::nullopt);
    EXPECT_EQ(Stored("HTMLOutputEnabled"), std::nullopt);
    EXPECT_EQ(f.Monitored().Count(), 0u) << "the list stays as it is in memory";
}

TEST_F(SettingsDialog, TabsFollowTheSwitchAndTheMethod) {
    Open();
    WithDialog([&](HWND dialog) {
        Tick(dialog, C::kRadioButton1);
        EXPECT_EQ(Tab(dialog), static_cast<int>(SettingsTab::InternetEmail));
        EXPECT_TRUE(IsWindowVisible(GetDlgItem(dialog, C::kEdit1)));
        EXPECT_FALSE(IsWindowVisible(GetDlgItem(dialog, C::kEdScanInterval)));
        Tick(dialog, C::kRadioButton2);
        EXPECT_EQ(Tab(dialog), static_cast<int>(SettingsTab::ScreenNotification));
        Tick(dialog, C::kCheckBox1);  // off
        EXPECT_EQ(Tab(dialog), static_cast<int>(SettingsTab::MonitoringFrequency));
        Tick(dialog, C::kRadioButton1);
        EXPECT_EQ(Tab(dialog), static_cast<int>(SettingsTab::MonitoringFrequency)) << "no jump while off";
        ClickTab(dialog, SettingsTab::ApplicationLaunch);
        EXPECT_EQ(Tab(dialog), static_cast<int>(SettingsTab::ApplicationLaunch)) << "leaving the first tab is free";
        ClickTab(dialog, SettingsTab::HtmlOutput);
        EXPECT_EQ(Tab(dialog), static_cast<int>(SettingsTab::ApplicationLaunch)) << "but not this one while off";
        Tick(dialog, C::kCheckBox1);  // on again
        ClickTab(dialog, SettingsTab::HtmlOutput);
        EXPECT_EQ(Tab(dialog), static_cast<int>(SettingsTab::HtmlOutput));
        EXPECT_TRUE(IsWindowVisible(GetDlgItem(dialog, C::kEdit10)));
        Press(dialog, C::kCancelBtn);
    });
}

TEST_F(SettingsDialog, TestMailsArriveTwiceInOneOpening) {
    const char* folder = std::getenv("VIGILOR_SMTP_SINK");
    ASSERT_TRUE(folder);
    const std::string sink = test::WinePath(folder);
    int before = 0;
    while (test::FileThere(sink + "\\mail-" + std::to_string(before + 1) + ".txt")) ++before;
    key.SetText("NotifybyMail", "0");
    Open();
    WithDialog([&](HWND dialog) {
        FillMail(dialog);
        Type(dialog, C::kEdit2, test::ReadWholeFile(sink + "\\port"));
        Press(dialog, C::kTestBtn);
        Press(dialog, C::kTestBtn);
        Press(dialog, C::kCancelBtn);
    });
    const std::string sent = "A test e-mail message has bent sent to ops@example.org  ";
    EXPECT_EQ(dialogs.Texts(), (std::vector<std::string>{sent, sent}));
    for (int n = before + 1; n <= before + 2; ++n) {
        const std::string mail = test::ReadWholeFile(sink + "\\mail-" + std::to_string(n) + ".txt");
        EXPECT_EQ(mail.substr(0, mail.find("\n\n")), "MAIL FROM: vigilor@example.org\nRCPT TO: ops@example.org");
        EXPECT_NE(mail.find("\r\nCC: \r\nSubject: NT Service Failure Alert\r\n"), std::string::npos) << mail;
        EXPECT_NE(mail.find("\r\nTHIS IS A TEST MESSAGE SENT BY \r\nVigilor\r\n"), std::string::npos) << mail;
        EXPECT_EQ(mail.find("Date:"), std::string::npos);
    }
}

TEST_F(SettingsDialog, ASecondTestAndCancelDuringATestMailWaitForItsEnd) {
    HeldFirstRecipient hold;
    test::ScriptedSmtpServer server("220 ready\r\n", hold.Answers(), 2);
    key.SetText("NotifybyMail", "0");
    TMainForm& f = Open();
    bool dialogShown = false;
    bool mainDisabled = false;
    WithDialog([&](HWND dialog) {
        FillMail(dialog);
        Type(dialog, C::kEdit2, std::to_string(server.Port()));
        Type(dialog, C::kEdit8, "cc@example.org");
        // The second click and Cancel come while the server holds its
        // answer to the first recipient; the checkpoint comes after both.
        Checkpoint during([&] {
            dialogShown = IsWindowVisible(dialog);
            mainDisabled = !IsWindowEnabled(f.Handle());
            hold.Release();
        });
        for (int id : {static_cast<int>(C::kTestBtn), static_cast<int>(C::kCancelBtn)})
            PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                         reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
        during.Post();
        Press(dialog, C::kTestBtn);
        // The dialog's loop carries out the commands the test held.
    });
    EXPECT_TRUE(dialogShown) << "Cancel waited for the test";
    EXPECT_TRUE(mainDisabled);
    const std::string sent = "A test e-mail message has bent sent to ops@example.org cc@example.org ";
    EXPECT_EQ(dialogs.Texts(), (std::vector<std::string>{sent, sent}));
    const std::string transcript =
        "HELO monitor-host\nRSET\nMAIL FROM:<vigilor@example.org>\nRCPT TO:<ops@example.org>\n"
        "RCPT TO:<cc@example.org>\nDATA\n.\nQUIT\n";
    EXPECT_EQ(server.Transcripts(), (std::vector<std::string>{transcript, transcript}))
        << "one message at a time, each recipient once";
    EXPECT_EQ(Stored("EMailSMTPHost"), std::nullopt) << "closed by Cancel";
}

TEST_F(SettingsDialog, SecurityMovesItsPortIsStoredAndItsTestMailsAuthenticateOverTls) {
    const char* folder = std::getenv("VIGILOR_SMTP_TLS");
    ASSERT_TRUE(folder);
    const std::string servers = test::WinePath(folder);
    std::string error;
    ASSERT_TRUE(test::TrustInRootStore(servers + "\\trusted.der", error)) << error;
    const auto port = [&](const char* server) { return test::TlsServerPort(servers, server); };
    const auto pick = [](HWND dialog, SmtpSecurity security) {
        const HWND list = GetDlgItem(dialog, C::kCmbSecurity);
        SendMessageW(list, CB_SETCURSEL, static_cast<WPARAM>(security), 0);
        SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(C::kCmbSecurity, CBN_SELCHANGE), reinterpret_cast<LPARAM>(list));
    };
    const int tlsBefore = test::TlsServerMails(servers, "tls");
    const int startTlsBefore = test::TlsServerMails(servers, "starttls");
    key.SetText("NotifybyMail", "0");
    Open();
    WithDialog([&](HWND dialog) {
        EXPECT_EQ(Text(dialog, C::kCmbSecurity), "None");
        FillMail(dialog);
        Type(dialog, C::kEdit1, "localhost");
        Type(dialog, C::kEdit3, "monitor-user");
        Type(dialog, C::kEdit4, "s3cret pass");
        pick(dialog, SmtpSecurity::StartTls);
        EXPECT_EQ(Text(dialog, C::kEdit2), "587");
        pick(dialog, SmtpSecurity::Tls);
        EXPECT_EQ(Text(dialog, C::kEdit2), "465");
        Type(dialog, C::kEdit2, port("tls"));
        Press(dialog, C::kTestBtn);
        pick(dialog, SmtpSecurity::StartTls);
        EXPECT_EQ(Text(dialog, C::kEdit2), port("tls")) << "a port of the user's own stays";
        Type(dialog, C::kEdit2, port("starttls"));
        Press(dialog, C::kTestBtn);
        Type(dialog, C::kEdit2, port("starttls-untrusted"));
        Press(dialog, C::kTestBtn);
        Press(dialog, C::kApplyBtn);
    });
    const std::string sent = "A test e-mail message has bent sent to ops@example.org  ";
    EXPECT_EQ(dialogs.Texts(), (std::vector<std::string>{
                                   sent, sent,
                                   "Server certificate not trusted: its root is not a trusted certificate authority"}));
    for (const auto& [server, n] : {std::pair{"tls", tlsBefore + 1}, {"starttls", startTlsBefore + 1}}) {
        const std::string mail = test::ReadWholeFile(test::TlsServerMail(servers, server, n));
        EXPECT_EQ(mail.substr(0, mail.find("\n\n")), "MAIL FROM: vigilor@example.org\nRCPT TO: ops@example.org\n"
                                                     "AUTH: monitor-user") << server;
        EXPECT_NE(mail.find("\r\nTHIS IS A TEST MESSAGE SENT BY \r\nVigilor\r\n"), std::string::npos) << mail;
    }
    EXPECT_EQ(Stored("EMailSMTPSecurity"), "STARTTLS");
    WithDialog([&](HWND dialog) {
        EXPECT_EQ(Text(dialog, C::kCmbSecurity), "STARTTLS");
        Press(dialog, C::kCancelBtn);
    });
}

TEST_F(SettingsDialog, AStoredSecurityThatNamesNoneShowsNoChoiceRefusesTheTestAndStaysUntilOneIsPicked) {
    key.SetText("NotifybyMail", "0");
    key.SetText("EMailSMTPSecurity", "SSL");
    key.SetText("EMailSMTPPort", "465");
    Open();
    WithDialog([&](HWND dialog) {
        EXPECT_EQ(Text(dialog, C::kCmbSecurity), "");
        FillMail(dialog);
        Type(dialog, C::kEdit2, "465");
        Press(dialog, C::kTestBtn);
        EXPECT_EQ(dialogs.Texts(), std::vector<std::string>{"Unknown mail security \"SSL\" in EMailSMTPSecurity: "
                                                            "choose None, STARTTLS or TLS in the settings"});
        Press(dialog, C::kApplyBtn);
    });
    EXPECT_EQ(Stored("EMailSMTPSecurity"), "SSL") << "kept, not turned into None";
    WithDialog([&](HWND dialog) {
        const HWND list = GetDlgItem(dialog, C::kCmbSecurity);
        SendMessageW(list, CB_SETCURSEL, static_cast<WPARAM>(SmtpSecurity::Tls), 0);
        SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(C::kCmbSecurity, CBN_SELCHANGE), reinterpret_cast<LPARAM>(list));
        EXPECT_EQ(Text(dialog, C::kEdit2), "465") << "no usual port to move from";
        Press(dialog, C::kApplyBtn);
    });
    EXPECT_EQ(Stored("EMailSMTPSecurity"), "TLS");
}

}  // namespace
}  // namespace vigilor
