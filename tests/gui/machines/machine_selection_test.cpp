// Choosing the computer on the main window, with Wine's real network layer
// (which has no browse list, as most networks today) and the real logon
// dialog.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <regex>

#include "app/main_form_ids.h"
#include "config/settings_dialog_win.h"
#include "net/computer_list.h"
#include "net/idn_win.h"
#include "net/login_dialog_win.h"
#include "platform/control_table_win.h"
#include "platform/system_error_win.h"
#include "platform/system_info_win.h"
#include "platform/text.h"
#include "platform/wide_win.h"
#include "resources/resource_ids.h"
#include "tests/support/event_log_tap_win.h"
#include "tests/support/form_fixture_win.h"
#include "tests/support/modal_driver_win.h"

namespace vigilor {
namespace {

using namespace main_form;
using D = TLoginDlg;

class MachineSelection : public test::FormFixture {
protected:
    std::vector<std::string> ComputerItems() const {
        const HWND box = form->Control(kCmbName);
        std::vector<std::string> items;
        for (int i = 0; i < SendMessageW(box, CB_GETCOUNT, 0, 0); ++i) {
            std::wstring text(static_cast<size_t>(SendMessageW(box, CB_GETLBTEXTLEN, i, 0)), L'\0');
            SendMessageW(box, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text.data()));
            items.push_back(Narrow(text));
        }
        return items;
    }
    // Types a name into the computer box.
    void TypeInto(const std::string& name) {
        SetFocus(GetWindow(form->Control(kCmbName), GW_CHILD));
        SetWindowTextUtf8(form->Control(kCmbName), name);
    }
    // Types a name into the computer box and presses Enter there; the key
    // goes through the main loop's handling.
    void TypeComputer(const std::string& name) {
        TypeInto(name);
        PostMessageW(GetFocus(), WM_KEYDOWN, VK_RETURN, 0);
        Pump();
    }
    // A click with the mouse on a button of the window.
    void ClickOn(int id) {
        const HWND button = form->Control(id);
        SendMessageW(button, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(4, 4));
        SendMessageW(button, WM_LBUTTONUP, 0, MAKELPARAM(4, 4));
        Pump();
    }
    static void TypeKeys(HWND dialog, int id, const std::string& keys) {
        for (char c : keys) SendMessageW(GetDlgItem(dialog, id), WM_CHAR, static_cast<WPARAM>(c), 0);
    }
    static bool OkEnabled(HWND dialog) { return IsWindowEnabled(GetDlgItem(dialog, D::kOKBtn)); }
};

TEST(TypedComputer, AnInternationalisedNameTakesTheSystemsAsciiForm) {
    EXPECT_EQ(TypedComputer("B\xC3\xBCro-Server.example.de", AsciiHostName), "\\\\xn--bro-server-9db.example.de");
}

TEST_F(MachineSelection, WithoutABrowseListTheKnownComputersAreOfferedWithoutABox) {
    key.SetText("NotifybyMail", "0");
    key.SetText("ComputerName", "\\\\SELECTED");
    key.SetText("MacMonitor0", "\\\\127.0.0.1");
    key.SetText("SvcMonitor0", "Anything");
    key.SetText("MacMonitor1", "\\\\selected");
    SetCursorPos(0, 0);  // away from the window, whose hints share the panel
    TMainForm& f = Open({"/A"});
    EXPECT_TRUE(dialogs.shown.empty()) << dialogs.Texts()[0];
    EXPECT_TRUE(f.IsMonitoring()) << "/A is not held up";
    const std::string local = "\\\\" + LocalComputerName();
    EXPECT_EQ(ComputerItems(), (std::vector<std::string>{"\\\\SELECTED", local, "\\\\127.0.0.1"}));
    EXPECT_EQ(WindowText(f.Control(kCmbName)), "\\\\SELECTED");
    EXPECT_NE(f.StatusPanelText(0).find("No network computer list: type a computer name into the list (6118"),
              std::string::npos)
        << f.StatusPanelText(0);
}

TEST_F(MachineSelection, TheMissingComputerListNoticeStaysUntilTheUserClicks) {
    key.SetText("NotifybyMail", "0");
    SetCursorPos(0, 0);
    TMainForm& f = Open();
    const std::string notice = f.StatusPanelText(0);
    EXPECT_EQ(notice, "       No network computer list: type a computer name into the list (6118:  The list of "
                      "servers for this workgroup is not currently available)");
    auto moveOver = [&](int id) {
        RECT place;
        GetWindowRect(f.Control(id), &place);
        SetCursorPos((place.left + place.right) / 2, (place.top + place.bottom) / 2);
        PostMessageW(f.Control(id), WM_MOUSEMOVE, 0, MAKELPARAM(2, 2));
        Pump();
    };
    moveOver(kStartBtn);
    EXPECT_EQ(f.StatusPanelText(0), notice) << "the mouse passing over a control";
    PostMessageW(f.Control(kLabel4), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 2));
    PostMessageW(f.Control(kLabel4), WM_LBUTTONUP, 0, MAKELPARAM(2, 2));
    Pump();
    moveOver(kStartBtn);
    EXPECT_EQ(f.StatusPanelText(0), "       Start monitoring the selected services") << "hints once the user clicked";
}

