// The all-services list driven by its controller: a real list view, label
// and pop-up menu, over Wine's real service manager with the project's
// test service.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <memory>
#include <vector>

#include "net/network_platform_win.h"
#include "platform/app_error.h"
#include "platform/system_error_win.h"
#include "platform/system_info_win.h"
#include "platform/wide_win.h"
#include "resources/resource_ids.h"
#include "services/service_browser_win.h"
#include "services/service_platform_win.h"
#include "tests/support/test_service_win.h"

namespace vigilor {
namespace {

using test::InstalledTestService;

class RecordingHost : public ServiceBrowserHost {
public:
    std::string computer = "\\\\" + LocalComputerName();
    std::vector<std::string> statuses;
    std::vector<std::string> quietStatuses;
    std::vector<std::string> errors;
    std::vector<std::pair<LoadClip, bool>> animations;
    int waitAnimations = 0;

    std::string SelectedComputer() override { return computer; }
    void ShowStatus(const std::string& text) override { statuses.push_back(text); }
    void ShowStatusQuietly(const std::string& text) override { quietStatuses.push_back(text); }
    void ShowError(const std::string& text) override { errors.push_back(text); }
    void ShowLoadAnimation(LoadClip clip, bool running) override { animations.emplace_back(clip, running); }
    void StartWaitAnimation() override { ++waitAnimations; }
};

std::string CellText(HWND list, int item, int column) {
    wchar_t text[512] = {};
    ListView_GetItemText(list, item, column, text, 512);
    return Narrow(text);
}

struct MenuItem {
    std::string text;
    bool enabled;
};

MenuItem ItemOf(HMENU menu, UINT command) {
    wchar_t text[512] = {};
    MENUITEMINFOW info{};
    info.cbSize = sizeof info;
    info.fMask = MIIM_STRING | MIIM_STATE;
    info.dwTypeData = text;
    info.cch = 512;
    GetMenuItemInfoW(menu, command, FALSE, &info);
    return {Narrow(text), !(info.fState & MFS_GRAYED)};
}

class ServiceBrowserWindow : public ::testing::Test {
protected:
    void SetUp() override {
        INITCOMMONCONTROLSEX controls{sizeof controls, ICC_LISTVIEW_CLASSES};
        InitCommonControlsEx(&controls);
        window_ = CreateWindowExW(0, L"STATIC", L"browser test", WS_OVERLAPPEDWINDOW, 0, 0, 640, 420, nullptr,
                                  nullptr, GetModuleHandleW(nullptr), nullptr);
        list_ = CreateWindowExW(0, WC_LISTVIEWW, L"", WS_CHILD | WS_VISIBLE | LVS_REPORT | LVS_SINGLESEL, 8, 80,
                                365, 113, window_, nullptr, GetModuleHandleW(nullptr), nullptr);
        label_ = CreateWindowExW(0, L"STATIC", L"ALL SERVICES:", WS_CHILD | WS_VISIBLE, 8, 60, 365, 16, window_,
                                 nullptr, GetModuleHandleW(nullptr), nullptr);
        for (const wchar_t* title : {L"Real Name", L"Description", L"Status"}) {
            LVCOLUMNW column{};
            column.mask = LVCF_TEXT | LVCF_WIDTH;
            column.cx = 100;
            column.pszText = const_cast<wchar_t*>(title);
            ListView_InsertColumn(list_, 99, &column);
        }
        menus_ = LoadMenuW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDR_POPUPS));
        ASSERT_NE(menus_, nullptr);
        popup_ = GetSubMenu(menus_, 0);
        controller_ = std::make_unique<ServiceBrowserController>(list_, label_, popup_, service_, host_);
    }
    void TearDown() override {
        controller_.reset();
        DestroyMenu(menus_);
        DestroyWindow(window_);
        EXPECT_FALSE(service_.ActiveManager());
        EXPECT_FALSE(service_.ActiveService());
    }

