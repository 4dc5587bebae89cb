// The service properties dialog opened from the real main window, over
// Wine's real service manager and the project's test service: what it
// shows, what a confirmed change does to the service, and what the ways of
// cancelling leave alone.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <functional>
#include <vector>

#include "app/main_form_ids.h"
#include "platform/control_table_win.h"
#include "platform/handles_win.h"
#include "platform/system_error_win.h"
#include "platform/wide_win.h"
#include "resources/resource_ids.h"
#include "services/service_properties_dialog_win.h"
#include "tests/support/form_fixture_win.h"
#include "tests/support/modal_driver_win.h"
#include "tests/support/test_service_win.h"

namespace vigilor {
namespace {

using namespace main_form;
using F = TFrmProperty;
using test::InstalledTestService;

// The configuration as the manager reports it now.
struct ManagerConfig {
    DWORD type = 0, start = 0, error = 0;
    std::string file, group, account, display;
};

ManagerConfig ConfigOf(const std::string& key) {
    const ServiceHandle manager(OpenSCManagerW(nullptr, nullptr, SC_MANAGER_CONNECT));
    const ServiceHandle service(OpenServiceW(manager.Get(), Wide(key).c_str(), SERVICE_QUERY_CONFIG));
    std::vector<BYTE> buffer(8192);
    auto* config = reinterpret_cast<QUERY_SERVICE_CONFIGW*>(buffer.data());
    DWORD needed = 0;
    if (!QueryServiceConfigW(service.Get(), config, static_cast<DWORD>(buffer.size()), &needed)) {
        ADD_FAILURE() << "no configuration of " << key << ": " << GetLastError();
        return {};
    }
    auto text = [](const wchar_t* t) { return t ? Narrow(t) : std::string(); };
    return {config->dwServiceType,
            config->dwStartType,
            config->dwErrorControl,
            text(config->lpBinaryPathName),
            text(config->lpLoadOrderGroup),
            text(config->lpServiceStartName),
            text(config->lpDisplayName)};
}

// The command line the test service was installed with.
std::string TestServiceCommand(const char* mode) {
    wchar_t path[MAX_PATH * 4] = {};
    std::wstring program(path, GetModuleFileNameW(nullptr, path, MAX_PATH * 4));
    program.resize(program.find_last_of(L"\\/") + 1);
    return "\"" + Narrow(program) + "vigilor_test_service.exe\" " + mode;
}

void Click(HWND dialog, int id) { SendMessageW(GetDlgItem(dialog, id), BM_CLICK, 0, 0); }
bool Checked(HWND dialog, int id) { return IsDlgButtonChecked(dialog, id) == BST_CHECKED; }

class PropertiesDialog : public test::FormFixture {
protected:
    // Selects the service's row in the all-services list.
    void SelectService(const InstalledTestService& service) {
        const std::vector<std::string> keys = ListColumn(kSvcMonitorList, 0);
        const auto row = std::find(keys.begin(), keys.end(), service.KeyName());
        ASSERT_NE(row, keys.end()) << service.KeyName() << " is not listed";
        SelectRow(kSvcMonitorList, static_cast<int>(row - keys.begin()));
    }
    // Opens the dialog by the command and hands it to act, which closes it.
    void WithDialog(const std::function<void(HWND)>& act, const std::function<void()>& open = {}) {
        const auto outcome = test::DriveModal(open ? open : [&] { Command(IDM_PROPERTIES); }, act);
        ASSERT_TRUE(outcome.found) << "no dialog";
        ASSERT_FALSE(outcome.timedOut) << "the dialog stayed open";
    }
    std::vector<std::string> Warnings() const {
        std::vector<std::string> texts;
        for (const auto& box : dialogs.shown)
            if (box.caption == "Warning") texts.push_back(box.text);
        return texts;
    }
    std::vector<std::string> Errors() const {
        std::vector<std::string> texts;
        for (const auto& box : dialogs.shown)
            if (box.icon == BoxIcon::Error) texts.push_back(box.text);
        return texts;
    }
};

TEST_F(PropertiesDialog, ShowsTheServiceAsTheManagerHasIt) {
    InstalledTestService running("run");
    ASSERT_TRUE(running.StartAndWaitFor(SERVICE_RUNNING));
    InstalledTestService stopped("run");
    Open();
    struct Case {
        const InstalledTestService& service;
        const char* state;
        COLORREF colour;
    } cases[] = {{running, " Running", RGB(0, 0, 255)}, {stopped, " Stopped", RGB(255, 0, 0)}};
    for (const Case& c : cases) {
        SelectService(c.service);
        WithDialog([&](HWND dialog) {
            EXPECT_EQ(WindowText(dialog), "Service property");
            RECT client;
            GetClientRect(dialog, &client);
            EXPECT_EQ(client.right, 504);
            EXPECT_EQ(client.bottom, 469);
            EXPECT_EQ(test::DialogItemText(dialog, F::kEdtServiceName), c.service.KeyName());
            EXPECT_EQ(test::DialogItemText(dialog, F::kEdtDisplayName), c.service.DisplayName());
            EXPECT_EQ(test::DialogItemText(dialog, F::kEdtBinaryFile), TestServiceCommand("run"));
            EXPECT_EQ(test::DialogItemText(dialog, F::kEdStatus), c.state);
            const HDC dc = CreateCompatibleDC(nullptr);
            SendMessageW(dialog, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                         reinterpret_cast<LPARAM>(GetDlgItem(dialog, F::kEdStatus)));
            EXPECT_EQ(GetTextColor(dc), c.colour) << c.state;
            DeleteDC(dc);
            LOGFONTW font{};
            GetObjectW(reinterpret_cast<HFONT>(SendDlgItemMessageW(dialog, F::kEdStatus, WM_GETFONT, 0, 0)),
                       sizeof font, &font);
            EXPECT_EQ(font.lfWeight, FW_BOLD);
            EXPECT_EQ(test::DialogItemText(dialog, F::kCmbLoadOrder), "") << "the test service has no group";
            EXPECT_EQ(test::DialogItemText(dialog, F::kEdtOrderWithinGroup), "0");
            EXPECT_EQ(test::DialogItemText(dialog, F::kMemDependencies), "");
            EXPECT_EQ(test::DialogItemText(dialog, F::kEdtAccount), "LocalSystem") << "installed without an account";
            EXPECT_EQ(test::DialogItemText(dialog, F::kEdtPassword), "****************");
            EXPECT_EQ(SendDlgItemMessageW(dialog, F::kEdtPassword, EM_GETPASSWORDCHAR, 0, 0), L'*');
            for (int i = 0; i < 5; ++i) EXPECT_EQ(Checked(dialog, F::StartupItem(i)), i == 3) << "Manual";
            for (int i = 0; i < 4; ++i) EXPECT_EQ(Checked(dialog, F::ErrorItem(i)), i == 1) << "Normal";
            for (int id = F::kCbxKernelDriver; id <= F::kCbxInteractive; ++id)
                EXPECT_EQ(Checked(dialog, id), id == F::kCmbWin32Own) << id;
            EXPECT_EQ(LOWORD(SendMessageW(dialog, DM_GETDEFID, 0, 0)), IDCANCEL) << "Enter presses Cancel";
            EXPECT_EQ(GetFocus(), GetDlgItem(dialog, IDCANCEL));
            test::ClickButton(dialog, F::kBtnCancel);
        });
    }
    EXPECT_TRUE(dialogs.shown.empty());
}

TEST_F(PropertiesDialog, TextsAreTheProgramsOwn) {
    InstalledTestService mine("run");
    Open();
    SelectService(mine);
    WithDialog([&](HWND dialog) {
        const std::pair<int, const char*> captions[] = {
            {F::kFirstLabel + 0, "Sevice Name:"},      {F::kFirstLabel + 1, "Display Name:"},
            {F::kFirstLabel + 2, "File name:"},        {F::kFirstLabel + 3, "Service Status:"},
            {F::kFirstLabel + 4, "Load order Group:"}, {F::kFirstLabel + 5, "Order within Group:"},
            {F::kFirstLabel + 6, "Dependencies:"},     {F::kFirstLabel + 7, "Account to Start under:"},
            {F::kFirstLabel + 8, "Password:"},         {F::StartupItem(0), "Boot "},
            {F::StartupItem(1), "SystemStart"},        {F::StartupItem(2), "Automatic "},
            {F::StartupItem(3), "Manual"},             {F::StartupItem(4), "Disabled"},
            {F::ErrorItem(0), "Ignore"},               {F::ErrorItem(1), "Normal"},
            {F::ErrorItem(2), "Severe"},               {F::ErrorItem(3), "Critical"},
            {F::kCbxKernelDriver, "Kernel driver"},    {F::kCbxFileDriver, "File system driver"},
            {F::kCbxAdapter, "Adapter"},               {F::kCbxRecognizer, "Recognizer driver"},
            {F::kCmbWin32Own, "Win32 own process"},    {F::kCbxWin32Shared, "Win32 shared process"},
            {F::kCbxInteractive, "Interactive process"},
        };
        const HDC dc = GetDC(dialog);
        for (const auto& [id, caption] : captions) {
            const std::wstring text = Wide(test::DialogItemText(dialog, id));
            EXPECT_EQ(Narrow(text), caption);
            // The caption fits its control, with the box or circle before it.
            SelectObject(dc, reinterpret_cast<HFONT>(SendDlgItemMessageW(dialog, id, WM_GETFONT, 0, 0)));
            SIZE extent{};
            GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &extent);
            RECT place;
            GetClientRect(GetDlgItem(dialog, id), &place);
            const int box = id >= F::kFirstLabel ? 0 : GetSystemMetrics(SM_CXMENUCHECK) + 4;
            EXPECT_LE(extent.cx + box, place.right) << caption;
        }
        ReleaseDC(dialog, dc);
        EXPECT_EQ(test::DialogItemText(dialog, F::kRgpStartup), "Startup");
        EXPECT_EQ(test::DialogItemText(dialog, F::kRgpError), "Error control");
        EXPECT_EQ(test::DialogItemText(dialog, F::kGrpServiceType), "Service type");
        EXPECT_EQ(test::DialogItemText(dialog, F::kBtnChange), "Change");
        EXPECT_EQ(test::DialogItemText(dialog, F::kBtnCancel), "Cancel");
        test::ClickButton(dialog, F::kBtnCancel);
    });
}

TEST_F(PropertiesDialog, ManualToAutomaticChangesTheStartTypeTheManagerReports) {
    InstalledTestService mine("run");
    Open();
    SelectService(mine);
    dialogs.answers = {BoxAnswer::Ok};
    WithDialog([&](HWND dialog) {
        Click(dialog, F::StartupItem(2));
        test::ClickButton(dialog, F::kBtnChange);
    });
    EXPECT_EQ(Warnings(), (std::vector<std::string>{
                              "Are you sure to change service properties?. It may cause system damage !"}));
    EXPECT_TRUE(Errors().empty());
    const ManagerConfig now = ConfigOf(mine.KeyName());
    EXPECT_EQ(now.start, static_cast<DWORD>(SERVICE_AUTO_START));
    EXPECT_EQ(now.error, static_cast<DWORD>(SERVICE_ERROR_NORMAL));
    EXPECT_EQ(now.type, static_cast<DWORD>(SERVICE_WIN32_OWN_PROCESS));
    EXPECT_EQ(now.file, TestServiceCommand("run"));
    EXPECT_EQ(now.display, mine.DisplayName());
    EXPECT_FALSE(form->NTService().ActiveManager()) << "closed after the change";
}

// The animations that start to play, as their notices reach the window.
LRESULT CALLBACK RecordAnimationStarts(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                       DWORD_PTR data) {
    if (message == WM_COMMAND && HIWORD(wParam) == ACN_START)
        reinterpret_cast<std::vector<int>*>(data)->push_back(LOWORD(wParam));
    return DefSubclassProc(window, message, wParam, lParam);
}

TEST_F(PropertiesDialog, TheReloadAfterAChangePlaysTheFindFolderClip) {
    InstalledTestService mine("run");
    TMainForm& f = Open();
    SelectService(mine);
    std::vector<int> started;
    SetWindowSubclass(f.Handle(), RecordAnimationStarts, 1, reinterpret_cast<DWORD_PTR>(&started));
    dialogs.answers = {BoxAnswer::Ok};
    WithDialog([&](HWND dialog) { test::ClickButton(dialog, F::kBtnChange); });
    RemoveWindowSubclass(f.Handle(), RecordAnimationStarts, 1);
    EXPECT_TRUE(Errors().empty());
    EXPECT_EQ(started, std::vector<int>{kAnimate2});
    EXPECT_FALSE(IsWindowVisible(f.Control(kAnimate2))) << "hidden once the list is loaded";
}

TEST_F(PropertiesDialog, EveryWayOfCancellingChangesNothing) {
    InstalledTestService mine("run");
    Open();
    SelectService(mine);
    const ManagerConfig before = ConfigOf(mine.KeyName());
    struct Case {
        const char* what;
        std::function<void(HWND)> close;
        bool warned;
    } cases[] = {
        {"Cancel", [](HWND d) { test::ClickButton(d, F::kBtnCancel); }, false},
        {"Escape", [](HWND d) { PostMessageW(GetDlgItem(d, F::kEdtAccount), WM_KEYDOWN, VK_ESCAPE, 0); }, false},
        {"Enter", [](HWND d) { PostMessageW(GetDlgItem(d, F::kEdtAccount), WM_KEYDOWN, VK_RETURN, 0); }, false},
        {"Cancel in the warning", [](HWND d) { test::ClickButton(d, F::kBtnChange); }, true},
    };
    for (const Case& c : cases) {
        dialogs.shown.clear();
        dialogs.answers = {BoxAnswer::Cancel};
        WithDialog([&](HWND dialog) {
            Click(dialog, F::StartupItem(2));
            Click(dialog, F::ErrorItem(2));
            SetWindowTextW(GetDlgItem(dialog, F::kEdtAccount), L".\\Nobody");
            c.close(dialog);
        });
        EXPECT_EQ(Warnings().size(), c.warned ? 1u : 0u) << c.what;
        const ManagerConfig now = ConfigOf(mine.KeyName());
        EXPECT_EQ(now.start, before.start) << c.what;
        EXPECT_EQ(now.error, before.error) << c.what;
        EXPECT_EQ(now.account, before.account) << c.what;
    }
}

TEST_F(PropertiesDialog, ARefusedWriteShowsItsErrorAndKeepsTheEarlierFields) {
    InstalledTestService mine("run");
    Open();
    SelectService(mine);
    dialogs.answers = {BoxAnswer::Ok};
    WithDialog([&](HWND dialog) {
        Click(dialog, F::kCbxInteractive);  // written first: allowed for LocalSystem
        Click(dialog, F::StartupItem(0));   // "Boot " is for drivers only: refused
        Click(dialog, F::ErrorItem(2));     // would come after: never sent
        test::ClickButton(dialog, F::kBtnChange);
    });
    Win32SystemErrors errors;
    EXPECT_EQ(Errors(), (std::vector<std::string>{SystemErrorText(errors, ERROR_INVALID_PARAMETER)}));
    const ManagerConfig now = ConfigOf(mine.KeyName());
    EXPECT_EQ(now.type, static_cast<DWORD>(SERVICE_WIN32_OWN_PROCESS | SERVICE_INTERACTIVE_PROCESS));
    EXPECT_EQ(now.start, static_cast<DWORD>(SERVICE_DEMAND_START));
    EXPECT_EQ(now.error, static_cast<DWORD>(SERVICE_ERROR_NORMAL));
    EXPECT_FALSE(form->NTService().ActiveService());
    EXPECT_FALSE(form->NTService().ActiveManager());
}

TEST_F(PropertiesDialog, OpensFromTheKeyTheItemAndADoubleClickOnARow) {
    InstalledTestService mine("run");
    TMainForm& f = Open();
    SelectService(mine);
    const HWND list = f.Control(kSvcMonitorList);
    const int row = ListView_GetNextItem(list, -1, LVNI_SELECTED);
    RECT cell{};
    ListView_EnsureVisible(list, row, FALSE);
    ListView_GetItemRect(list, row, &cell, LVIR_LABEL);
    const LPARAM onRow = MAKELPARAM(cell.left + 4, (cell.top + cell.bottom) / 2);
    const std::pair<const char*, std::function<void()>> ways[] = {
        {"pop-up item", [&] { Command(IDM_PROPERTIES); }},
        {"F6",
         [&] {
             SetFocus(list);
             MSG key{list, WM_KEYDOWN, VK_F6, 0, 0, {}};
             ASSERT_TRUE(f.PreTranslateMessage(key));
             Pump();
         }},
        {"double click",
         [&] {
             SendMessageW(list, WM_LBUTTONDBLCLK, MK_LBUTTON, onRow);
             Pump();
         }},
    };
    for (const auto& [way, open] : ways) {
        std::string shown;
        WithDialog(
            [&](HWND dialog) {
                shown = test::DialogItemText(dialog, F::kEdtServiceName);
                test::ClickButton(dialog, F::kBtnCancel);
            },
            open);
        EXPECT_EQ(shown, mine.KeyName()) << way;
    }
}

TEST_F(PropertiesDialog, WithoutASelectedRowTheListsIndexErrorAndNoDialog) {
    TMainForm& f = Open();
    ListView_SetItemState(f.Control(kSvcMonitorList), -1, 0, LVIS_SELECTED);
    const auto outcome = test::DriveModal([&] { Command(IDM_PROPERTIES); },
                                          [](HWND dialog) { test::ClickButton(dialog, IDCANCEL); });
    EXPECT_FALSE(outcome.found);
    EXPECT_EQ(Errors(), (std::vector<std::string>{"List index out of bounds (-1)"}));
}

}  // namespace
}  // namespace vigilor