TEST_F(MachineSelection, ATypedNameBecomesTheSelectedComputer) {
    key.SetText("NotifybyMail", "0");
    TMainForm& f = Open();
    TypeComputer("127.0.0.1");
    EXPECT_EQ(f.Settings().selectedComputer, "\\\\127.0.0.1");
    const std::string label = WindowText(f.Control(kLabel3));
    EXPECT_EQ(label.rfind("ALL SERVICES ON  \\\\127.0.0.1  [", 0), 0u) << label;
    EXPECT_GT(ListView_GetItemCount(f.Control(kSvcMonitorList)), 0);
    EXPECT_TRUE(dialogs.shown.empty());
    EXPECT_EQ(Stored("ComputerName"), "\\\\127.0.0.1") << "stored when chosen";
}

TEST_F(MachineSelection, AComputerThatCannotBeReachedIsReportedAndTheWindowGoesOn) {
    key.SetText("NotifybyMail", "0");
    system.services.unreachable = {"\\\\FARAWAY"};
    TMainForm& f = Open();
    const std::string label = WindowText(f.Control(kLabel3));
    TypeComputer("FARAWAY");
    Win32SystemErrors errors;
    ASSERT_EQ(dialogs.shown.size(), 1u);
    EXPECT_EQ(dialogs.shown[0].text, SystemErrorText(errors, RPC_S_SERVER_UNAVAILABLE));
    EXPECT_EQ(dialogs.shown[0].caption, " Vigilor v.9.8.7.6") << "the application's error box";
    EXPECT_EQ(dialogs.shown[0].icon, BoxIcon::Error);
    EXPECT_EQ(f.Settings().selectedComputer, "\\\\FARAWAY");
    EXPECT_EQ(ListView_GetItemCount(f.Control(kSvcMonitorList)), 0);
    EXPECT_EQ(WindowText(f.Control(kLabel3)), label);
    EXPECT_FALSE(IsWindowVisible(f.Control(kAnimate1)));

    TypeComputer("127.0.0.1");
    EXPECT_GT(ListView_GetItemCount(f.Control(kSvcMonitorList)), 0) << "the window goes on";
}

TEST_F(MachineSelection, AStoredComputerThatCannotBeReachedDoesNotHoldUpMonitoring) {
    key.SetText("NotifybyMail", "0");
    key.SetText("ComputerName", "\\\\FARAWAY");
    key.SetText("MacMonitor0", "\\\\127.0.0.1");
    key.SetText("SvcMonitor0", "Anything");
    system.services.unreachable = {"\\\\FARAWAY"};
    const test::EventLogTap log;
    TMainForm& f = Open({"/A"});
    Win32SystemErrors errors;
    const std::string why = Trim(SystemErrorText(errors, RPC_S_SERVER_UNAVAILABLE));
    EXPECT_TRUE(dialogs.shown.empty()) << "nobody to answer a box: " << dialogs.Texts()[0];
    ASSERT_TRUE(std::regex_match(f.MemoText(), std::regex(R"(\d\d/\d\d/\d{4}  \d\d:\d\d .*)"))) << f.MemoText();
    EXPECT_EQ(f.MemoText().substr(18), why) << "one time-stamped failure report";
    EXPECT_EQ(log.Messages("Vigilor"), std::vector<std::string>{why});
    EXPECT_TRUE(f.IsMonitoring()) << "/A started monitoring all the same";
    f.StopBtn1Click();
}

TEST_F(MachineSelection, TheChosenComputerStaysSelectedAfterTheSettingsDialog) {
    key.SetText("NotifybyMail", "0");
    TMainForm& f = Open();
    TypeComputer("127.0.0.1");
    ASSERT_EQ(f.Settings().selectedComputer, "\\\\127.0.0.1");
    for (const int button : {TeMailConfig::kCancelBtn, TeMailConfig::kApplyBtn}) {
        const auto outcome = test::DriveModal([&] { Command(IDM_SETTINGS); },
                                              [&](HWND dialog) { test::ClickButton(dialog, button); });
        ASSERT_TRUE(outcome.found);
        EXPECT_EQ(f.Settings().selectedComputer, "\\\\127.0.0.1") << button;
    }
    EXPECT_EQ(WindowText(f.Control(kCmbName)), "\\\\127.0.0.1");
    Command(IDM_ADD_TO_MONITOR);
    ASSERT_EQ(f.Monitored().Count(), 1u);
    EXPECT_EQ(f.Monitored().At(0).server, "\\\\127.0.0.1") << "the row takes the computer the list shows";
    EXPECT_TRUE(dialogs.shown.empty());
}

