#include "app/main_form_win.h"

#include <commctrl.h>
#include <shellapi.h>
#include <windowsx.h>

#include <array>
#include <chrono>
#include <vector>

#include "app/main_form_ids.h"
#include "app/main_texts.h"
#include "config/settings_dialog_win.h"
#include "config/settings_store.h"
#include "maint/about_box_win.h"
#include "maint/ftp_update_dialog_win.h"
#include "maint/print_command_win.h"
#include "monitor/failure_options.h"
#include "monitor/failure_options_dialog_win.h"
#include "platform/app_error.h"
#include "platform/control_table_win.h"
#include "platform/file_chooser_win.h"
#include "platform/report_error_win.h"
#include "platform/system_info_win.h"
#include "platform/text.h"
#include "platform/wide_win.h"
#include "net/network_platform_win.h"
#include "notify/failure_reports.h"
#include "notify/unattended_report.h"
#include "notify/save_dialog_win.h"
#include "notify/smtp_socket_win.h"
#include "resources/resource_ids.h"
#include "services/service_platform_win.h"
#include "services/service_properties_dialog_win.h"

namespace vigilor {

using namespace main_form;

namespace {

constexpr wchar_t kFormClass[] = L"Vigilor.TMainForm";
constexpr wchar_t kPanelClass[] = L"Vigilor.Panel";
constexpr DWORD kFormStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;
constexpr int kClientWidth = 632;
constexpr int kClientHeight = 410;
constexpr COLORREF kNavy = RGB(0, 0, 128);
constexpr DWORD kVisibleTab = WS_VISIBLE | WS_TABSTOP;

const ControlEntry kControls[] = {
    {kStartBtn, L"BUTTON", kVisibleTab | BS_PUSHBUTTON, 10, 4, 88, 44, "Start", "Start monitoring the selected services"},
    {kStopBtn, L"BUTTON", kVisibleTab | BS_PUSHBUTTON | WS_DISABLED, 101, 4, 88, 44, "Stop",
     "Stop monitoring the selected services"},
    {kResetBtn, L"BUTTON", kVisibleTab | BS_PUSHBUTTON | WS_DISABLED, 192, 4, 88, 44, "Reset", "Reset all current Alarms"},
    {kSettingsBtn, L"BUTTON", kVisibleTab | BS_PUSHBUTTON, 283, 4, 88, 44, "Settings", "Change system Settings"},
    {kLabel2, L"STATIC", WS_VISIBLE | SS_LEFT, 386, 2, 140, 14, "Windows NT Servers:"},
    {kCmbName, WC_COMBOBOXW, kVisibleTab | CBS_DROPDOWN | CBS_AUTOHSCROLL | WS_VSCROLL, 386, 19, 129, 200, "",
     "Select an NT Server from here"},
    {kLogonCheckBox1, L"BUTTON", kVisibleTab | BS_AUTOCHECKBOX | BS_NOTIFY, 388, 42, 125, 17, "&Logon required",
     "Check this box before selecting a new NT server if you wish to Logon first"},
    {kAnimate1, ANIMATE_CLASSW, ACS_CENTER | ACS_TRANSPARENT, 576, 2, 48, 45, ""},
    // In Animate1's place: only one of them plays at a time.
    {kAnimate2, ANIMATE_CLASSW, ACS_CENTER | ACS_TRANSPARENT, 576, 2, 48, 45, ""},
    {kLabel3, L"STATIC", WS_VISIBLE | SS_LEFT, 11, 63, 360, 14, "ALL SERVICES:"},
    {kSvcMonitorList, WC_LISTVIEWW, kVisibleTab | LVS_REPORT | LVS_SINGLESEL | LVS_SHOWSELALWAYS, 8, 80, 365, 113, "",
     "List and status of all services on selected Computer. Right-click for more options", WS_EX_CLIENTEDGE},
    {kLabel4, L"STATIC", WS_VISIBLE | SS_LEFT, 386, 63, 240, 14, "RECENT FAILURE REPORTS:"},
    {kMemoPanel, kPanelClass, WS_VISIBLE | WS_DISABLED, 384, 80, 241, 274, "",
     "Failure reports. Note that all events are logged to the Application Event Log"},
    {kLabel1, L"STATIC", WS_VISIBLE | SS_LEFT, 11, 206, 360, 14, "MONITORED SERVICES:"},
    {kPZBox1, WC_LISTVIEWW, kVisibleTab | LVS_REPORT | LVS_SINGLESEL | LVS_SHOWSELALWAYS, 8, 222, 365, 132, "",
     "List of services to Monitor. Right-click for more options", WS_EX_CLIENTEDGE},
    {kP7, PROGRESS_CLASSW, 0, 8, 359, 365, 16, "", "Processing ..."},
    {kMonitorBtn, L"BUTTON", BS_PUSHBUTTON, 0, 0, 75, 25, "FORCE"},
    {kRefreshSrvListBtn, L"BUTTON", BS_PUSHBUTTON, 0, 0, 75, 25, "Refresh"},
    {kMailText, L"EDIT", ES_MULTILINE | ES_AUTOVSCROLL, 0, 0, 185, 89, ""},
};

const char* const kStatusBarHint = "Status | Hint | Domain Name | Date and Time";

// Posted to the window once a column of the monitored list has been resized.
constexpr UINT kColumnResized = WM_APP + 24;

const char* MenuHint(int id) {
    switch (id) {
        case IDM_PRINT: return "Print current file";
        case IDM_DOWNLOAD: return "Click here to get the latest version";
        case IDM_REFRESH: return "Hit F5 to refresh list of services on selected Computer";
        default: return "";
    }
}

bool DisabledWhileMonitoring(int command) {
    switch (command) {
        case kSettingsBtn:
        case IDM_PRINT:
        case IDM_SETTINGS:
        case IDM_EXIT:
        case IDM_ABOUT:
        case IDM_WEBSITE:
        case IDM_DOWNLOAD:
            return true;
        default:
            return false;
    }
}

// The part of a hint after its first "|", the whole hint without one.
std::string LongHint(const std::string& hint) {
    const size_t bar = hint.find('|');
    return bar == std::string::npos ? hint : hint.substr(bar + 1);
}

// A container without look of its own that hands the notices of its
// children on to the window it sits in.
LRESULT CALLBACK PanelProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return ReportingErrors(window, LRESULT{0}, [&] {
        switch (message) {
            case WM_CTLCOLORSTATIC:
            case WM_CTLCOLOREDIT:
            case WM_COMMAND:
            case WM_NOTIFY:
                return SendMessageW(GetParent(window), message, wParam, lParam);
            default:
                return DefWindowProcW(window, message, wParam, lParam);
        }
    });
}

void RegisterClasses(WNDPROC formProcedure) {
    static const bool registered = [formProcedure] {
        INITCOMMONCONTROLSEX controls{sizeof controls, ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES};
        InitCommonControlsEx(&controls);
        const HINSTANCE instance = GetModuleHandleW(nullptr);
        WNDCLASSW form{};
        form.lpfnWndProc = formProcedure;
        form.hInstance = instance;
        form.lpszClassName = kFormClass;
        form.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        form.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(IDI_GREEN));
        form.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
        RegisterClassW(&form);
        WNDCLASSW panel{};
        panel.lpfnWndProc = PanelProcedure;
        panel.hInstance = instance;
        panel.lpszClassName = kPanelClass;
        panel.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        panel.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
        RegisterClassW(&panel);
        return true;
    }();
    (void)registered;
}

