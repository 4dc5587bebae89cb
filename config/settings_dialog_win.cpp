#include "config/settings_dialog_win.h"

#include <commctrl.h>

#include <array>

#include "notify/email_alerts.h"
#include "platform/control_table_win.h"
#include "platform/text.h"
#include "platform/wide_win.h"

namespace vigilor {

namespace {

using C = TeMailConfig;
using Tab = SettingsTab;

constexpr DWORD kVisibleTab = WS_VISIBLE | WS_TABSTOP;
constexpr DWORD kLabel = WS_VISIBLE | SS_LEFTNOWORDWRAP;
constexpr DWORD kEdit = kVisibleTab | ES_AUTOHSCROLL;
constexpr DWORD kCheck = kVisibleTab | BS_AUTOCHECKBOX;
constexpr DWORD kButton = kVisibleTab | BS_PUSHBUTTON;
constexpr DWORD kGroup = WS_VISIBLE | BS_GROUPBOX;
constexpr DWORD kSunken = WS_EX_CLIENTEDGE;
// Whole numbers as the store has them: no thousands separator.
constexpr DWORD kNumberArrows = WS_VISIBLE | UDS_ARROWKEYS | UDS_SETBUDDYINT | UDS_ALIGNRIGHT | UDS_NOTHOUSANDS;

constexpr const char* kHtmlFilter = "HTML files (*.htm?)|*.htm?";
constexpr const char* kMetricsFilter = "Prometheus text files (*.prom)|*.prom";
constexpr const char* kProgramFilter = "Program files (*.exe)|*.exe|Command files (*.cmd)|*.CMD";

// Above and below the tabs.
const ControlEntry kFrame[] = {
    {C::kCheckBox1, L"BUTTON", kCheck, 12, 10, 556, 18, "In case of Service or Server failures, notify me by:"},
    {C::kRadioButton1, L"BUTTON", kVisibleTab | WS_GROUP | BS_AUTORADIOBUTTON, 32, 32, 150, 18, "&Internet e-mail"},
    {C::kRadioButton2, L"BUTTON", WS_VISIBLE | BS_AUTORADIOBUTTON, 200, 32, 200, 18, "&Screen message alert"},
    {C::kPageControl1, WC_TABCONTROLW, kVisibleTab | WS_GROUP | WS_CLIPSIBLINGS, 8, 58, 564, 302, ""},
    {C::kApplyBtn, L"BUTTON", kVisibleTab | BS_DEFPUSHBUTTON, 406, 368, 75, 25, "&Apply", "Save settings and Exit"},
    {C::kCancelBtn, L"BUTTON", kButton, 492, 368, 75, 25, "Cancel", "Cancel changes and Exit"},
    // The body of the test e-mail.
    {C::kMemo1, L"EDIT", ES_MULTILINE, 0, 0, 185, 40, "THIS IS A TEST MESSAGE SENT BY \r\nVigilor"},
};

struct PageControl {
    Tab tab;
    ControlEntry entry;
};

const PageControl kPages[] = {
    {Tab::MonitoringFrequency, {C::kIntervalLabel, L"STATIC", kLabel, 30, 104, 126, 16, "Interval  (in minutes):"}},
    {Tab::MonitoringFrequency,
     {C::kEdScanInterval, L"EDIT", kEdit | ES_READONLY | ES_NUMBER, 160, 101, 40, 22, "", "", kSunken}},
    {Tab::MonitoringFrequency,
     {C::kUpDown1, UPDOWN_CLASSW, WS_VISIBLE | UDS_ARROWKEYS | UDS_SETBUDDYINT | UDS_ALIGNRIGHT, 200, 101, 16, 22,
      ""}},
    {Tab::MonitoringFrequency, {C::kRestartCountLabel, L"STATIC", kLabel, 30, 141, 126, 16, "Restart alert after:"}},
    {Tab::MonitoringFrequency,
     {C::kEdRestartAlertCount, L"EDIT", kEdit | ES_READONLY | ES_NUMBER, 160, 138, 56, 22, "",
      "Announce a service restarted this many times within the window; 0: never", kSunken}},
    {Tab::MonitoringFrequency,
     {C::kUdRestartAlertCount, UPDOWN_CLASSW, kNumberArrows, 216, 138, 16, 22, ""}},
    {Tab::MonitoringFrequency,
     {C::kRestartCountUnit, L"STATIC", kLabel, 240, 141, 300, 16, "automatic restarts  (0 = no restart alert)"}},
    {Tab::MonitoringFrequency, {C::kRestartWindowLabel, L"STATIC", kLabel, 30, 175, 126, 16, "Within the last:"}},
    {Tab::MonitoringFrequency,
     {C::kEdRestartAlertWindow, L"EDIT", kEdit | ES_READONLY | ES_NUMBER, 160, 172, 56, 22, "", "", kSunken}},
    {Tab::MonitoringFrequency,
     {C::kUdRestartAlertWindow, UPDOWN_CLASSW, kNumberArrows, 216, 172, 16, 22, ""}},
    {Tab::MonitoringFrequency, {C::kRestartWindowUnit, L"STATIC", kLabel, 240, 175, 300, 16, "minutes"}},

    {Tab::InternetEmail, {C::kAccountGroup, L"BUTTON", kGroup, 20, 92, 540, 78, "Outgoing e-mail account details:"}},
    {Tab::InternetEmail, {C::kHostLabel, L"STATIC", kLabel, 30, 114, 66, 16, "SMTP Host:"}},
    {Tab::InternetEmail, {C::kEdit1, L"EDIT", kEdit, 98, 111, 200, 21, "", "", kSunken}},
    {Tab::InternetEmail, {C::kPortLabel, L"STATIC", kLabel, 308, 114, 30, 16, "Port:"}},
    {Tab::InternetEmail, {C::kEdit2, L"EDIT", kEdit, 340, 111, 50, 21, "25", "", kSunken}},
    {Tab::InternetEmail, {C::kSecurityLabel, L"STATIC", kLabel, 400, 114, 52, 16, "Security:"}},
    {Tab::InternetEmail,
     {C::kCmbSecurity, L"COMBOBOX", kVisibleTab | CBS_DROPDOWNLIST | WS_VSCROLL, 454, 110, 96, 100, "",
      "How the connection to the mail server is protected"}},
    {Tab::InternetEmail, {C::kUserLabel, L"STATIC", kLabel, 30, 142, 66, 16, "User ID:"}},
    {Tab::InternetEmail, {C::kEdit3, L"EDIT", kEdit, 98, 139, 180, 21, "", "", kSunken}},
    {Tab::InternetEmail, {C::kPasswordLabel, L"STATIC", kLabel, 296, 142, 58, 16, "Password:"}},
    {Tab::InternetEmail, {C::kEdit4, L"EDIT", kEdit | ES_PASSWORD, 356, 139, 194, 21, "", "", kSunken}},
    {Tab::InternetEmail, {C::kSenderGroup, L"BUTTON", kGroup, 20, 174, 540, 52, "Sender Information"}},
    {Tab::InternetEmail, {C::kNameLabel, L"STATIC", kLabel, 30, 196, 68, 16, "Real Name: "}},
    {Tab::InternetEmail, {C::kEdit5, L"EDIT", kEdit, 100, 193, 178, 21, "", "", kSunken}},
    {Tab::InternetEmail, {C::kReplyLabel, L"STATIC", kLabel, 288, 196, 90, 16, "Reply to e-mail:"}},
    {Tab::InternetEmail, {C::kEdit6, L"EDIT", kEdit, 380, 193, 170, 21, "", "", kSunken}},
    {Tab::InternetEmail, {C::kRecipientGroup, L"BUTTON", kGroup, 20, 230, 540, 80, "Recipient Information:"}},
    {Tab::InternetEmail, {C::kToLabel, L"STATIC", kLabel, 30, 252, 30, 16, "To: "}},
    {Tab::InternetEmail, {C::kEdit7, L"EDIT", kEdit, 62, 249, 488, 21, "", "", kSunken}},
    {Tab::InternetEmail, {C::kCcLabel, L"STATIC", kLabel, 30, 280, 30, 16, "CC: "}},
    {Tab::InternetEmail, {C::kEdit8, L"EDIT", kEdit, 62, 277, 220, 21, "", "", kSunken}},
    {Tab::InternetEmail, {C::kBccLabel, L"STATIC", kLabel, 300, 280, 34, 16, "BCC: "}},
    {Tab::InternetEmail, {C::kEdit9, L"EDIT", kEdit, 336, 277, 214, 21, "", "", kSunken}},
    {Tab::InternetEmail, {C::kTestBtn, L"BUTTON", kButton, 475, 320, 75, 25, "&Test", "Send a test message"}},

    {Tab::ScreenNotification, {C::kScreenTitle, L"STATIC", kLabel, 30, 104, 520, 16, "Screen notification alert method"}},
    {Tab::ScreenNotification, {C::kLoginLabel, L"STATIC", kLabel, 30, 138, 66, 16, "User Login:"}},
    {Tab::ScreenNotification, {C::kEdNotifyLogin, L"EDIT", kEdit, 98, 135, 260, 21, "", "", kSunken}},
    {Tab::ScreenNotification,
     {C::kTestScreenBtn, L"BUTTON", kButton, 380, 133, 75, 25, "&Test", "Send a test message"}},

    {Tab::ApplicationLaunch, {C::kLaunchTitle, L"STATIC", kLabel, 30, 104, 520, 16, "Application launch method"}},
    {Tab::ApplicationLaunch,
     {C::kChkActivateAppLaunch, L"BUTTON", kCheck, 30, 128, 520, 18, "Launch this application in case of failure"}},
    {Tab::ApplicationLaunch, {C::kLaunchLabel, L"STATIC", kLabel, 30, 160, 56, 16, "Launch:"}},
    {Tab::ApplicationLaunch, {C::kEdLaunchApp, L"EDIT", kEdit | ES_READONLY, 88, 157, 462, 21, "", "", kSunken}},
    {Tab::ApplicationLaunch,
     {C::kButton3, L"BUTTON", kButton, 88, 186, 75, 25, "Select...", "Select the application to launch"}},
    {Tab::ApplicationLaunch,
     {C::kButton4, L"BUTTON", kButton, 170, 186, 75, 25, "Clear", "Clear the file settings (no Appl launch)"}},
    {Tab::ApplicationLaunch,
     {C::kChkExecAndWait, L"BUTTON", kCheck, 30, 224, 180, 18, "Wait for execution to finish "}},
    {Tab::ApplicationLaunch, {C::kContinuingLabel, L"STATIC", kLabel, 212, 225, 150, 16, "before continuing..."}},
    {Tab::ApplicationLaunch,
     {C::kBtnTestLaunch, L"BUTTON", kButton, 475, 320, 75, 25, "&Test", "Test launch the selected application"}},

    {Tab::HtmlOutput, {C::kHtmlTitle, L"STATIC", kLabel, 30, 104, 520, 16, "HTML Output Option"}},
    {Tab::HtmlOutput,
     {C::kHTMLCheckBox, L"BUTTON", kCheck, 30, 128, 520, 18, "Update an HTML page with the service statuses"}},
    {Tab::HtmlOutput, {C::kFileLabel, L"STATIC", kLabel, 30, 160, 56, 16, "Filename:"}},
    {Tab::HtmlOutput, {C::kEdit10, L"EDIT", kEdit | ES_READONLY, 88, 157, 462, 21, "", "", kSunken}},
    {Tab::HtmlOutput,
     {C::kButton1, L"BUTTON", kButton, 88, 186, 75, 25, "Select...", "Select a new file for the HTML output"}},
    {Tab::HtmlOutput,
     {C::kButton2, L"BUTTON", kButton, 170, 186, 75, 25, "Clear", "Clear the file settings (no HTML output)"}},
    {Tab::HtmlOutput, {C::kMetricsTitle, L"STATIC", kLabel, 30, 230, 520, 16, "Prometheus Metrics Output"}},
    {Tab::HtmlOutput,
     {C::kChkMetricsOutput, L"BUTTON", kCheck, 30, 254, 520, 18,
      "Write a metrics file for Prometheus after every check"}},
    {Tab::HtmlOutput, {C::kMetricsFileLabel, L"STATIC", kLabel, 30, 286, 56, 16, "Filename:"}},
    {Tab::HtmlOutput,
     {C::kEdMetricsOutput, L"EDIT", kEdit, 88, 283, 462, 21, "",
      "A .prom file in the textfile folder of the exporter", kSunken}},
    {Tab::HtmlOutput,
     {C::kBtnSelectMetrics, L"BUTTON", kButton, 88, 312, 75, 25, "Select...", "Select the metrics file"}},
};

constexpr std::array<const char*, 5> kTabCaptions{"Monitoring Frequency", "Internet e-mail", "Screen Notification",
                                                  "Application Launch", "HTML Output"};

// The field Apply sends the user back to.
int FieldControl(SettingsField field) {
    switch (field) {
        case SettingsField::SmtpHost: return C::kEdit1;
        case SettingsField::Port: return C::kEdit2;
        case SettingsField::UserId: return C::kEdit3;
        case SettingsField::SenderName: return C::kEdit5;
        case SettingsField::SenderAddress: return C::kEdit6;
        case SettingsField::Recipient: return C::kEdit7;
        case SettingsField::MetricsOutput: return C::kEdMetricsOutput;
    }
    return C::kEdit1;
}

// Sets the hourglass for as long as a test runs, however it ends.
class HourglassScope {
public:
    HourglassScope() : previous_(::SetCursor(LoadCursorW(nullptr, IDC_WAIT))) {}
    ~HourglassScope() { ::SetCursor(previous_ ? previous_ : LoadCursorW(nullptr, IDC_ARROW)); }
    HourglassScope(const HourglassScope&) = delete;
    HourglassScope& operator=(const HourglassScope&) = delete;

private:
    HCURSOR previous_;
};

}  // namespace

class TeMailConfig::TestRun {
public:
    TestRun(TeMailConfig& dialog, int button) : dialog_(dialog) { dialog_.commands_.TestStarted({button, BN_CLICKED}); }
    ~TestRun() {
        // Posted, so that they come after the test's own reports, also
        // after an error.
        for (const TestCommandGate::Command& command : dialog_.commands_.TestEnded())
            PostMessageW(dialog_.dialog_, WM_COMMAND, MAKEWPARAM(command.id, command.code),
                         reinterpret_cast<LPARAM>(GetDlgItem(dialog_.dialog_, command.id)));
    }
    TestRun(const TestRun&) = delete;
    TestRun& operator=(const TestRun&) = delete;

private:
    TeMailConfig& dialog_;
};

TeMailConfig::TeMailConfig(SettingsForm form, UserDialogs& dialogs, FileChooser& files,
                           NotificationChannels& channels, std::unique_ptr<TNMSMTP> client)
    : form_(std::move(form)), dialogs_(dialogs), files_(files), channels_(channels), NMSMTP1_(std::move(client)) {
    NMSMTP1_->Port = 25;
    NMSMTP1_->OnSuccess = [this] { NMSMTP1Success(); };
    NMSMTP1_->OnConnectionFailed = [this] { NMSMTP1ConnectionFailed(); };
    NMSMTP1_->OnInvalidHost = [this](bool& handled) { NMSMTP1InvalidHost(handled); };
}

void TeMailConfig::OnInit(HWND dialog) {
    dialog_ = dialog;
    CreateControls(dialog, kFrame, Font());
    for (const PageControl& control : kPages) CreateControl(dialog, control.entry, Font());
    const HWND tabs = GetDlgItem(dialog, kPageControl1);
    // Below the pages' controls, so that it does not paint over them.
    SetWindowPos(tabs, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    for (size_t i = 0; i < kTabCaptions.size(); ++i) {
        std::wstring caption = Wide(kTabCaptions[i]);
        TCITEMW item{};
        item.mask = TCIF_TEXT;
        item.pszText = caption.data();
        TabCtrl_InsertItem(tabs, static_cast<int>(i), &item);
    }
    const HWND upDown = GetDlgItem(dialog, kUpDown1);
    SendMessageW(upDown, UDM_SETBUDDY, reinterpret_cast<WPARAM>(GetDlgItem(dialog, kEdScanInterval)), 0);
    SendMessageW(upDown, UDM_SETRANGE32, 1, 60);
    SendDlgItemMessageW(dialog, kEdScanInterval, EM_LIMITTEXT, 2, 0);
    const struct {
        int upDown;
        int edit;
        int low;
        int high;
    } numbers[] = {{kUdRestartAlertCount, kEdRestartAlertCount, 0, kMaxRestartAlertCount},
                   {kUdRestartAlertWindow, kEdRestartAlertWindow, 1, kMaxRestartAlertWindow}};
    for (const auto& number : numbers) {
        SendDlgItemMessageW(dialog, number.upDown, UDM_SETBUDDY,
                            reinterpret_cast<WPARAM>(GetDlgItem(dialog, number.edit)), 0);
        SendDlgItemMessageW(dialog, number.upDown, UDM_SETRANGE32, number.low, number.high);
    }
    // Ports above 999 are common with mail providers (2525, 587 ...).
    SendDlgItemMessageW(dialog, kEdit2, EM_LIMITTEXT, 5, 0);
    SendDlgItemMessageW(dialog, kEdit4, EM_SETPASSWORDCHAR, L'*', 0);
    for (SmtpSecurity security : {SmtpSecurity::None, SmtpSecurity::StartTls, SmtpSecurity::Tls})
        SendDlgItemMessageW(dialog, kCmbSecurity, CB_ADDSTRING, 0,
                            reinterpret_cast<LPARAM>(Wide(SmtpSecurityName(security)).c_str()));
    AddHints();
    FormShow();
}

void TeMailConfig::AddHints() {
    tooltips_ = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP, 0, 0, 0, 0,
                                dialog_, nullptr, GetModuleHandleW(nullptr), nullptr);
    auto add = [this](const ControlEntry& control) {
        if (!*control.hint) return;
        std::wstring hint = Wide(control.hint);
        TTTOOLINFOW tool{};
        tool.cbSize = sizeof tool;
        tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
        tool.hwnd = dialog_;
        tool.uId = reinterpret_cast<UINT_PTR>(GetDlgItem(dialog_, control.id));
        tool.lpszText = hint.data();
        SendMessageW(tooltips_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
    };
    for (const ControlEntry& control : kFrame) add(control);
    for (const PageControl& control : kPages) add(control.entry);
}

void TeMailConfig::FormShow() {
    CheckDlgButton(dialog_, kCheckBox1, form_.notifyByMail ? BST_CHECKED : BST_UNCHECKED);
    CheckRadioButton(dialog_, kRadioButton1, kRadioButton2, form_.screenMethod ? kRadioButton2 : kRadioButton1);
    SendDlgItemMessageW(dialog_, kUpDown1, UDM_SETPOS32, 0, form_.scanInterval);
    SendDlgItemMessageW(dialog_, kUdRestartAlertCount, UDM_SETPOS32, 0, form_.restartAlertCount);
    SendDlgItemMessageW(dialog_, kUdRestartAlertWindow, UDM_SETPOS32, 0, form_.restartAlertWindow);
    const std::pair<int, const std::string*> texts[] = {
        {kEdit1, &form_.smtpHost},       {kEdit2, &form_.port},        {kEdit3, &form_.userId},
        {kEdit4, &form_.password},       {kEdit5, &form_.senderName},  {kEdit6, &form_.senderAddress},
        {kEdit7, &form_.to},             {kEdit8, &form_.cc},          {kEdit9, &form_.bcc},
        {kEdNotifyLogin, &form_.notifyLogin}, {kEdLaunchApp, &form_.launchApp}, {kEdit10, &form_.htmlOutput},
        {kEdMetricsOutput, &form_.metricsOutput},
    };
    for (const auto& [id, text] : texts) SetWindowTextUtf8(GetDlgItem(dialog_, id), *text);
    shownSecurity_ = form_.security;
    // A stored text that names no security shows as no choice, and stays
    // until one is picked.
    const WPARAM index = form_.security.Known() ? static_cast<WPARAM>(form_.security.ToConnect()) : WPARAM(-1);
    SendDlgItemMessageW(dialog_, kCmbSecurity, CB_SETCURSEL, index, 0);
    CheckDlgButton(dialog_, kChkActivateAppLaunch, form_.launchAppActive ? BST_CHECKED : BST_UNCHECKED);
    CheckDlgButton(dialog_, kChkExecAndWait, form_.execAndWait ? BST_CHECKED : BST_UNCHECKED);
    CheckDlgButton(dialog_, kHTMLCheckBox, form_.htmlOutputEnabled ? BST_CHECKED : BST_UNCHECKED);
    CheckDlgButton(dialog_, kChkMetricsOutput, form_.metricsOutputEnabled ? BST_CHECKED : BST_UNCHECKED);
    ShowTab(Tab::MonitoringFrequency);
}

std::string TeMailConfig::Text(int id) const { return WindowText(GetDlgItem(dialog_, id)); }

bool TeMailConfig::Checked(int id) const { return IsDlgButtonChecked(dialog_, id) == BST_CHECKED; }

void TeMailConfig::ShowTab(SettingsTab tab) {
    TabCtrl_SetCurSel(GetDlgItem(dialog_, kPageControl1), static_cast<int>(tab));
    for (const PageControl& control : kPages)
        ShowWindow(GetDlgItem(dialog_, control.entry.id), control.tab == tab ? SW_SHOWNA : SW_HIDE);
}

SettingsTab TeMailConfig::CurrentTab() const {
    return static_cast<SettingsTab>(TabCtrl_GetCurSel(GetDlgItem(dialog_, kPageControl1)));
}

void TeMailConfig::ReadFields() {
    form_.notifyByMail = Checked(kCheckBox1);
    form_.screenMethod = Checked(kRadioButton2);
    form_.scanInterval = static_cast<int>(SendDlgItemMessageW(dialog_, kUpDown1, UDM_GETPOS32, 0, 0));
    form_.restartAlertCount =
        static_cast<int>(SendDlgItemMessageW(dialog_, kUdRestartAlertCount, UDM_GETPOS32, 0, 0));
    form_.restartAlertWindow =
        static_cast<int>(SendDlgItemMessageW(dialog_, kUdRestartAlertWindow, UDM_GETPOS32, 0, 0));
    form_.smtpHost = Text(kEdit1);
    form_.port = Text(kEdit2);
    form_.security = SelectedSecurity();
    form_.userId = Text(kEdit3);
    form_.password = Text(kEdit4);
    form_.senderName = Text(kEdit5);
    form_.senderAddress = Text(kEdit6);
    form_.to = Text(kEdit7);
    form_.cc = Text(kEdit8);
    form_.bcc = Text(kEdit9);
    form_.notifyLogin = Text(kEdNotifyLogin);
    form_.launchAppActive = Checked(kChkActivateAppLaunch);
    form_.launchApp = Text(kEdLaunchApp);
    form_.execAndWait = Checked(kChkExecAndWait);
    form_.htmlOutputEnabled = Checked(kHTMLCheckBox);
    form_.htmlOutput = Text(kEdit10);
    form_.metricsOutputEnabled = Checked(kChkMetricsOutput);
    form_.metricsOutput = Text(kEdMetricsOutput);
}

void TeMailConfig::ApplyBtnClick() {
    ReadFields();
    if (const auto refusal = CheckApply(form_)) return Refuse(*refusal);
    SettingsApplied_ = true;
    EndDialog(dialog_, IDOK);
}

void TeMailConfig::Refuse(const ApplyRefusal& refusal) {
    dialogs_.Show(refusal.message, "Error", BoxIcon::Error, BoxButtons::Ok, true);
    if (refusal.field == SettingsField::Port && Trim(Text(kEdit2)).empty())
        SetWindowTextW(GetDlgItem(dialog_, kEdit2), L"25");
    // A field on a hidden tab cannot take the focus.
    ShowTab(TabOfField(refusal.field));
    SetFocus(GetDlgItem(dialog_, FieldControl(refusal.field)));
}

void TeMailConfig::CheckBox1Click() {
    if (!Checked(kCheckBox1)) ShowTab(Tab::MonitoringFrequency);
}

void TeMailConfig::RadioButton1Click() {
    if (Checked(kCheckBox1)) ShowTab(TabForMethod(false));
}

void TeMailConfig::RadioButton2Click() {
    if (Checked(kCheckBox1)) ShowTab(TabForMethod(true));
}

bool TeMailConfig::PageControl1Changing() { return MayLeaveTab(CurrentTab(), Checked(kCheckBox1)); }

void TeMailConfig::ChooseFile(int field, const char* filter) {
    const std::string current = Text(field);
    const std::string chosen = files_.ChooseOpenFile({filter, DirectoryPart(current), current});
    if (!chosen.empty()) SetWindowTextUtf8(GetDlgItem(dialog_, field), chosen);
}

void TeMailConfig::Button2Click() {
    SetWindowTextW(GetDlgItem(dialog_, kEdit10), L"");
    CheckDlgButton(dialog_, kHTMLCheckBox, BST_UNCHECKED);
}

void TeMailConfig::Button4Click() {
    CheckDlgButton(dialog_, kChkActivateAppLaunch, BST_UNCHECKED);
    SetWindowTextW(GetDlgItem(dialog_, kEdLaunchApp), L"");
}

SmtpSecurityChoice TeMailConfig::SelectedSecurity() const {
    // The list holds the choices in the order of their values; with none
    // selected, the stored text that names none of them stands.
    const LRESULT index = SendDlgItemMessageW(dialog_, kCmbSecurity, CB_GETCURSEL, 0, 0);
    return index == CB_ERR ? form_.security : SmtpSecurityChoice(static_cast<SmtpSecurity>(index));
}

void TeMailConfig::cmbSecurityChange() {
    const SmtpSecurityChoice picked = SelectedSecurity();
    if (!picked.Known()) return;
    SetWindowTextUtf8(GetDlgItem(dialog_, kEdit2),
                      PortAfterSecurityChange(Text(kEdit2), shownSecurity_, picked.ToConnect()));
    shownSecurity_ = picked;
}

void TeMailConfig::TestBtnClick() {
    const PortField port = ReadPortField(Text(kEdit2));
    if (!port.number) return Refuse({SettingsField::Port, port.refusal});
    const HourglassScope hourglass;
    const TestRun running(*this, kTestBtn);
    // Everything is read before the first wait: the test sends what the
    // dialog showed when it was pressed.
    TNMSMTP& client = *NMSMTP1_;
    client.Host = Text(kEdit1);
    client.Port = *port.number;
    client.UserID = Text(kEdit3);
    client.Security = SelectedSecurity();
    client.Password = Text(kEdit4);
    TPostMessage& message = client.PostMessage;
    message.FromName = Text(kEdit5);
    message.FromAddress = Text(kEdit6);
    message.Subject = "NT Service Failure Alert";
    message.ToAddress.push_back(Text(kEdit7));
    message.ToCarbonCopy.push_back(Text(kEdit8));
    message.ToBlindCarbonCopy.push_back(Text(kEdit9));
    message.Body.clear();
    const std::string body = Text(kMemo1);
    for (size_t start = 0;;) {
        const size_t end = body.find("\r\n", start);
        message.Body.push_back(body.substr(start, end == std::string::npos ? std::string::npos : end - start));
        if (end == std::string::npos) break;
        start = end + 2;
    }
    // Every test ends with the connection closed, also after an error, so
    // that the next one starts clean.
    try {
        client.SmtpConnect();
        client.SendPost();
    } catch (...) {
        message.ToAddress.clear();
        message.ToCarbonCopy.clear();
        message.ToBlindCarbonCopy.clear();
        try {
            client.SmtpQuit();
        } catch (const std::exception&) {
            // The error that ended the test is the one to show.
        }
        throw;
    }
    client.SmtpQuit();
}

void TeMailConfig::NMSMTP1Success() {
    const std::vector<std::string>& refused = NMSMTP1_->RefusedRecipients();
    if (refused.empty())
        dialogs_.Show("A test e-mail message has bent sent to " + Text(kEdit7) + " " + Text(kEdit8) + " " + Text(kEdit9),
                      "Information", BoxIcon::Information, BoxButtons::Ok, true);
    else
        dialogs_.Show("The test e-mail message was sent to " + AddressList(NMSMTP1_->AcceptedRecipients()) +
                          " only: the server refused " + AddressList(refused) + ".",
                      "Error", BoxIcon::Error, BoxButtons::Ok, true);
}

void TeMailConfig::NMSMTP1ConnectionFailed() {
    dialogs_.Show("Operation failed ! Please check your parameters.", "Error", BoxIcon::Error, BoxButtons::Ok, true);
}

void TeMailConfig::NMSMTP1InvalidHost(bool& handled) {
    handled = false;
    dialogs_.Show("Invalid SMTP host ! Please check your parameters.", "Error", BoxIcon::Error, BoxButtons::Ok, true);
}

void TeMailConfig::TestScreenBtnClick() {
    const std::string recipient = Text(kEdNotifyLogin);
    if (!channels_.SendScreenMessage("This is a test message from Vigilor", recipient))
        dialogs_.Show(UndeliveredScreenLine(recipient), "Error", BoxIcon::Error, BoxButtons::Ok, true);
}

void TeMailConfig::btnTestLaunchClick() {
    const std::string program = Text(kEdLaunchApp);
    std::optional<std::string> failure;
    if (Checked(kChkExecAndWait)) {
        // The wait handles the dialog's messages: clicks meanwhile wait too.
        const TestRun running(*this, kBtnTestLaunch);
        const RunResult run = channels_.RunAndWait(program, kShowNormally);
        if (run.end == RunResult::End::NotStarted) failure = run.failure;
    } else {
        failure = channels_.ShellLaunch(program, "", DirectoryPart(program), kShowNormally);
    }
    if (failure) dialogs_.Show(LaunchFailureLine(program, *failure), "Error", BoxIcon::Error, BoxButtons::Ok, true);
}

INT_PTR TeMailConfig::PageColour(HDC dc, HWND control) const {
    // The tab's body is drawn in the window colour; its labels and boxes
    // sit on it without a grey patch.
    const int id = GetDlgCtrlID(control);
    for (const PageControl& page : kPages) {
        if (page.entry.id != id) continue;
        SetBkColor(dc, GetSysColor(COLOR_WINDOW));
        return reinterpret_cast<INT_PTR>(GetSysColorBrush(COLOR_WINDOW));
    }
    return 0;
}

bool TeMailConfig::OnCommand(HWND dialog, int id, int code) {
    if (commands_.Hold({id, code})) return true;
    if (id == kCmbSecurity && code == CBN_SELCHANGE) {
        cmbSecurityChange();
        return true;
    }
    if (code != BN_CLICKED) return false;
    switch (id) {
        case kApplyBtn: ApplyBtnClick(); return true;
        case kCheckBox1: CheckBox1Click(); return true;
        case kRadioButton1: RadioButton1Click(); return true;
        case kRadioButton2: RadioButton2Click(); return true;
        case kButton1: ChooseFile(kEdit10, kHtmlFilter); return true;
        case kButton2: Button2Click(); return true;
        case kButton3: ChooseFile(kEdLaunchApp, kProgramFilter); return true;
        case kButton4: Button4Click(); return true;
        case kBtnSelectMetrics: ChooseFile(kEdMetricsOutput, kMetricsFilter); return true;
        case kTestBtn: TestBtnClick(); return true;
        case kTestScreenBtn: TestScreenBtnClick(); return true;
        case kBtnTestLaunch: btnTestLaunchClick(); return true;
        case IDOK: ApplyBtnClick(); return true;  // Enter: the default button
        default: return ModalDialog::OnCommand(dialog, id, code);
    }
}

INT_PTR TeMailConfig::OnMessage(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_CTLCOLORSTATIC) return PageColour(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam));
    if (message != WM_NOTIFY) return 0;
    const auto& header = *reinterpret_cast<const NMHDR*>(lParam);
    if (header.idFrom != static_cast<UINT_PTR>(kPageControl1)) return 0;
    if (header.code == TCN_SELCHANGING) {
        SetWindowLongPtrW(dialog, DWLP_MSGRESULT, PageControl1Changing() ? FALSE : TRUE);
        return TRUE;
    }
    if (header.code == TCN_SELCHANGE) ShowTab(CurrentTab());
    return 0;
}

}  // namespace vigilor