TEST_F(MachineSelection, TextsThatAreNoComputerAreRefusedAndTheComputerStays) {
    key.SetText("NotifybyMail", "0");
    key.SetText("ComputerName", "\\\\127.0.0.1");
    TMainForm& f = Open();
    const std::string names[] = {"my server", "\\\\srv\\share\\", std::string(302, 'x')};
    for (const std::string& name : names) {
        TypeComputer(name);
        EXPECT_EQ(f.Settings().selectedComputer, "\\\\127.0.0.1") << name;
        EXPECT_EQ(WindowText(f.Control(kCmbName)), "\\\\127.0.0.1") << name;
        EXPECT_EQ(f.StatusPanelText(0), "       Not a computer name: \"" + name + "\"");
        // Left for another control instead of Enter.
        TypeInto(name);
        SetFocus(f.Control(kSvcMonitorList));
        Pump();
        EXPECT_EQ(f.Settings().selectedComputer, "\\\\127.0.0.1") << name;
        EXPECT_EQ(WindowText(f.Control(kCmbName)), "\\\\127.0.0.1") << name;
    }
    EXPECT_TRUE(dialogs.shown.empty());
    dialogs.answers = {BoxAnswer::Yes};
    SendMessageW(f.Handle(), WM_CLOSE, 0, 0);
    EXPECT_EQ(Stored("ComputerName"), "\\\\127.0.0.1");
}

TEST_F(MachineSelection, TickingLogonTakesTheTypedNameWithTheTickAndTheSameNameLogsOnAgain) {
    key.SetText("NotifybyMail", "0");
    TMainForm& f = Open();
    std::vector<std::string> asked;
    auto cancel = [&](HWND dialog) {
        asked.push_back(test::DialogItemText(dialog, D::kLabel6));
        test::ClickButton(dialog, D::kCancelBtn);
    };
    TypeInto("127.0.0.1");
    EXPECT_TRUE(test::DriveModal([&] { ClickOn(kLogonCheckBox1); }, cancel).found);
    EXPECT_EQ(IsDlgButtonChecked(f.Handle(), kLogonCheckBox1), static_cast<UINT>(BST_CHECKED));
    EXPECT_EQ(f.Settings().selectedComputer, "\\\\127.0.0.1");
    EXPECT_TRUE(test::DriveModal([&] { TypeComputer("127.0.0.1"); }, cancel).found);
    EXPECT_EQ(asked, (std::vector<std::string>{"\\\\127.0.0.1", "\\\\127.0.0.1"}));
}

TEST_F(MachineSelection, TheLogonDialogTakesBothValuesAndKeepsTheUser) {
    key.SetText("NotifybyMail", "0");
    TMainForm& f = Open();
    CheckDlgButton(f.Handle(), kLogonCheckBox1, BST_CHECKED);
    std::string server;
    const auto outcome = test::DriveModal([&] { TypeComputer("127.0.0.1"); },
                                          [&](HWND dialog) {
                                              server = test::DialogItemText(dialog, D::kLabel6);
                                              EXPECT_EQ(WindowText(dialog), "Logon Parameters");
                                              EXPECT_FALSE(OkEnabled(dialog));
                                              TypeKeys(dialog, D::kEdUser, "Admin");
                                              EXPECT_FALSE(OkEnabled(dialog)) << "the password is still empty";
                                              TypeKeys(dialog, D::kEdPass, "PaSs");
                                              EXPECT_TRUE(OkEnabled(dialog));
                                              test::ClickButton(dialog, D::kOKBtn);
                                          });
    ASSERT_TRUE(outcome.found);
    EXPECT_EQ(server, "\\\\127.0.0.1");
    EXPECT_EQ(Stored("User"), "admin") << "the user name in lower case";
    EXPECT_EQ(f.NTPrivilege1().LogonAs().UserName, "admin");
    EXPECT_EQ(f.NTPrivilege1().LogonAs().Password, "PaSs") << "the password as typed";
    EXPECT_EQ(f.NTPrivilege1().MachineName(), "\\\\127.0.0.1");

    // Again, for another name of this computer: the stored user is offered
    // and the password box has the focus; Cancel gives nothing.
    HWND focus = nullptr;
    test::DriveModal([&] { TypeComputer("localhost"); },
                     [&](HWND dialog) {
                         focus = GetFocus();
                         EXPECT_EQ(test::DialogItemText(dialog, D::kEdUser), "admin");
                         test::ClickButton(dialog, D::kCancelBtn);
                         EXPECT_EQ(focus, GetDlgItem(dialog, D::kEdPass));
                     });
    EXPECT_EQ(f.NTPrivilege1().LogonAs().UserName, "");
    EXPECT_EQ(f.NTPrivilege1().MachineName(), "\\\\localhost");
    EXPECT_EQ(Stored("User"), "admin");
}

}  // namespace
}  // namespace vigilor