void AddColumns(HWND list, std::initializer_list<std::pair<const char*, int>> columns) {
    int index = 0;
    for (const auto& [title, width] : columns) {
        std::wstring text = Wide(title);
        LVCOLUMNW column{};
        column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
        column.pszText = text.data();
        column.cx = width;
        column.iSubItem = index;
        ListView_InsertColumn(list, index++, &column);
    }
}

// Reads the settings host's questions from the system, and its errors
// into the main window's error box, or its failure reports when unattended.
class FormSettingsHost : public SettingsHost {
public:
    FormSettingsHost(MainFormSystem& system, TMainForm& form, Attendance attendance)
        : system_(system), form_(form), attendance_(attendance) {}
    std::string LocalComputerName() override { return system_.LocalComputerName(); }
    std::string CurrentUserName() override { return system_.CurrentUserName(); }
    bool DirectoryExists(const std::string& path) override { return system_.DirectoryExists(path); }
    bool Attended() override { return attendance_ == Attendance::Attended; }
    void ShowError(const std::string& text) override { form_.ShowError(text); }
    void ReportUnattended(const std::string& text) override { form_.ReportUnattended(text); }

private:
    MainFormSystem& system_;
    TMainForm& form_;
    Attendance attendance_;
};

}  // namespace

std::string MainFormSystem::LocalComputerName() { return vigilor::LocalComputerName(); }
std::string MainFormSystem::CurrentUserName() { return vigilor::CurrentUserName(); }
bool MainFormSystem::DirectoryExists(const std::string& path) { return vigilor::DirectoryExists(path); }
std::string MainFormSystem::PrimaryDomainName() { return vigilor::PrimaryDomainName(); }
std::string MainFormSystem::DefaultPrinterName() { return vigilor::DefaultPrinterName(); }
std::string MainFormSystem::ChooseOpenFile(const OpenFileRequest& request) {
    return SystemFileChooser(GetActiveWindow()).ChooseOpenFile(request);
}
ServicePlatform& MainFormSystem::Services() { return SystemServices(); }
long long MainFormSystem::ShellOpen(HWND owner, const std::string& target) {
    return reinterpret_cast<INT_PTR>(ShellExecuteW(owner, L"open", Wide(target).c_str(), nullptr, nullptr, SW_SHOWNORMAL));
}