    int RowOf(const std::string& key) const {
        for (int i = 0; i < ListView_GetItemCount(list_); ++i)
            if (CellText(list_, i, 0) == key) return i;
        return -1;
    }
    void SelectRow(int index) {
        ListView_SetItemState(list_, -1, 0, LVIS_SELECTED);
        ListView_SetItemState(list_, index, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
        controller_->SelectionChanged();
    }
    std::string LabelText() const {
        wchar_t text[256] = {};
        GetWindowTextW(label_, text, 256);
        return Narrow(text);
    }
    static std::string SystemText(unsigned long code) {
        Win32SystemErrors errors;
        return SystemErrorText(errors, code);
    }

    HWND window_ = nullptr;
    HWND list_ = nullptr;
    HWND label_ = nullptr;
    HMENU menus_ = nullptr;
    HMENU popup_ = nullptr;
    RecordingHost host_;
    TNTService service_{SystemServices(), SystemNetwork()};
    std::unique_ptr<ServiceBrowserController> controller_;
};

TEST_F(ServiceBrowserWindow, LoadShowsEveryWin32ServiceWithItsState) {
    InstalledTestService mine("run");
    ASSERT_TRUE(mine.StartAndWaitFor(SERVICE_RUNNING));
    controller_->Reload();
    const int rows = ListView_GetItemCount(list_);
    ASSERT_GT(rows, 5);
    EXPECT_EQ(LabelText(), "ALL SERVICES ON  " + host_.computer + "  [" + std::to_string(rows) + "]");
    const int spooler = RowOf("Spooler");
    ASSERT_GE(spooler, 0);
    EXPECT_EQ(CellText(list_, spooler, 1), "Print Spooler");
    const int row = RowOf(mine.KeyName());
    ASSERT_GE(row, 0);
    EXPECT_EQ(CellText(list_, row, 1), mine.DisplayName());
    EXPECT_EQ(CellText(list_, row, 2), " Running");
    for (int i = 0; i < rows; ++i) {
        const std::string state = CellText(list_, i, 2);
        EXPECT_TRUE(state == " Running" || state == " Stopped" || state == " Starting" || state == " Stopping" ||
                    state == " Paused" || state == " Pausing" || state == " Continueing")
            << state;
        EXPECT_EQ(controller_->Model().KeyNameAt(i), CellText(list_, i, 0)) << "row and snapshot agree";
    }
    EXPECT_EQ(controller_->SelectedIndex(), 0);
    EXPECT_EQ(host_.statuses,
              (std::vector<std::string>{"Getting ALL services on " + host_.computer, "Getting status...", ""}));
    EXPECT_EQ(host_.animations, (std::vector<std::pair<LoadClip, bool>>{{LoadClip::SearchComputer, true},
                                                                         {LoadClip::SearchComputer, false}}));
}

TEST_F(ServiceBrowserWindow, SelectionRewritesTheMenuAndTheStatus) {
    InstalledTestService running("run");
    ASSERT_TRUE(running.StartAndWaitFor(SERVICE_RUNNING));
    InstalledTestService stopped("run");
    controller_->Reload();
    SelectRow(RowOf(running.KeyName()));
    EXPECT_EQ(ItemOf(popup_, IDM_START_SERVICE).text, "Start " + running.DisplayName() + "\tF3");
    EXPECT_FALSE(ItemOf(popup_, IDM_START_SERVICE).enabled);
    EXPECT_EQ(ItemOf(popup_, IDM_STOP_SERVICE).text, "Stop  " + running.DisplayName() + "\tF4");
    EXPECT_TRUE(ItemOf(popup_, IDM_STOP_SERVICE).enabled);
    EXPECT_EQ(ItemOf(popup_, IDM_ADD_TO_MONITOR).text, "Add " + running.DisplayName() + " to Monitoring\tIns");
    EXPECT_EQ(host_.quietStatuses.back(), running.DisplayName() + " on " + host_.computer);
    EXPECT_EQ(controller_->SelectedDisplayName(), running.DisplayName());
    controller_->StartSelected();  // F3, with its menu item greyed
    EXPECT_EQ(host_.waitAnimations, 0) << "no start request for a running service";

    SelectRow(RowOf(stopped.KeyName()));
    EXPECT_TRUE(ItemOf(popup_, IDM_START_SERVICE).enabled);
    EXPECT_FALSE(ItemOf(popup_, IDM_STOP_SERVICE).enabled);
    EXPECT_EQ(controller_->SelectedKeyName(), stopped.KeyName());
}

TEST_F(ServiceBrowserWindow, StartThenReloadShowsTheNewStateOnTheSameRow) {
    InstalledTestService mine("run");
    controller_->Reload();
    const int row = RowOf(mine.KeyName());
    ASSERT_GT(row, 0);
    SelectRow(row);
    controller_->StartSelected();
    EXPECT_EQ(host_.waitAnimations, 1);
    EXPECT_TRUE(host_.errors.empty());
    EXPECT_EQ(CellText(list_, row, 2), " Stopped") << "the row keeps its state until the reload";
    ASSERT_TRUE(mine.WaitForState(SERVICE_RUNNING, 10000));
    controller_->Reload();
    EXPECT_EQ(controller_->SelectedIndex(), row) << "the selected row is selected again";
    EXPECT_EQ(CellText(list_, row, 2), " Running");
    EXPECT_FALSE(ItemOf(popup_, IDM_START_SERVICE).enabled);

    controller_->StopSelected();
    EXPECT_EQ(host_.waitAnimations, 2);
    ASSERT_TRUE(mine.WaitForState(SERVICE_STOPPED, 10000));
    controller_->Reload();
    EXPECT_EQ(CellText(list_, row, 2), " Stopped");
}

TEST_F(ServiceBrowserWindow, F3AndF4GoByTheRowsStateNotByAStaleMenu) {
    InstalledTestService mine("run");
    controller_->Reload();
    SelectRow(RowOf(mine.KeyName()));
    // The menu as another row left it: the stop offered, the start not.
    EnableMenuItem(popup_, IDM_STOP_SERVICE, MF_BYCOMMAND | MF_ENABLED);
    EnableMenuItem(popup_, IDM_START_SERVICE, MF_BYCOMMAND | MF_GRAYED);
    controller_->StopSelected();
    EXPECT_EQ(host_.waitAnimations, 0) << "no stop request for a stopped service";
    controller_->StartSelected();
    EXPECT_EQ(host_.waitAnimations, 1);
    EXPECT_TRUE(mine.WaitForState(SERVICE_RUNNING, 10000));
}

TEST_F(ServiceBrowserWindow, DisabledServiceIsRefusedWithItsKeyName) {
    InstalledTestService disabled("run", SERVICE_DISABLED);
    controller_->Reload();
    SelectRow(RowOf(disabled.KeyName()));
    controller_->StartSelected();
    ASSERT_EQ(host_.errors.size(), 1u);
    EXPECT_EQ(host_.errors[0], disabled.KeyName() + " on \\\\" + LocalComputerName() +
                                   " is DISABLED and cannot be started!");
    EXPECT_EQ(host_.waitAnimations, 0);
    EXPECT_EQ(disabled.State(), static_cast<DWORD>(SERVICE_STOPPED));
}

TEST_F(ServiceBrowserWindow, RefusedStopRaisesAndArmsNoReload) {
    InstalledTestService stopped("run");
    controller_->Reload();
    SelectRow(RowOf(stopped.KeyName()));
    controller_->StopSelected();  // F4, with its menu item greyed
    EXPECT_EQ(host_.waitAnimations, 0);
    // The list still shows it running when it has stopped meanwhile.
    ASSERT_TRUE(stopped.StartAndWaitFor(SERVICE_RUNNING));
    controller_->Reload();
    SelectRow(RowOf(stopped.KeyName()));
    ASSERT_TRUE(stopped.Control(SERVICE_CONTROL_STOP));
    ASSERT_TRUE(stopped.WaitForState(SERVICE_STOPPED, 10000));
    try {
        controller_->StopSelected();
        FAIL() << "a stopped service accepted a stop";
    } catch (const AppError& e) {
        EXPECT_EQ(std::string(e.what()), SystemText(ERROR_SERVICE_NOT_ACTIVE));
    }
    EXPECT_EQ(host_.waitAnimations, 0);
}

TEST_F(ServiceBrowserWindow, NoSelectionAndNoComputer) {
    controller_->Reload();
    ListView_SetItemState(list_, -1, 0, LVIS_SELECTED);
    EXPECT_EQ(controller_->SelectedDisplayName(), std::nullopt);
    try {
        controller_->StartSelected();
        FAIL() << "started without a selection";
    } catch (const AppError& e) {
        EXPECT_STREQ(e.what(), "List index out of bounds (-1)");
    }
    host_.computer.clear();
    host_.statuses.clear();
    controller_->Refresh();
    EXPECT_TRUE(host_.statuses.empty()) << "no reload without a computer";
}

}  // namespace
}  // namespace vigilor
