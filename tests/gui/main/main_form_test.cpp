#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <regex>

#include "app/main_form_ids.h"
#include "app/main_texts.h"
#include "monitor/failure_options_dialog_win.h"
#include "platform/control_table_win.h"
#include "platform/system_info_win.h"
#include "platform/wide_win.h"
#include "notify/failure_reports.h"
#include "resources/resource_ids.h"
#include "tests/support/event_log_tap_win.h"
#include "tests/support/form_fixture_win.h"
#include "tests/support/modal_driver_win.h"
#include "config/registry_store_win.h"

namespace vigilor {
namespace {

using namespace main_form;
using test::FormFixture;

RECT ClientRectOf(HWND control) {
    RECT rect;
    GetWindowRect(control, &rect);
    MapWindowPoints(nullptr, GetParent(control), reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

void ExpectPlace(HWND control, int x, int y, int width, int height) {
    const RECT r = ClientRectOf(control);
    EXPECT_EQ(r.left, x);
    EXPECT_EQ(r.top, y);
    EXPECT_EQ(r.right - r.left, width);
    EXPECT_EQ(r.bottom - r.top, height);
}

std::string ColumnTitle(HWND list, int column) {
    wchar_t text[64] = {};
    LVCOLUMNW info{};
    info.mask = LVCF_TEXT;
    info.pszText = text;
    info.cchTextMax = 64;
    ListView_GetColumn(list, column, &info);
    return Narrow(text);
}

using MainWindowLayout = FormFixture;

TEST_F(MainWindowLayout, ControlsStandWhereTheTablePutsThem) {
    TMainForm& f = Open();
    RECT client;
    GetClientRect(f.Handle(), &client);
    EXPECT_EQ(client.right, 632);
    EXPECT_EQ(client.bottom, 410);
    ExpectPlace(f.Control(kStartBtn), 10, 4, 88, 44);
    ExpectPlace(f.Control(kStopBtn), 101, 4, 88, 44);
    ExpectPlace(f.Control(kResetBtn), 192, 4, 88, 44);
    ExpectPlace(f.Control(kSettingsBtn), 283, 4, 88, 44);
    ExpectPlace(f.Control(kSvcMonitorList), 8, 80, 365, 113);
    ExpectPlace(f.Control(kMemoPanel), 384, 80, 241, 274);
    ExpectPlace(f.Control(kPZBox1), 8, 222, 365, 132);
    ExpectPlace(f.Control(kStatusBar1), 0, 385, 632, 25);
    ExpectPlace(f.Control(kGL1), 3, 4, 19, 23);
    EXPECT_EQ(WindowText(f.Control(kStartBtn)), "Start");
    EXPECT_EQ(WindowText(f.Control(kLogonCheckBox1)), "&Logon required");
    EXPECT_EQ(WindowText(f.Control(kLabel2)), "Windows NT Servers:");
    EXPECT_EQ(WindowText(f.Control(kLabel4)), "RECENT FAILURE REPORTS:");
    EXPECT_FALSE(IsWindowVisible(f.Control(kP7)));
    EXPECT_FALSE(IsWindowVisible(f.Control(kAnimate1)));
    EXPECT_FALSE(IsWindowVisible(f.Control(kMonitorBtn)));
    EXPECT_FALSE(IsWindowEnabled(f.Control(kMemoPanel)));
}

TEST_F(MainWindowLayout, ListsHaveTheirColumns) {
    TMainForm& f = Open();
    const HWND services = f.Control(kSvcMonitorList);
    EXPECT_EQ(ColumnTitle(services, 0), "Real Name");
    EXPECT_EQ(ColumnTitle(services, 1), "Description");
    EXPECT_EQ(ColumnTitle(services, 2), "Status");
    EXPECT_EQ(ListView_GetColumnWidth(services, 1), 182);
    const HWND monitored = f.Control(kPZBox1);
    EXPECT_EQ(ColumnTitle(monitored, 0), "Server");
    EXPECT_EQ(ColumnTitle(monitored, 3), "EMail");
    EXPECT_EQ(ListView_GetColumnWidth(monitored, 0), 86) << "stored default widths apply at load";
    EXPECT_EQ(ListView_GetColumnWidth(monitored, 1), 152);
    EXPECT_EQ(WindowText(f.Control(kLabel1)), "MONITORED SERVICES [0]");
}

TEST_F(MainWindowLayout, CaptionStatusBarAndLightAtStartUp) {
    TMainForm& f = Open();
    EXPECT_EQ(WindowText(f.Handle()), " Vigilor v.9.8.7.6");
    int parts[3] = {};
    SendMessageW(f.Control(kStatusBar1), SB_GETPARTS, 3, reinterpret_cast<LPARAM>(parts));
    EXPECT_EQ(parts[0], 400);
    EXPECT_EQ(parts[1], 510);
    EXPECT_EQ(f.StatusPanelText(1), PrimaryDomainName());
    EXPECT_TRUE(std::regex_match(f.StatusPanelText(2), std::regex(R"(\d\d/\d\d/\d{4}  \d\d:\d\d)")))
        << f.StatusPanelText(2);
    EXPECT_EQ(f.Light().State(), (LightState{ActiveLight::alGreen, false, false}));
    EXPECT_EQ(f.HintOf(f.Control(kGL1)), "Scanning interval - every minute.");
    EXPECT_FALSE(IsWindowEnabled(f.Control(kStopBtn)));
    EXPECT_FALSE(IsWindowEnabled(f.Control(kResetBtn)));
    EXPECT_TRUE(f.PrintEnabled());
    EXPECT_EQ(f.PrinterName(), "Test Printer");
}

TEST_F(MainWindowLayout, NoVersionRecordLeavesTheBareCaption) {
    TMainForm& f = Open({}, "");
    EXPECT_EQ(WindowText(f.Handle()), " Vigilor v.");
}

TEST_F(MainWindowLayout, NoDefaultPrinterDisablesPrint) {
    system.printer = "   ";
    EXPECT_FALSE(Open().PrintEnabled());
}

TEST_F(MainWindowLayout, IntervalOfFiveInTheLightHint) {
    key.SetText("ScanInterval", "5");
    TMainForm& f = Open();
    EXPECT_EQ(f.HintOf(f.Control(kGL1)), "Scanning interval - every 5 minutes.");
    EXPECT_EQ(f.Engine().State().minutes, 5);
}

TEST_F(MainWindowLayout, HintsOfControlsAndTheStatusBar) {
    TMainForm& f = Open();
    EXPECT_EQ(f.HintOf(f.Control(kPZBox1)), "List of services to Monitor. Right-click for more options");
    EXPECT_EQ(f.HintOf(f.Control(kMemo1)),
              "Failure reports. Note that all events are logged to the Application Event Log");
    EXPECT_EQ(f.HintOf(f.Control(kStatusBar1)), "Status | Hint | Domain Name | Date and Time");
}

using StatusAndAlarms = FormFixture;

TEST_F(StatusAndAlarms, ShowStatusPrefixesSevenBlanks) {
    TMainForm& f = Open();
    f.ShowStatus("");
    EXPECT_EQ(f.StatusPanelText(0), "       ");
    f.ShowStatus("Checking Spooler on \\\\HOST");
    EXPECT_EQ(f.StatusPanelText(0), "       Checking Spooler on \\\\HOST");
}

TEST_F(StatusAndAlarms, AlarmAndClearAlarms) {
    TMainForm& f = Open();
    f.AppendMemoLine("first");
    f.AppendMemoLine("second");
    EXPECT_EQ(f.MemoText(), "first\r\nsecond");
    f.ShowAlarm();
    EXPECT_TRUE(f.MemoInAlarm());
    f.Light().SetActiveLight(ActiveLight::alRed);
    f.ClearAlarms();
    EXPECT_FALSE(f.MemoInAlarm());
    EXPECT_EQ(f.MemoText(), "");
    EXPECT_EQ(f.Light().State(), (LightState{ActiveLight::alGreen, false, false}));
    EXPECT_FALSE(f.GLTimer().Running());
}

TEST_F(StatusAndAlarms, LightRepaintsOnlyOnChange) {
    TMainForm& f = Open();
    const int before = f.Light().RepaintRequests();
    f.Light().SetActiveLight(ActiveLight::alGreen);
    f.Light().SetDarkLite(false);
    EXPECT_EQ(f.Light().RepaintRequests(), before);
    f.Light().SetDarkLite(true);
    EXPECT_EQ(f.Light().RepaintRequests(), before + 1);
}

using Monitoring = FormFixture;

TEST_F(Monitoring, AutoStartWithEmptyListReportsItsMessageAndStaysIdle) {
    TMainForm& f = Open({"/a"});
    const std::string why = "How can I start monitoring, when there are no services to monitor!";
    EXPECT_TRUE(PumpUntil([&] { return f.MemoText().find(why) != std::string::npos; })) << f.MemoText();
    EXPECT_TRUE(dialogs.shown.empty()) << "nobody need be at the screen";
    EXPECT_FALSE(f.IsMonitoring());
    SendMessageW(f.Control(kStartBtn), BM_CLICK, 0, 0);
    ASSERT_EQ(dialogs.shown.size(), 1u) << "a click gets the box";
    EXPECT_EQ(dialogs.shown[0].text, why);
    EXPECT_EQ(dialogs.shown[0].caption, "Error");
    EXPECT_EQ(dialogs.shown[0].icon, BoxIcon::Error);
}

TEST_F(Monitoring, AutoStartOnlyFromTheFirstArgument) {
    key.SetText("MacMonitor0", "\\\\HOST");
    key.SetText("SvcMonitor0", "Spooler");
    EXPECT_FALSE(Open({"x", "/A"}).IsMonitoring());
}

TEST_F(Monitoring, StartStopAndResetSetTheControls) {
    key.SetText("NotifybyMail", "0");
    key.SetText("MacMonitor0", "\\\\HOST");
    key.SetText("SvcMonitor0", "Spooler");
    TMainForm& f = Open({"/A"});
    EXPECT_TRUE(dialogs.shown.empty());
    ASSERT_TRUE(f.IsMonitoring());
    EXPECT_TRUE(IsWindowEnabled(f.Control(kStopBtn)));
    EXPECT_FALSE(IsWindowEnabled(f.Control(kResetBtn)));
    EXPECT_FALSE(IsWindowEnabled(f.Control(kSettingsBtn)));
    EXPECT_FALSE(IsWindowEnabled(f.Control(kPZBox1)));
    EXPECT_FALSE(IsWindowEnabled(f.Control(kCmbName)));
    EXPECT_TRUE(GetMenuState(GetMenu(f.Handle()), 0, MF_BYPOSITION) & MF_GRAYED);
    EXPECT_TRUE(f.Engine().State().timerOn);
    EXPECT_TRUE(f.GLTimer().Running());
    EXPECT_EQ(f.Light().State().activeLight, ActiveLight::alRed);
    const bool dark = f.Light().State().darkLite;
    SendMessageW(f.Handle(), WM_TIMER, kGLTimer, 0);
    EXPECT_NE(f.Light().State().darkLite, dark) << "each blink inverts the light";

    SendMessageW(f.Control(kStopBtn), BM_CLICK, 0, 0);
    EXPECT_FALSE(f.IsMonitoring());
    EXPECT_TRUE(IsWindowEnabled(f.Control(kResetBtn)));
    EXPECT_FALSE(f.Engine().State().timerOn);
    EXPECT_FALSE(f.GLTimer().Running());
    EXPECT_EQ(f.Light().State().activeLight, ActiveLight::alGreen);

    SendMessageW(f.Control(kResetBtn), BM_CLICK, 0, 0);
    EXPECT_TRUE(IsWindowEnabled(f.Control(kResetBtn))) << "stays enabled after use";
}

TEST_F(Monitoring, TheTimerIsOnAgainAfterATimedPass) {
    key.SetText("NotifybyMail", "0");
    key.SetText("MacMonitor0", "\\\\127.0.0.1");
    key.SetText("ScanInterval", "2");
    TMainForm& f = Open({"/A"});
    TimedPass();
    EXPECT_EQ(f.Engine().PassesEnded(), 1u);
    EXPECT_TRUE(f.Engine().State().timerOn);
}

TEST_F(Monitoring, IncompleteMailSettingsStartUnattendedMonitoringButStopAClickOnStart) {
    key.SetText("MacMonitor0", "\\\\HOST");
    key.SetText("EMailSMTPHost", "127.0.0.1");
    key.SetText("ScreenNotify", "0");
    const std::string why = "No Sender (FROM) defined! Please check your email parameters.";
    {
        TMainForm& f = Open({"/A"});
        EXPECT_TRUE(dialogs.shown.empty());
        EXPECT_TRUE(f.IsMonitoring());
        EXPECT_TRUE(PumpUntil([&] { return f.MemoText().find(why) != std::string::npos; })) << f.MemoText();
        EXPECT_TRUE(f.Settings().notifyByMail) << "alerts are mailed once the settings are complete";
        SendMessageW(f.Control(kStopBtn), BM_CLICK, 0, 0);
        form.reset();
    }
    TMainForm& f = Open();
    SendMessageW(f.Control(kStartBtn), BM_CLICK, 0, 0);
    EXPECT_EQ(dialogs.Texts(), (std::vector<std::string>{
                                   "No Sender (FROM) defined! Please check your email parameters.",
                                   "Missing e-mail parameters. Please use the settings button to update them."}));
    EXPECT_FALSE(f.IsMonitoring());
    EXPECT_FALSE(f.Settings().notifyByMail);
    EXPECT_EQ(Stored("NotifybyMail"), std::nullopt) << "reaches the store at the next save only";
    SendMessageW(f.Control(kStartBtn), BM_CLICK, 0, 0);
    EXPECT_TRUE(f.IsMonitoring()) << "a second Start goes on without e-mail";
}

TEST_F(Monitoring, CompleteMailSettingsLetMonitoringStart) {
    key.SetText("MacMonitor0", "\\\\HOST");
    key.SetText("ScreenNotify", "0");
    for (const char* name : {"EMailSMTPHost", "EMailLocalName", "EMailTo", "EMailSMTPID", "EMailLocalAddr"})
        key.SetText(name, "x@127.0.0.1");
    EXPECT_TRUE(Open({"/A"}).IsMonitoring());
    EXPECT_TRUE(dialogs.shown.empty());
}

using ShutDown = FormFixture;

TEST_F(ShutDown, RefusedWhileMonitoringAndNothingSaved) {
    key.SetText("NotifybyMail", "0");
    key.SetText("MacMonitor0", "\\\\HOST");
    TMainForm& f = Open({"/A"});
    SendMessageW(f.Handle(), WM_CLOSE, 0, 0);
    ASSERT_TRUE(f.Handle());
    EXPECT_TRUE(IsWindow(f.Handle()));
    ASSERT_EQ(dialogs.shown.size(), 1u);
    EXPECT_EQ(dialogs.shown[0].text,
              "Please stop monitoring before quiting the application (Press the STOP button).");
    EXPECT_EQ(Stored("ComputerName"), std::nullopt);
}

TEST_F(ShutDown, NoKeepsTheWindowAndSavesNothing) {
    TMainForm& f = Open();
    dialogs.answers = {BoxAnswer::No};
    SendMessageW(f.Handle(), WM_CLOSE, 0, 0);
    EXPECT_TRUE(f.Handle());
    ASSERT_EQ(dialogs.shown.size(), 1u);
    EXPECT_EQ(dialogs.shown[0].text, "Do you really want to shutdown Vigilor?");
    EXPECT_EQ(dialogs.shown[0].caption, "Shutdown");
    EXPECT_EQ(dialogs.shown[0].icon, BoxIcon::Question);
    EXPECT_EQ(dialogs.shown[0].buttons, BoxButtons::YesNo);
    EXPECT_FALSE(key.Exists());
}

TEST_F(ShutDown, YesSavesTheSettingsAndCloses) {
    key.SetText("MacMonitor0", "\\\\HOST");
    key.SetText("SvcMonitor0", "Spooler");
    key.SetText("ScanInterval", "9");
    TMainForm& f = Open();
    ListView_SetColumnWidth(f.Control(kPZBox1), 3, 77);
    dialogs.answers = {BoxAnswer::Yes};
    Command(IDM_EXIT);
    EXPECT_EQ(f.Handle(), nullptr) << "the window is gone";
    EXPECT_EQ(Stored("ComputerName"), "\\\\" + LocalComputerName());
    EXPECT_EQ(Stored("MacMonitor0"), "\\\\HOST");
    EXPECT_EQ(Stored("EMail0"), "No");
    EXPECT_EQ(Stored("colWidth3"), "77");
    EXPECT_EQ(Stored("ScanInterval"), "9");
    EXPECT_EQ(Stored("NotifybyMail"), "1");
    EXPECT_EQ(Stored("NotifyLogin"), CurrentUserName());
}

// Windows or an installer ends the program while it monitors, with a
// column width that only a save stores.
class SessionEnd : public FormFixture {
protected:
    TMainForm& OpenMonitoringWithUnsavedWidth() {
        key.SetText("NotifybyMail", "0");
        key.SetText("MacMonitor0", "\\\\HOST");
        TMainForm& f = Open({"/A"});
        EXPECT_TRUE(f.IsMonitoring());
        ListView_SetColumnWidth(f.Control(kPZBox1), 3, 77);
        return f;
    }
};

TEST_F(SessionEnd, TheEndOfTheSessionAsksNothingAndSavesTheSettings) {
    TMainForm& f = OpenMonitoringWithUnsavedWidth();
    EXPECT_EQ(SendMessageW(f.Handle(), WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF), TRUE);
    SendMessageW(f.Handle(), WM_ENDSESSION, FALSE, ENDSESSION_LOGOFF);
    EXPECT_EQ(Stored("colWidth3"), std::nullopt) << "the session goes on";
    SendMessageW(f.Handle(), WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF);
    EXPECT_EQ(Stored("colWidth3"), "77");
    EXPECT_EQ(Stored("MacMonitor0"), "\\\\HOST");
    EXPECT_TRUE(dialogs.shown.empty()) << dialogs.Texts()[0];
    f.StopBtn1Click();
}

// What the Restart Manager sends to a program whose file an installer
// replaces (Wine's Restart Manager sends nothing).
TEST_F(SessionEnd, AnInstallersCloseAsksNothingSavesTheSettingsAndCloses) {
    TMainForm& f = OpenMonitoringWithUnsavedWidth();
    EXPECT_EQ(SendMessageW(f.Handle(), WM_QUERYENDSESSION, 0, ENDSESSION_CLOSEAPP), TRUE);
    SendMessageW(f.Handle(), WM_ENDSESSION, TRUE, ENDSESSION_CLOSEAPP);
    EXPECT_EQ(f.Handle(), nullptr) << "the window is gone";
    EXPECT_EQ(Stored("colWidth3"), "77");
    EXPECT_EQ(Stored("MacMonitor0"), "\\\\HOST");
    EXPECT_TRUE(dialogs.shown.empty()) << dialogs.Texts()[0];
}

using MonitoredRows = FormFixture;

TEST_F(MonitoredRows, ColumnClickSortsAndSecondClickReverses) {
    key.SetText("MacMonitor0", "\\\\B");
    key.SetText("SvcMonitor0", "alpha");
    key.SetText("MacMonitor1", "\\\\A");
    key.SetText("SvcMonitor1", "zulu");
    key.SetText("MacMonitor2", "\\\\C");
    key.SetText("SvcMonitor2", "Mike");
    TMainForm& f = Open();
    EXPECT_EQ(ListColumn(kPZBox1, 0), (std::vector<std::string>{"\\\\A", "\\\\B", "\\\\C"}));
    NMLISTVIEW click{};
    click.hdr.hwndFrom = f.Control(kPZBox1);
    click.hdr.idFrom = kPZBox1;
    click.hdr.code = LVN_COLUMNCLICK;
    click.iSubItem = 1;
    SendMessageW(f.Handle(), WM_NOTIFY, kPZBox1, reinterpret_cast<LPARAM>(&click));
    EXPECT_EQ(ListColumn(kPZBox1, 1), (std::vector<std::string>{"alpha", "Mike", "zulu"}));
    SendMessageW(f.Handle(), WM_NOTIFY, kPZBox1, reinterpret_cast<LPARAM>(&click));
    EXPECT_EQ(ListColumn(kPZBox1, 1), (std::vector<std::string>{"zulu", "Mike", "alpha"}));
    EXPECT_EQ(WindowText(f.Control(kLabel1)), "MONITORED SERVICES [3]");
}

TEST_F(MonitoredRows, RowClickShowsServiceOnServer) {
    key.SetText("MacMonitor0", " \\\\HOST ");
    key.SetText("SvcMonitor0", " Event Log ");
    TMainForm& f = Open();
    SelectRow(kPZBox1, 0);
    f.PZBox1Click();
    EXPECT_EQ(f.StatusPanelText(0), "       Event Log on \\\\HOST");
}

TEST_F(MonitoredRows, RemoveAsksAndClearsTheAlarmsOnYes) {
    key.SetText("MacMonitor0", "\\\\HOST");
    key.SetText("SvcMonitor0", "Spooler");
    TMainForm& f = Open();
    Command(IDM_REMOVE_MONITORED);
    EXPECT_TRUE(dialogs.shown.empty()) << "no selection: nothing asked";
    SelectRow(kPZBox1, 0);
    f.ShowAlarm();
    f.AppendMemoLine("failure");
    dialogs.answers = {BoxAnswer::No};
    Command(IDM_REMOVE_MONITORED);
    ASSERT_EQ(dialogs.shown.size(), 1u);
    EXPECT_EQ(dialogs.shown[0].caption, "Remove Monitored Item");
    EXPECT_EQ(dialogs.shown[0].text, "Do you really want to stop monitoring this service?");
    EXPECT_EQ(f.Monitored().Count(), 1u);
    EXPECT_TRUE(f.MemoInAlarm());
    dialogs.answers = {BoxAnswer::Yes};
    Command(IDM_REMOVE_MONITORED);
    EXPECT_EQ(f.Monitored().Count(), 0u);
    EXPECT_FALSE(f.MemoInAlarm());
    EXPECT_EQ(f.MemoText(), "");
    EXPECT_EQ(WindowText(f.Control(kLabel1)), "MONITORED SERVICES [0]");
    EXPECT_EQ(Stored("MacMonitor0"), std::nullopt) << "stored at once";
}

TEST_F(MonitoredRows, AddSavesAndADuplicateSavesNothing) {
    TMainForm& f = Open();
    const std::vector<std::string> services = ListColumn(kSvcMonitorList, 1);
    ASSERT_GE(services.size(), 2u) << "the real manager's services are listed";
    SelectRow(kSvcMonitorList, 1);
    Command(IDM_ADD_TO_MONITOR);
    const std::string machine = "\\\\" + LocalComputerName();
    ASSERT_EQ(f.Monitored().Count(), 1u);
    EXPECT_EQ(f.Monitored().Rows()[0], machine + "\t" + services[1] + "\tNo\tNo");
    EXPECT_EQ(Stored("SvcMonitor0"), services[1]);
    EXPECT_EQ(WindowText(f.Control(kLabel1)), "MONITORED SERVICES [1]");

    RegistryStore(key.Path()).Remove("ComputerName");
    Command(IDM_ADD_TO_MONITOR);
    EXPECT_EQ(f.Monitored().Count(), 1u);
    EXPECT_EQ(Stored("ComputerName"), std::nullopt) << "a duplicate add saves nothing";
}

TEST_F(MonitoredRows, ALoadSelectsTheFirstRowWithoutRewritingTheMenu) {
    TMainForm& f = Open();
    ASSERT_GT(ListView_GetItemCount(f.Control(kSvcMonitorList)), 0);
    wchar_t caption[256] = {};
    GetMenuStringW(f.ServiceBrowser().Popup(), IDM_START_SERVICE, caption, 256, MF_BYCOMMAND);
    EXPECT_EQ(Narrow(caption), "Start Service\tF3");
}

TEST_F(MonitoredRows, F3AndF4GoByTheRowAndAClickOnTheSelectedRowRewritesTheMenu) {
    TMainForm& f = Open();
    const HWND list = f.Control(kSvcMonitorList);
    ASSERT_GT(ListView_GetItemCount(list), 0);
    ASSERT_EQ(ListView_GetNextItem(list, -1, LVNI_SELECTED), 0);
    // The menu still offers both commands, as no selection step has run:
    // the key that the first row's state rules out must do nothing.
    const bool running = ListColumn(kSvcMonitorList, 2)[0] == " Running";
    SetFocus(list);
    PostMessageW(list, WM_KEYDOWN, running ? VK_F3 : VK_F4, 0);
    Pump();
    EXPECT_TRUE(dialogs.shown.empty()) << dialogs.Texts()[0];

    RECT row;
    ListView_GetItemRect(list, 0, &row, LVIR_LABEL);
    const LPARAM at = MAKELPARAM(row.left + 4, (row.top + row.bottom) / 2);
    PostMessageW(list, WM_LBUTTONDOWN, MK_LBUTTON, at);
    PostMessageW(list, WM_LBUTTONUP, 0, at);
    Pump();
    wchar_t caption[256] = {};
    GetMenuStringW(f.ServiceBrowser().Popup(), IDM_START_SERVICE, caption, 256, MF_BYCOMMAND);
    EXPECT_EQ(Narrow(caption), "Start " + ListColumn(kSvcMonitorList, 1)[0] + "\tF3");
}

TEST_F(MonitoredRows, OnlyTheDescriptionColumnOfAllServicesCanBeResized) {
    TMainForm& f = Open();
    const HWND list = f.Control(kSvcMonitorList);
    const HWND header = ListView_GetHeader(list);
    // Drags each column's right divider 30 pixels to the right.
    int divider = 0;
    for (int column = 0; column < 3; ++column) {
        const int before = ListView_GetColumnWidth(list, column);
        divider += before;
        SendMessageW(header, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(divider, 5));
        SendMessageW(header, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(divider + 30, 5));
        SendMessageW(header, WM_LBUTTONUP, 0, MAKELPARAM(divider + 30, 5));
        const int after = ListView_GetColumnWidth(list, column);
        EXPECT_EQ(after, column == 1 ? before + 30 : before) << column;
        divider += after - before;
    }
}

TEST_F(MonitoredRows, AColumnWidthTheUserSetsIsStoredAtOnce) {
    TMainForm& f = Open();
    const HWND list = f.Control(kPZBox1);
    const HWND header = ListView_GetHeader(list);
    const int divider = ListView_GetColumnWidth(list, 0);
    SendMessageW(header, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(divider, 5));
    SendMessageW(header, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(divider + 30, 5));
    SendMessageW(header, WM_LBUTTONUP, 0, MAKELPARAM(divider + 30, 5));
    Pump();
    ASSERT_EQ(ListView_GetColumnWidth(list, 0), divider + 30);
    EXPECT_EQ(Stored("colWidth0"), std::to_string(divider + 30));
}

TEST_F(MonitoredRows, OptionsDialogOutcomes) {
    key.SetText("MacMonitor0", "\\\\HOST");
    key.SetText("SvcMonitor0", "Spooler");
    key.SetText("Autorestart0", "yes");
    TMainForm& f = Open();
    SelectRow(kPZBox1, 0);

    struct Case {
        bool restart, email, ok;
        const char* row;
    } cases[] = {
        {false, false, true, "\\\\HOST\tSpooler\tNo\tNo"},
        {false, true, true, "\\\\HOST\tSpooler\tNo\tYes"},
        {true, true, true, "\\\\HOST\tSpooler\tYes\tYes"},
        {false, false, false, "\\\\HOST\tSpooler\tYes\tYes"},
    };
    bool firstShownChecked = false;
    for (const Case& c : cases) {
        std::string caption;
        const auto outcome = test::DriveModal([&] { Command(IDM_MONITOR_OPTIONS); },
                                              [&](HWND dialog) {
                                                  caption = WindowText(dialog);
                                                  if (&c == &cases[0])
                                                      firstShownChecked =
                                                          IsDlgButtonChecked(dialog, TFrmFailureOptions::kRestartBox);
                                                  CheckDlgButton(dialog, TFrmFailureOptions::kRestartBox, c.restart);
                                                  CheckDlgButton(dialog, TFrmFailureOptions::kEmailBox, c.email);
                                                  test::ClickButton(dialog, c.ok ? IDOK : IDCANCEL);
                                              });
        ASSERT_TRUE(outcome.found);
        EXPECT_FALSE(outcome.timedOut);
        EXPECT_EQ(caption, "Options for Spooler on \\\\HOST");
        EXPECT_EQ(f.Monitored().Rows()[0], c.row);
        EXPECT_EQ(*Stored("MacMonitor0") + "\t" + *Stored("SvcMonitor0") + "\t" + *Stored("Autorestart0") + "\t" +
                      *Stored("EMail0"),
                  c.row)
            << "stored at once";
    }
    EXPECT_TRUE(firstShownChecked) << "\"yes\" shows as a checked restart box";
}

TEST_F(MonitoredRows, EscapeCancelsTheOptionsDialog) {
    key.SetText("MacMonitor0", "\\\\HOST");
    key.SetText("SvcMonitor0", "Spooler");
    TMainForm& f = Open();
    SelectRow(kPZBox1, 0);
    const auto outcome = test::DriveModal([&] { Command(IDM_MONITOR_OPTIONS); },
                                          [&](HWND dialog) {
                                              CheckDlgButton(dialog, TFrmFailureOptions::kRestartBox, BST_CHECKED);
                                              PostMessageW(GetDlgItem(dialog, TFrmFailureOptions::kRestartBox),
                                                           WM_KEYDOWN, VK_ESCAPE, 0);
                                          });
    EXPECT_TRUE(outcome.found);
    EXPECT_FALSE(outcome.timedOut);
    EXPECT_EQ(f.Monitored().Rows()[0], "\\\\HOST\tSpooler\tNo\tNo");
}

using HelpMenu = FormFixture;

TEST_F(HelpMenu, WebSiteFailuresAreReported) {
    TMainForm& f = Open();
    Command(IDM_WEBSITE);
    EXPECT_TRUE(dialogs.shown.empty()) << "a result above 32 is success";
    ASSERT_EQ(system.opened.size(), 1u);
    system.shellResult = 2;
    Command(IDM_WEBSITE);
    ASSERT_EQ(dialogs.shown.size(), 1u);
    EXPECT_EQ(dialogs.shown[0].text, "Error: File not found.");
    EXPECT_EQ(dialogs.shown[0].caption, "Error in ExploreWeb");
    EXPECT_EQ(dialogs.shown[0].icon, BoxIcon::None);
    EXPECT_TRUE(dialogs.shown[0].owned);
    (void)f;
}

TEST_F(HelpMenu, AboutBoxShowsTheVersion) {
    Open();
    std::string version;
    std::string caption;
    const auto outcome = test::DriveModal([&] { Command(IDM_ABOUT); },
                                          [&](HWND dialog) {
                                              caption = WindowText(dialog);
                                              version = test::DialogItemText(dialog, 3105);
                                              test::ClickButton(dialog, IDOK);
                                          });
    EXPECT_TRUE(outcome.found);
    EXPECT_EQ(caption, "About");
    EXPECT_EQ(version, "Version 9.8.7.6");
}

TEST_F(StatusAndAlarms, FailureReportsAreStampedAndSeparated) {
    TMainForm& f = Open();
    f.AppendFailureReport("Spooler on \\\\HOST is stopped");
    f.AppendFailureReport("Second finding");
    const std::string memo = f.MemoText();
    EXPECT_TRUE(std::regex_search(memo, std::regex(R"(\d\d/\d\d/\d{4}  \d\d:\d\d)"))) << memo;
    EXPECT_NE(memo.find("Spooler on \\\\HOST is stopped"), std::string::npos);
    EXPECT_NE(memo.find(kReportSeparator), std::string::npos) << memo;
}

using Settings = FormFixture;

TEST_F(StatusAndAlarms, TheMemoKeepsReportsBeyondThirtyTwoThousandCharacters) {
    TMainForm& f = Open();
    const std::string line(99, 'x');
    for (int i = 0; i < 1000; ++i) f.AppendMemoLine(line + std::to_string(i % 10));
    EXPECT_EQ(f.MemoText().size(), 1000u * 100 + 999 * 2);
    EXPECT_TRUE(f.MemoText().ends_with(line + "9"));
}

TEST_F(Settings, MissingHtmlFolderIsReportedAtStartUp) {
    key.SetText("HTMLOutputEnabled", "1");
    TMainForm& f = Open();
    ASSERT_EQ(dialogs.shown.size(), 1u);
    EXPECT_EQ(dialogs.shown[0].text, "HTML output directory does not exist ()\r\n\r\nDisabling HTML output.");
    EXPECT_FALSE(f.Settings().htmlOutputEnabled);
    EXPECT_EQ(Stored("HTMLOutputEnabled"), "0");
}

TEST_F(Settings, UnattendedAMissingHtmlFolderIsReportedAndThePageStaysOn) {
    key.SetText("NotifybyMail", "0");
    key.SetText("MacMonitor0", "\\\\HOST");
    key.SetText("HTMLOutputEnabled", "1");
    key.SetText("HTMLOutput", "C:\\no such folder\\status.html");
    const test::EventLogTap log;
    TMainForm& f = Open({"/A"});
    const std::string why = "HTML output directory does not exist (C:\\no such folder\\)";
    EXPECT_TRUE(dialogs.shown.empty()) << dialogs.Texts()[0];
    ASSERT_TRUE(std::regex_match(f.MemoText(), std::regex(R"(\d\d/\d\d/\d{4}  \d\d:\d\d .*)"))) << f.MemoText();
    EXPECT_EQ(f.MemoText().substr(18), why) << "one time-stamped failure report";
    EXPECT_EQ(log.Messages("Vigilor"), std::vector<std::string>{why});
    EXPECT_TRUE(f.Settings().htmlOutputEnabled);
    EXPECT_EQ(f.Settings().htmlOutput, "C:\\no such folder\\status.html");
    EXPECT_EQ(Stored("HTMLOutputEnabled"), "1");
    EXPECT_EQ(Stored("HTMLOutput"), "C:\\no such folder\\status.html");
    EXPECT_TRUE(f.IsMonitoring());
    f.StopBtn1Click();
}

TEST_F(Settings, OddRegistryValuesStillGiveAWorkingWindow) {
    const DWORD number = 3;
    key.SetRaw("ScanInterval", REG_DWORD, &number, sizeof number);
    key.SetText("colWidth0", "wide");
    key.SetText("MacMonitor5", std::string(70000, 'x'));
    key.SetText("ComputerName", "");
    TMainForm& f = Open();
    EXPECT_EQ(f.Settings().scanInterval, 1);
    EXPECT_EQ(f.Monitored().Count(), 1u);
    EXPECT_EQ(ListView_GetColumnWidth(f.Control(kPZBox1), 0), 86);
}

}  // namespace
}  // namespace vigilor

namespace vigilor {
namespace {

using Keys = test::FormFixture;

MSG KeyDown(HWND target, WPARAM key) {
    MSG message{};
    message.hwnd = target;
    message.message = WM_KEYDOWN;
    message.wParam = key;
    return message;
}

TEST_F(Keys, ListKeysActOnlyWhereTheListHasTheFocus) {
    key.SetText("MacMonitor0", "\\\\HOST");
    key.SetText("SvcMonitor0", "Spooler");
    TMainForm& f = Open();
    SelectRow(kPZBox1, 0);
    SetFocus(f.Control(kSvcMonitorList));
    MSG del = KeyDown(f.Control(kSvcMonitorList), VK_DELETE);
    EXPECT_FALSE(f.PreTranslateMessage(del)) << "Del belongs to the monitored list";
    SetFocus(f.Control(kPZBox1));
    ASSERT_EQ(GetFocus(), f.Control(kPZBox1));
    del.hwnd = f.Control(kPZBox1);
    dialogs.answers = {BoxAnswer::No};
    EXPECT_TRUE(f.PreTranslateMessage(del));
    Pump();
    ASSERT_EQ(dialogs.shown.size(), 1u);
    EXPECT_EQ(dialogs.shown[0].caption, "Remove Monitored Item");
}

TEST_F(Keys, F1OpensTheAboutBoxFromAnyControl) {
    TMainForm& f = Open();
    SetFocus(f.Control(kPZBox1));
    MSG f1 = KeyDown(f.Control(kPZBox1), VK_F1);
    std::string caption;
    const auto outcome = test::DriveModal(
        [&] {
            ASSERT_TRUE(f.PreTranslateMessage(f1));
            Pump();
        },
        [&](HWND dialog) {
            caption = WindowText(dialog);
            test::ClickButton(dialog, IDOK);
        });
    EXPECT_TRUE(outcome.found);
    EXPECT_EQ(caption, "About");
}

TEST_F(Keys, GreyedMenusKeepTheirKeysQuietWhileMonitoring) {
    key.SetText("NotifybyMail", "0");
    key.SetText("MacMonitor0", "\\\\HOST");
    TMainForm& f = Open({"/A"});
    ASSERT_TRUE(f.IsMonitoring());
    MSG f1 = KeyDown(f.Control(kPZBox1), VK_F1);
    const auto outcome = test::DriveModal(
        [&] {
            f.PreTranslateMessage(f1);
            Pump();
        },
        [&](HWND dialog) { test::ClickButton(dialog, IDOK); }, 1000);
    EXPECT_FALSE(outcome.found) << "no About box";
    Command(IDM_EXIT);
    EXPECT_TRUE(dialogs.shown.empty()) << "no shut-down question";
    EXPECT_TRUE(IsWindow(f.Handle()));
}

TEST_F(Keys, MenuEntriesShowTheirHints) {
    TMainForm& f = Open();
    SendMessageW(f.Handle(), WM_MENUSELECT, MAKEWPARAM(IDM_PRINT, MF_STRING), reinterpret_cast<LPARAM>(GetMenu(f.Handle())));
    EXPECT_EQ(f.StatusPanelText(0), "       Print current file");
    SendMessageW(f.Handle(), WM_MENUSELECT, MAKEWPARAM(IDM_DOWNLOAD, MF_STRING), 0);
    EXPECT_EQ(f.StatusPanelText(0), "       Click here to get the latest version");
}

}  // namespace
}  // namespace vigilor