TMainForm::TMainForm(MainFormContext context)
    : context_(std::move(context)),
      ntService_(context_.system.Services(), SystemNetwork()),
      NTPrivilege1_(SystemNetwork()) {}

TMainForm::~TMainForm() {
    if (window_) {
        SetWindowLongPtrW(window_, GWLP_USERDATA, 0);
        DestroyWindow(window_);
    }
}

void TMainForm::Create() {
    RegisterClasses(Procedure);
    const HINSTANCE instance = GetModuleHandleW(nullptr);
    const HMENU menu = LoadMenuW(instance, MAKEINTRESOURCEW(IDR_MAINMENU));
    const SIZE outer = OuterSizeForClient(kFormStyle, 0, true, kClientWidth, kClientHeight);
    window_ = CreateWindowExW(WS_EX_CONTROLPARENT, kFormClass, L"Windows Vigilor", kFormStyle, CW_USEDEFAULT,
                              CW_USEDEFAULT, outer.cx, outer.cy, nullptr, menu, instance, this);
    if (!window_) throw AppError("Cannot create the main window");
    // The menu bar may wrap and change the client height: size again.
    RECT client;
    GetClientRect(window_, &client);
    if (client.bottom != kClientHeight) {
        RECT frame;
        GetWindowRect(window_, &frame);
        SetWindowPos(window_, nullptr, 0, 0, outer.cx, frame.bottom - frame.top + kClientHeight - client.bottom,
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    CenterOnScreen(window_);
    CreateChildren();
    FormCreate();
}

void TMainForm::CreateChildren() {
    const HINSTANCE instance = GetModuleHandleW(nullptr);
    font_.Reset(CreateTahoma(11));
    labelFont_.Reset(CreateTahoma(11, true, true));
    const auto font = static_cast<HFONT>(font_.Get());
    CreateControls(window_, kControls, font);
    for (int label : {kLabel1, kLabel3, kLabel4})
        SendMessageW(Control(label), WM_SETFONT, reinterpret_cast<WPARAM>(labelFont_.Get()), FALSE);

    CreateControl(Control(kMemoPanel),
                  {kMemo1, L"EDIT", WS_VISIBLE | ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL | WS_VSCROLL, 0, 0, 241, 274,
                   ""},
                  font);
    memo_ = std::make_unique<FailureMemoControl>(Control(kMemo1));

    const std::pair<int, int> icons[] = {{kStartBtn, IDI_BTN_START},
                                         {kStopBtn, IDI_BTN_STOP},
                                         {kResetBtn, IDI_BTN_RESET},
                                         {kSettingsBtn, IDI_BTN_SETTINGS}};
    for (const auto& [button, icon] : icons) {
        const HANDLE image = LoadImageW(instance, MAKEINTRESOURCEW(icon), IMAGE_ICON, 24, 24, LR_SHARED);
        SendMessageW(Control(button), BM_SETIMAGE, IMAGE_ICON, reinterpret_cast<LPARAM>(image));
    }

    const HWND services = Control(kSvcMonitorList);
    ListView_SetExtendedListViewStyle(services, LVS_EX_FULLROWSELECT);
    AddColumns(services, {{"Real Name", 90}, {"Description", 182}, {"Status", 103}});
    const HWND monitored = Control(kPZBox1);
    ListView_SetExtendedListViewStyle(monitored, LVS_EX_FULLROWSELECT);
    AddColumns(monitored, {{"Server", 84}, {"Service", 183}, {"Auto", 38}, {"EMail", 38}});

    SendMessageW(Control(kP7), PBM_SETRANGE32, 0, 49);
    Animate_OpenEx(Control(kAnimate1), instance, MAKEINTRESOURCEW(IDR_SEARCH_AVI));
    Animate_OpenEx(Control(kAnimate2), instance, MAKEINTRESOURCEW(IDR_FIND_FOLDER_AVI));

    const int panelWidths[] = {400, 110};
    statusBar1_ = std::make_unique<TFriendlyStatusBar>(window_, kStatusBar1, RECT{0, 385, 632, 410}, panelWidths, font);
    statusBar_ = statusBar1_->Handle();
    light_ = std::make_unique<TGraphicLight>(statusBar_, kGL1, 3, 4, 19, 23);
    light_->SetDarkLite(false);

    greenIcon_ = static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(IDI_GREEN), IMAGE_ICON, 0, 0, LR_SHARED));
    redIcon_ = static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(IDI_RED), IMAGE_ICON, 0, 0, LR_SHARED));
    popups_.Reset(LoadMenuW(instance, MAKEINTRESOURCEW(IDR_POPUPS)));
    serviceBrowser_ = std::make_unique<ServiceBrowserController>(services, Control(kLabel3),
                                                                 GetSubMenu(popups_.Get(), 0), ntService_,
                                                                 static_cast<ServiceBrowserHost&>(*this));
    mainKeys_ = LoadAcceleratorsW(instance, MAKEINTRESOURCEW(IDR_MAINKEYS));
    serviceKeys_ = LoadAcceleratorsW(instance, MAKEINTRESOURCEW(IDR_SERVICEKEYS));
    monitoredKeys_ = LoadAcceleratorsW(instance, MAKEINTRESOURCEW(IDR_MONITOREDKEYS));

    glTimer_ = std::make_unique<WindowTimer>(window_, kGLTimer);
    channels_ = std::make_unique<WindowsNotificationChannels>(window_);
}

void TMainForm::FormCreate() {
    printerName_ = Trim(context_.system.DefaultPrinterName());
    if (printerName_.empty()) EnableMenuItem(GetMenu(window_), IDM_PRINT, MF_BYCOMMAND | MF_GRAYED);

    ListView_DeleteAllItems(Control(kSvcMonitorList));
    ListView_DeleteAllItems(Control(kPZBox1));
    memo_->Clear();

    LoadSettings();
    SetLightHint();
    CreateMonitoring();

    const std::string caption = MainCaption(context_.versionText);
    SetApplicationTitle(caption);
    SetWindowTextUtf8(window_, caption);

    DateTimerTimer();
    SetTimer(window_, kDateTimer, 10000, nullptr);

    RefreshSrvListBtnClick();

    SetStatusPanel(1, context_.system.PrimaryDomainName(), false);
    ShowAllClear();
}

void TMainForm::Show(int showCommand) {
    ShowWindow(window_, showCommand);
    UpdateWindow(window_);
    FormShow();
}

void TMainForm::FormShow() {
    LoadServicesAtFirstShow();
    // After the load, whose own messages would hide it.
    if (!computerListNotice_.empty()) ShowNotice(computerListNotice_);
    if (console_) {
        ShowConsoleState();
        if (!console_->MayChange()) OfferElevatedStart();
    }
    if (AutoStartRequested(context_.arguments)) StartMonitoring(Attendance::Unattended);
}

Attendance TMainForm::StartAttendance() const {
    return AutoStartRequested(context_.arguments) ? Attendance::Unattended : Attendance::Attended;
}

// The selected computer not answering is reported, and "/A" still starts
// monitoring: the monitored rows do not depend on it.
void TMainForm::LoadServicesAtFirstShow() {
    if (StartAttendance() == Attendance::Attended) {
        ReportingErrors(window_, [this] { LoadAllSvcBtnClick(); });
        return;
    }
    try {
        LoadAllSvcBtnClick();
    } catch (const std::exception& error) {
        ReportUnattended(error.what());
    }
}

HWND TMainForm::Control(int id) const {
    if (id == kMemo1) return GetDlgItem(GetDlgItem(window_, kMemoPanel), kMemo1);
    if (id == kGL1) return light_ ? light_->Handle() : nullptr;
    return GetDlgItem(window_, id);
}

void TMainForm::SetLightHint() { lightHint_ = IntervalHint(settings_.scanInterval); }

std::string TMainForm::HintOf(HWND control) const {
    if (!control) return "";
    if (light_ && control == light_->Handle()) return lightHint_;
    if (control == statusBar_) return kStatusBarHint;
    if (control == Control(kMemo1)) control = Control(kMemoPanel);
    const int id = GetDlgCtrlID(control);
    for (const ControlEntry& entry : kControls)
        if (entry.id == id) return entry.hint;
    return "";
}

// ----- status bar, memo and alarm display -----

void TMainForm::SetStatusPanel(int panel, const std::string& text, bool repaintNow) {
    statusBar1_->SetPanelText(panel, text, repaintNow);
}

std::string TMainForm::StatusPanelText(int panel) const { return statusBar1_->PanelText(panel); }

void TMainForm::ShowStatus(const std::string& text) { SetStatusPanel(0, vigilor::StatusPanelText(text), true); }

void TMainForm::ShowNotice(const std::string& text) {
    ShowStatus(text);
    noticeUnseen_ = true;
}

void TMainForm::ShowError(const std::string& text) {
    context_.dialogs.Show(text, "Error", BoxIcon::Error, BoxButtons::Ok, false);
}

void TMainForm::SetAppIcon(bool red) {
    const HICON icon = red ? redIcon_ : greenIcon_;
    SendMessageW(window_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon));
    SendMessageW(window_, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon));
}

void TMainForm::ShowAllClear() {
    memo_->SetAlarm(false);
    SetAppIcon(false);
}

void TMainForm::ShowAlarm() {
    memo_->SetAlarm(true);
    SetAppIcon(true);
}

void TMainForm::ClearAlarms() {
    light_->SetActiveLight(ActiveLight::alGreen);
    light_->SetDarkLite(false);
    glTimer_->Stop();
    memo_->Clear();
    ShowAllClear();
    SetCursor(ScreenCursor::Default);
}

std::string TMainForm::MemoText() const { return memo_->Text(); }

void TMainForm::AppendFailureReport(const std::string& message) {
    vigilor::AppendFailureReport(*memo_, CurrentLocalTime(), message);
}

void TMainForm::ReportUnattended(const std::string& text) {
    // One line, though the system's texts end in a line break.
    vigilor::ReportUnattended(*memo_, *channels_, CurrentLocalTime(), Trim(text));
}

void TMainForm::SaveFailureReportsToDisk() {
    SystemSaveDialog dialog(window_);
    SaveFailureReports(*memo_, dialog);
}

void TMainForm::RepaintNow() { RedrawWindow(window_, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN); }

void TMainForm::SetCursor(ScreenCursor cursor) {
    cursor_ = cursor;
    ::SetCursor(LoadCursorW(nullptr, cursor == ScreenCursor::Hourglass ? IDC_WAIT : IDC_ARROW));
}

LRESULT TMainForm::OnControlColour(HDC dc, HWND control) {
    if (control == Control(kMemo1)) return reinterpret_cast<LRESULT>(memo_->Colour(dc));
    const int id = GetDlgCtrlID(control);
    if (id == kLabel1 || id == kLabel3 || id == kLabel4) {
        SetTextColor(dc, kNavy);
        SetBkMode(dc, TRANSPARENT);
        return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
    }
    return DefWindowProcW(window_, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(control));
}

// ----- settings -----

void TMainForm::LoadSettings() {
    FormSettingsHost host(context_.system, *this, StartAttendance());
    {
        const std::unique_ptr<KeyValueStore> raw = context_.openStore();
        SettingsStore store(*raw);
        vigilor::LoadSettings(store, host, settings_, monitored_);
    }
    const HWND list = Control(kPZBox1);
    for (int c = 0; c < kMonitoredColumns; ++c) ListView_SetColumnWidth(list, c, settings_.columnWidths[c]);
    RefreshMonitoredView();
}

void TMainForm::ReloadSettings() {
    // After the settings dialog, with the user at the screen.
    FormSettingsHost host(context_.system, *this, Attendance::Attended);
    {
        const std::unique_ptr<KeyValueStore> raw = context_.openStore();
        SettingsStore store(*raw);
        vigilor::ReloadSettings(store, host, settings_);
    }
    monitoring_->SettingsChanged(settings_);
}

void TMainForm::SaveSettings() {
    const HWND list = Control(kPZBox1);
    for (int c = 0; c < kMonitoredColumns; ++c) settings_.columnWidths[c] = ListView_GetColumnWidth(list, c);
    const std::unique_ptr<KeyValueStore> raw = context_.openStore();
    SettingsStore store(*raw);
    vigilor::SaveSettings(store, settings_, monitored_);
}

namespace {

// The main window's file dialogs, as the settings dialog asks for them.
class SystemFiles : public FileChooser {
public:
    explicit SystemFiles(MainFormSystem& system) : system_(system) {}
    std::string ChooseOpenFile(const OpenFileRequest& request) override { return system_.ChooseOpenFile(request); }

private:
    MainFormSystem& system_;
};

}  // namespace

void TMainForm::Settings1Click() {
    SettingsForm form;
    {
        const std::unique_ptr<KeyValueStore> raw = context_.openStore();
        SettingsStore store(*raw);
        form = ReadSettingsForm(store, context_.system.CurrentUserName(), settings_);
    }
    SystemFiles files(context_.system);
    TeMailConfig dialog(std::move(form), context_.dialogs, files, *channels_, MakeSmtpClient());
    dialog.Run(window_);
    SettingsDialogClosed(*this, dialog.SettingsApplied(), dialog.Form());
}

// ----- monitored list -----

void TMainForm::RefreshMonitoredView() {
    const HWND list = Control(kPZBox1);
    SendMessageW(list, WM_SETREDRAW, FALSE, 0);
    ListView_DeleteAllItems(list);
    const auto& rows = monitored_.Rows();
    for (size_t i = 0; i < rows.size(); ++i) {
        for (int c = 0; c < kMonitoredColumns; ++c) {
            std::wstring text = Wide(FieldOf(rows[i], c));
            LVITEMW item{};
            item.mask = LVIF_TEXT;
            item.iItem = static_cast<int>(i);
            item.iSubItem = c;
            item.pszText = text.data();
            if (c == 0)
                ListView_InsertItem(list, &item);
            else
                ListView_SetItem(list, &item);
        }
    }
    SendMessageW(list, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(list, nullptr, TRUE);
    UpdatePZBox1();
}

void TMainForm::UpdatePZBox1() { SetWindowTextUtf8(Control(kLabel1), monitored_.CountLabel()); }

int TMainForm::SelectedIndex(int listId) const {
    return ListView_GetNextItem(Control(listId), -1, LVNI_SELECTED);
}

// ----- all services -----

void TMainForm::LoadAllSvcBtnClick() { serviceBrowser_->Reload(); }

void TMainForm::ShowStatusQuietly(const std::string& text) {
    SetStatusPanel(0, vigilor::StatusPanelText(text), false);
}

void TMainForm::ShowLoadAnimation(LoadClip clip, bool running) {
    const HWND animation = Control(clip == LoadClip::FindFolder ? kAnimate2 : kAnimate1);
    ShowWindow(animation, running ? SW_SHOWNA : SW_HIDE);
    if (running)
        Animate_Play(animation, 0, -1, -1);
    else
        Animate_Stop(animation);
}

void TMainForm::StartWaitAnimation() {
    ShowLoadAnimation(LoadClip::SearchComputer, true);
    if (waitTimerRunning_) return;
    waitTimerRunning_ = SetTimer(window_, kTmrWait, 2000, nullptr) != 0;
}

void TMainForm::tmrWaitTimer() {
    KillTimer(window_, kTmrWait);
    waitTimerRunning_ = false;
    LoadAllSvcBtnClick();
    ShowLoadAnimation(LoadClip::SearchComputer, false);
}

void TMainForm::AddtoMonitorList1Click() {
    if (const auto service = serviceBrowser_->SelectedDisplayName()) {
        if (!monitored_.Add(settings_.selectedComputer, *service)) return;
    } else {
        monitored_.Sort();
    }
    MonitoredListEdited();
    SaveSettings();
}

void TMainForm::RemovefromMonitorList1Click() {
    const int selected = SelectedIndex(kPZBox1);
    if (selected < 0) return;
    if (context_.dialogs.Show("Do you really want to stop monitoring this service?", "Remove Monitored Item",
                              BoxIcon::Question, BoxButtons::YesNo, true) == BoxAnswer::Yes) {
        monitored_.Remove(static_cast<size_t>(selected));
        ClearAlarms();
        MonitoredListEdited();
        SaveSettings();
    }
    UpdatePZBox1();
}

void TMainForm::Options1Click() {
    const int selected = SelectedIndex(kPZBox1);
    if (selected < 0) return;
    const MonitoredService row = monitored_.At(static_cast<size_t>(selected));
    TFrmFailureOptions dialog(FailureOptionsCaption(row), CurrentFailureOptions(row));
    if (dialog.Run(window_) != IDOK) return;
    monitored_.Replace(static_cast<size_t>(selected), RowWithFailureOptions(row, dialog.Options()));
    MonitoredListEdited();
    ListView_SetItemState(Control(kPZBox1), selected, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    SaveSettings();
}

void TMainForm::PZBox1Click() {
    const int selected = SelectedIndex(kPZBox1);
    if (selected < 0) return;
    const MonitoredService row = monitored_.At(static_cast<size_t>(selected));
    ShowStatus(Trim(row.service) + " on " + Trim(row.server));
}

// ----- monitoring control (the check pass's side is in main_form_monitor_win.cpp) -----

void TMainForm::SetMenuBarEnabled(bool enabled) {
    const HMENU menu = GetMenu(window_);
    for (int index = 0; index < GetMenuItemCount(menu); ++index)
        EnableMenuItem(menu, index, MF_BYPOSITION | (enabled ? MF_ENABLED : MF_GRAYED));
    DrawMenuBar(window_);
}

void TMainForm::GLTimerTimer() { light_->SetDarkLite(!light_->State().darkLite); }

void TMainForm::DateTimerTimer() {
    SYSTEMTIME now;
    GetLocalTime(&now);
    SetStatusPanel(2, ClockText(now.wDay, now.wMonth, now.wYear, now.wHour, now.wMinute), false);
}

std::vector<std::string> TMainForm::ComputerList() { return ComboItems(Control(kCmbName)); }

bool TMainForm::PrintEnabled() const {
    return !(GetMenuState(GetMenu(window_), IDM_PRINT, MF_BYCOMMAND) & (MF_GRAYED | MF_DISABLED));
}

// ----- help menu -----

void TMainForm::About1Click() {
    TAboutBox about(context_.versionText);
    about.Run(window_);
}

void TMainForm::VisitWebSite() {
    const long long result = context_.system.ShellOpen(window_, kWebSiteAddress);
    if (result > 32) return;
    const ShellFailure failure = WebSiteFailure(result);
    context_.dialogs.Show(failure.text, failure.caption, BoxIcon::None, BoxButtons::Ok, true);
}

// ----- shut-down -----

bool TMainForm::FormClose() {
    if (CloseWaitsForPass()) return false;
    // As the service's console the window may go: the service monitors on.
    if (IsMonitoring() && !console_) {
        ShowError("Please stop monitoring before quiting the application (Press the STOP button).");
        return false;
    }
    if (context_.dialogs.Show("Do you really want to shutdown Vigilor?", "Shutdown", BoxIcon::Question,
                              BoxButtons::YesNo, true) != BoxAnswer::Yes)
        return false;
    SaveSettings();
    return true;
}

// ----- messages -----

bool TMainForm::PreTranslateMessage(MSG& message) {
    const bool inWindow = message.hwnd == window_ || IsChild(window_, message.hwnd);
    if (message.message == WM_MOUSEMOVE && inWindow) {
        POINT screen;
        GetCursorPos(&screen);
        OnMouseOver(screen);
    }
    // A click or a key in the window: the user has the window in view and
    // has seen a notice, which the hints may now replace.
    if (inWindow && (message.message == WM_LBUTTONDOWN || message.message == WM_RBUTTONDOWN ||
                     message.message == WM_KEYDOWN || message.message == WM_SYSKEYDOWN)) {
        noticeUnseen_ = false;
        hintControl_ = nullptr;
    }
    if (message.message != WM_KEYDOWN && message.message != WM_SYSKEYDOWN) return false;
    if (!inWindow) return false;
    const HWND focus = GetFocus();
    if (message.message == WM_KEYDOWN && message.wParam == VK_RETURN && GetParent(focus) == Control(kCmbName)) {
        ComputerTyped(true);
        return true;
    }
    if (focus == Control(kSvcMonitorList) && TranslateAcceleratorW(window_, serviceKeys_, &message)) return true;
    if (focus == Control(kPZBox1) && TranslateAcceleratorW(window_, monitoredKeys_, &message)) return true;
    return TranslateAcceleratorW(window_, mainKeys_, &message) != 0;
}

void TMainForm::OnMouseOver(POINT screen) {
    if (noticeUnseen_) return;
    POINT client = screen;
    ScreenToClient(window_, &client);
    HWND control = ChildWindowFromPointEx(window_, client, CWP_SKIPINVISIBLE);
    if (control == statusBar_) {
        POINT inBar = screen;
        ScreenToClient(statusBar_, &inBar);
        control = ChildWindowFromPointEx(statusBar_, inBar, CWP_SKIPINVISIBLE);
    }
    if (control == hintControl_) return;
    hintControl_ = control;
    SetStatusPanel(0, vigilor::StatusPanelText(LongHint(HintOf(control))), false);
}

void TMainForm::ShowPopup(int index, POINT screen) {
    const HMENU popup = GetSubMenu(popups_.Get(), index);
    if (screen.x == -1 && screen.y == -1) GetCursorPos(&screen);
    TrackPopupMenu(popup, TPM_RIGHTBUTTON, screen.x, screen.y, 0, window_, nullptr);
}

void TMainForm::OnContextMenu(HWND target, POINT screen) {
    if (target == Control(kSvcMonitorList)) {
        serviceBrowser_->SelectionChanged();
        ShowPopup(0, screen);
    } else if (target == Control(kPZBox1)) {
        ShowPopup(1, screen);
    } else if (target == window_) {
        ShowPopup(2, screen);
    }
}

void TMainForm::OnCommand(int id, int code, HWND from) {
    (void)from;
    // The greyed menus and the Settings button keep their keys from acting.
    if (IsMonitoring() && !console_ && DisabledWhileMonitoring(id)) return;
    switch (id) {
        case kStartBtn: if (code == BN_CLICKED) STARTBtn1Click(); break;
        case kStopBtn: if (code == BN_CLICKED) StopBtn1Click(); break;
        case kResetBtn: if (code == BN_CLICKED) ResetBtn1Click(); break;
        case kMonitorBtn: if (code == BN_CLICKED) Forcechecknow1Click(); break;
        case IDM_EXIT: PostMessageW(window_, WM_CLOSE, 0, 0); break;
        case IDM_ABOUT: About1Click(); break;
        case kCmbName:
            if (code == CBN_SELCHANGE) cmbNameChange();
            // A name typed and then left for the logon box waits for the
            // tick, which comes after the focus has moved.
            if (code == CBN_KILLFOCUS && GetFocus() != Control(kLogonCheckBox1)) ComputerTyped(false);
            break;
        case kLogonCheckBox1:
            if (code == BN_CLICKED || code == BN_KILLFOCUS) ComputerTyped(false);
            break;
        case IDM_PRINT: if (!printerName_.empty()) FilePrintCmdExecute(window_, *this); break;
        case IDM_SETTINGS: Settings1Click(); break;
        case kSettingsBtn: if (code == BN_CLICKED) Settings1Click(); break;
        case IDM_WEBSITE: VisitWebSite(); break;
        case IDM_DOWNLOAD: ShowUpdateDialog(window_, context_.dialogs, context_.versionText, context_.openStore); break;
        case IDM_ADD_TO_MONITOR: AddtoMonitorList1Click(); break;
        case IDM_START_SERVICE: serviceBrowser_->StartSelected(); break;
        case IDM_STOP_SERVICE: serviceBrowser_->StopSelected(); break;
        case IDM_REFRESH: serviceBrowser_->Refresh(); break;
        case IDM_PROPERTIES:
            ViewProperties1Click(window_, *serviceBrowser_, ntService_, context_.dialogs, settings_.selectedComputer);
            break;
        case IDM_KEY_RELOAD: if (HasComputer()) LoadAllSvcBtnClick(); break;
        case IDM_REMOVE_MONITORED: RemovefromMonitorList1Click(); break;
        case IDM_MONITOR_OPTIONS: Options1Click(); break;
        case IDM_FORCE_CHECK: Forcechecknow1Click(); break;
        case IDM_SAVE_REPORTS: SaveFailureReportsToDisk(); break;
        default: break;
    }
}

LRESULT TMainForm::OnNotify(NMHDR& header) {
    // A double click on a row opens its properties, as F6 does, once the
    // list has finished with the click.
    if (header.idFrom == kSvcMonitorList && header.code == NM_DBLCLK &&
        reinterpret_cast<NMITEMACTIVATE&>(header).iItem >= 0)
        PostMessageW(window_, WM_COMMAND, IDM_PROPERTIES, 0);
    // A click runs the selection step, on the row already selected too.
    if (header.idFrom == kSvcMonitorList && header.code == NM_CLICK) serviceBrowser_->SelectionChanged();
    if (header.idFrom == kSvcMonitorList && header.code == LVN_ITEMCHANGED && !serviceBrowser_->Reloading()) {
        const auto& change = reinterpret_cast<NMLISTVIEW&>(header);
        if ((change.uChanged & LVIF_STATE) && (change.uNewState & LVIS_SELECTED)) serviceBrowser_->SelectionChanged();
    }
    // The list passes its header's notices on. The header may apply a new
    // width only once its notice has been answered.
    if (header.hwndFrom == ListView_GetHeader(Control(kPZBox1)) &&
        (header.code == HDN_ENDTRACKW || header.code == HDN_DIVIDERDBLCLICKW))
        PostMessageW(window_, kColumnResized, 0, 0);
    if (header.idFrom == kPZBox1) {
        if (header.code == LVN_COLUMNCLICK) {
            monitored_.ColumnClicked(reinterpret_cast<NMLISTVIEW&>(header).iSubItem);
            MonitoredListEdited();
        } else if (header.code == NM_CLICK) {
            PZBox1Click();
        }
    }
    return 0;
}

LRESULT TMainForm::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_COMMAND:
            OnCommand(LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HWND>(lParam));
            return 0;
        case WM_NOTIFY:
            return OnNotify(*reinterpret_cast<NMHDR*>(lParam));
        case WM_CONTEXTMENU:
            OnContextMenu(reinterpret_cast<HWND>(wParam), {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
            return 0;
        case WM_TIMER:
            switch (wParam) {
                case kDateTimer: DateTimerTimer(); break;
                case kGLTimer: GLTimerTimer(); break;
                case kTmrWait: tmrWaitTimer(); break;
                default: OnMonitoringTimer(wParam); break;
            }
            return 0;
        case WM_CTLCOLORSTATIC:
        case WM_CTLCOLOREDIT:
            return OnControlColour(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam));
        case WM_MENUSELECT:
            if (!(HIWORD(wParam) & MF_POPUP) && LOWORD(wParam) != 0)
                SetStatusPanel(0, vigilor::StatusPanelText(MenuHint(LOWORD(wParam))), false);
            return 0;
        case WM_SETCURSOR:
            if (cursor_ == ScreenCursor::Hourglass) {
                ::SetCursor(LoadCursorW(nullptr, IDC_WAIT));
                return TRUE;
            }
            break;
        case WM_GETMINMAXINFO: {
            auto& limits = *reinterpret_cast<MINMAXINFO*>(lParam);
            limits.ptMaxTrackSize = {640 + 2 * GetSystemMetrics(SM_CXFIXEDFRAME), 480 + GetSystemMetrics(SM_CYCAPTION)};
            return 0;
        }
        case kEngineEventsMessage:
        case kReloadServiceMessage: OnMonitoringMessage(message); return 0;
        case WM_CLOSE:
            if (FormClose()) DestroyWindow(window_);
            return 0;
        case WM_QUERYENDSESSION:
            // Nothing to ask, neither Windows nor an installer: the settings
            // are stored at WM_ENDSESSION.
            return TRUE;
        case WM_ENDSESSION:
            if (wParam) FormEndSession(lParam);
            return 0;
        case kColumnResized:
            SaveSettings();
            return 0;
        case WM_DESTROY:
            KillTimer(window_, kDateTimer);
            if (context_.quitOnDestroy) PostQuitMessage(0);
            return 0;
        case WM_NCDESTROY: {
            const HWND window = window_;
            window_ = nullptr;
            return DefWindowProcW(window, message, wParam, lParam);
        }
        default:
            break;
    }
    return DefWindowProcW(window_, message, wParam, lParam);
}

LRESULT CALLBACK TMainForm::Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* self = static_cast<TMainForm*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        self->window_ = window;
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
    auto* self = reinterpret_cast<TMainForm*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (!self) return DefWindowProcW(window, message, wParam, lParam);
    return ReportingErrors(window, LRESULT{0}, [&] { return self->HandleMessage(message, wParam, lParam); });
}

}  // namespace vigilor
