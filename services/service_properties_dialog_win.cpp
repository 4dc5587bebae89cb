#include "services/service_properties_dialog_win.h"

#include <commctrl.h>

#include "monitor/monitored_service.h"
#include "platform/control_table_win.h"
#include "platform/wide_win.h"

namespace vigilor {

namespace {

using F = TFrmProperty;

constexpr DWORD kVisibleTab = WS_VISIBLE | WS_TABSTOP;
constexpr DWORD kLabel = WS_VISIBLE | SS_LEFTNOWORDWRAP;
constexpr DWORD kEdit = kVisibleTab | ES_AUTOHSCROLL;
constexpr DWORD kShown = kEdit | ES_READONLY;
constexpr DWORD kGroup = WS_VISIBLE | WS_GROUP | BS_GROUPBOX;
constexpr DWORD kRadio = WS_VISIBLE | BS_AUTORADIOBUTTON;
constexpr DWORD kFirstRadio = kRadio | WS_GROUP | WS_TABSTOP;
constexpr DWORD kCheck = kVisibleTab | BS_AUTOCHECKBOX;
constexpr DWORD kSunken = WS_EX_CLIENTEDGE;
constexpr COLORREF kBlue = RGB(0, 0, 255);
constexpr COLORREF kRed = RGB(255, 0, 0);

// Labels left, fields right, one row every 25 pixels.
constexpr int kLabelX = 12;
constexpr int kLabelWidth = 134;
constexpr int kFieldX = 150;
constexpr int kFieldWidth = 342;

const ControlEntry kControls[] = {
    {F::kFirstLabel + 0, L"STATIC", kLabel, kLabelX, 13, kLabelWidth, 16, "Sevice Name:"},
    {F::kEdtServiceName, L"EDIT", kShown, kFieldX, 10, kFieldWidth, 21, "", "", kSunken},
    {F::kFirstLabel + 1, L"STATIC", kLabel, kLabelX, 38, kLabelWidth, 16, "Display Name:"},
    {F::kEdtDisplayName, L"EDIT", kShown, kFieldX, 35, kFieldWidth, 21, "", "", kSunken},
    {F::kFirstLabel + 2, L"STATIC", kLabel, kLabelX, 63, kLabelWidth, 16, "File name:"},
    {F::kEdtBinaryFile, L"EDIT", kShown, kFieldX, 60, kFieldWidth, 21, "", "", kSunken},
    {F::kFirstLabel + 3, L"STATIC", kLabel, kLabelX, 88, kLabelWidth, 16, "Service Status:"},
    {F::kEdStatus, L"EDIT", kShown, kFieldX, 85, kFieldWidth, 21, "", "", kSunken},
    {F::kFirstLabel + 4, L"STATIC", kLabel, kLabelX, 113, kLabelWidth, 16, "Load order Group:"},
    {F::kCmbLoadOrder, WC_COMBOBOXW, kVisibleTab | CBS_DROPDOWN | CBS_AUTOHSCROLL | WS_VSCROLL, kFieldX, 110,
     kFieldWidth, 160, ""},
    {F::kFirstLabel + 5, L"STATIC", kLabel, kLabelX, 138, kLabelWidth, 16, "Order within Group:"},
    {F::kEdtOrderWithinGroup, L"EDIT", kShown, kFieldX, 135, 80, 21, "", "", kSunken},
    {F::kFirstLabel + 6, L"STATIC", kLabel, kLabelX, 163, kLabelWidth, 16, "Dependencies:"},
    {F::kMemDependencies, L"EDIT", kVisibleTab | ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL | WS_VSCROLL, kFieldX,
     160, kFieldWidth, 46, "", "", kSunken},
    {F::kFirstLabel + 7, L"STATIC", kLabel, kLabelX, 215, kLabelWidth, 16, "Account to Start under:"},
    {F::kEdtAccount, L"EDIT", kEdit, kFieldX, 212, kFieldWidth, 21, "", "", kSunken},
    {F::kFirstLabel + 8, L"STATIC", kLabel, kLabelX, 240, kLabelWidth, 16, "Password:"},
    {F::kEdtPassword, L"EDIT", kEdit | ES_PASSWORD, kFieldX, 237, kFieldWidth, 21, "", "", kSunken},

    {F::kRgpStartup, L"BUTTON", kGroup, 12, 266, 480, 44, "Startup"},
    {F::StartupItem(0), L"BUTTON", kFirstRadio, 24, 284, 88, 18, kStartupItems[0]},
    {F::StartupItem(1), L"BUTTON", kRadio, 117, 284, 88, 18, kStartupItems[1]},
    {F::StartupItem(2), L"BUTTON", kRadio, 210, 284, 88, 18, kStartupItems[2]},
    {F::StartupItem(3), L"BUTTON", kRadio, 303, 284, 88, 18, kStartupItems[3]},
    {F::StartupItem(4), L"BUTTON", kRadio, 396, 284, 88, 18, kStartupItems[4]},

    {F::kRgpError, L"BUTTON", kGroup, 12, 316, 480, 44, "Error control"},
    {F::ErrorItem(0), L"BUTTON", kFirstRadio, 24, 334, 108, 18, kErrorItems[0]},
    {F::ErrorItem(1), L"BUTTON", kRadio, 140, 334, 108, 18, kErrorItems[1]},
    {F::ErrorItem(2), L"BUTTON", kRadio, 256, 334, 108, 18, kErrorItems[2]},
    {F::ErrorItem(3), L"BUTTON", kRadio, 372, 334, 108, 18, kErrorItems[3]},

    {F::kGrpServiceType, L"BUTTON", kGroup, 12, 366, 480, 64, "Service type"},
    {F::kCbxKernelDriver, L"BUTTON", kCheck | WS_GROUP, 24, 384, 104, 18, kServiceTypeBoxes[0].caption},
    {F::kCbxFileDriver, L"BUTTON", kCheck, 134, 384, 130, 18, kServiceTypeBoxes[1].caption},
    {F::kCbxAdapter, L"BUTTON", kCheck, 270, 384, 84, 18, kServiceTypeBoxes[2].caption},
    {F::kCbxRecognizer, L"BUTTON", kCheck, 360, 384, 126, 18, kServiceTypeBoxes[3].caption},
    {F::kCmbWin32Own, L"BUTTON", kCheck, 24, 406, 140, 18, kServiceTypeBoxes[4].caption},
    {F::kCbxWin32Shared, L"BUTTON", kCheck, 170, 406, 150, 18, kServiceTypeBoxes[5].caption},
    {F::kCbxInteractive, L"BUTTON", kCheck, 326, 406, 150, 18, kServiceTypeBoxes[6].caption},

    {F::kBtnChange, L"BUTTON", kVisibleTab | WS_GROUP | BS_PUSHBUTTON, 330, 438, 75, 25, "Change"},
    {F::kBtnCancel, L"BUTTON", kVisibleTab | BS_DEFPUSHBUTTON, 417, 438, 75, 25, "Cancel"},
};

// The check boxes in the order of kServiceTypeBoxes.
constexpr int kTypeBoxes[] = {F::kCbxKernelDriver, F::kCbxFileDriver, F::kCbxAdapter,    F::kCbxRecognizer,
                              F::kCmbWin32Own,     F::kCbxWin32Shared, F::kCbxInteractive};

std::string ItemText(HWND dialog, int id) { return WindowText(GetDlgItem(dialog, id)); }

void SetItemText(HWND dialog, int id, const std::string& text) { SetWindowTextUtf8(GetDlgItem(dialog, id), text); }

// What the properties command asks of the window: the dialog, and the
// reload of the list after a change.
class DialogHost : public ServicePropertiesHost {
public:
    DialogHost(HWND owner, ServiceBrowserController& browser) : owner_(owner), browser_(browser) {}
    bool EditProperties(ServiceProperties& properties) override {
        TFrmProperty dialog(properties);
        if (dialog.Run(owner_) != IDOK) return false;
        properties = dialog.Properties();
        return true;
    }
    void ReloadServices() override { browser_.Reload(LoadClip::FindFolder); }

private:
    HWND owner_;
    ServiceBrowserController& browser_;
};

}  // namespace

void TFrmProperty::OnInit(HWND dialog) {
    dialog_ = dialog;
    CreateControls(dialog, kControls, Font());
    LOGFONTW bold{};
    GetObjectW(Font(), sizeof bold, &bold);
    bold.lfWeight = FW_BOLD;
    boldFont_.Reset(CreateFontIndirectW(&bold));
    SendDlgItemMessageW(dialog, kEdStatus, WM_SETFONT, reinterpret_cast<WPARAM>(boldFont_.Get()), FALSE);
    SendDlgItemMessageW(dialog, kEdtPassword, EM_SETPASSWORDCHAR, L'*', 0);
    // Enter cancels: the default button is Cancel, not Change. It starts
    // with the focus too, once the dialog manager has placed its own.
    SendMessageW(dialog, DM_SETDEFID, kBtnCancel, 0);
    PostMessageW(dialog, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(GetDlgItem(dialog, kBtnCancel)), TRUE);
    FormShow();
}

void TFrmProperty::FormShow() {
    SetItemText(dialog_, kEdtServiceName, properties_.serviceName);
    SetItemText(dialog_, kEdtDisplayName, properties_.displayName);
    SetItemText(dialog_, kEdtBinaryFile, properties_.binaryFile);
    SetItemText(dialog_, kEdStatus, properties_.statusText);
    const HWND groups = GetDlgItem(dialog_, kCmbLoadOrder);
    for (const std::string& group : properties_.loadOrderGroups)
        SendMessageW(groups, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Wide(group).c_str()));
    SetWindowTextUtf8(groups, properties_.loadOrder);
    SetItemText(dialog_, kEdtOrderWithinGroup, properties_.orderWithinGroup);
    SetItemText(dialog_, kMemDependencies, JoinLines(properties_.dependencies));
    SetItemText(dialog_, kEdtAccount, properties_.account);
    SetItemText(dialog_, kEdtPassword, properties_.password);
    // Only the user's typing marks a field as edited.
    properties_.accountEdited = false;
    properties_.passwordEdited = false;
    for (int i = 0; i < static_cast<int>(kStartupItems.size()); ++i)
        CheckDlgButton(dialog_, StartupItem(i), i == properties_.startup ? BST_CHECKED : BST_UNCHECKED);
    for (int i = 0; i < static_cast<int>(kErrorItems.size()); ++i)
        CheckDlgButton(dialog_, ErrorItem(i), i == properties_.errorControl ? BST_CHECKED : BST_UNCHECKED);
    for (size_t i = 0; i < kServiceTypeBoxes.size(); ++i)
        CheckDlgButton(dialog_, kTypeBoxes[i],
                       properties_.serviceType.Contains(kServiceTypeBoxes[i].type) ? BST_CHECKED : BST_UNCHECKED);
}

int TFrmProperty::CheckedItem(int first, int count) const {
    for (int i = 0; i < count; ++i)
        if (IsDlgButtonChecked(dialog_, first + i) == BST_CHECKED) return i;
    return -1;
}

void TFrmProperty::ReadFields() {
    properties_.displayName = ItemText(dialog_, kEdtDisplayName);
    properties_.binaryFile = ItemText(dialog_, kEdtBinaryFile);
    properties_.loadOrder = ItemText(dialog_, kCmbLoadOrder);
    properties_.dependencies = TextLines(ItemText(dialog_, kMemDependencies));
    properties_.account = ItemText(dialog_, kEdtAccount);
    properties_.password = ItemText(dialog_, kEdtPassword);
    properties_.startup = CheckedItem(StartupItem(0), static_cast<int>(kStartupItems.size()));
    properties_.errorControl = CheckedItem(ErrorItem(0), static_cast<int>(kErrorItems.size()));
    TServiceTypes types;
    for (size_t i = 0; i < kServiceTypeBoxes.size(); ++i)
        if (IsDlgButtonChecked(dialog_, kTypeBoxes[i]) == BST_CHECKED) types.Include(kServiceTypeBoxes[i].type);
    properties_.serviceType = types;
}

void TFrmProperty::edtAccountChange(int id) {
    if (id == kEdtAccount) properties_.accountEdited = true;
    if (id == kEdtPassword) properties_.passwordEdited = true;
}

bool TFrmProperty::OnCommand(HWND dialog, int id, int code) {
    switch (id) {
        case kEdtAccount:
        case kEdtPassword:
            if (code == EN_CHANGE) edtAccountChange(id);
            return true;
        case kBtnChange:
            if (code != BN_CLICKED) return false;
            ReadFields();
            EndDialog(dialog, IDOK);
            return true;
        case IDOK:  // Enter with no default button: cancel all the same
        case IDCANCEL:
            EndDialog(dialog, IDCANCEL);
            return true;
        default:
            return false;
    }
}

INT_PTR TFrmProperty::OnMessage(HWND, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message != WM_CTLCOLORSTATIC) return 0;
    // Read-only edits: white like the editable ones, the grey ones grey,
    // the state in blue when running and red otherwise.
    const auto dc = reinterpret_cast<HDC>(wParam);
    const int id = GetDlgCtrlID(reinterpret_cast<HWND>(lParam));
    switch (id) {
        case kEdtServiceName:
        case kEdtOrderWithinGroup:
            SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
            return reinterpret_cast<INT_PTR>(GetSysColorBrush(COLOR_BTNFACE));
        case kEdStatus:
            SetTextColor(dc, ShowsRunning(properties_.statusText) ? kBlue : kRed);
            [[fallthrough]];
        case kEdtDisplayName:
        case kEdtBinaryFile:
        case kMemDependencies:
            SetBkColor(dc, GetSysColor(COLOR_WINDOW));
            return reinterpret_cast<INT_PTR>(GetSysColorBrush(COLOR_WINDOW));
        default:
            return 0;
    }
}

void ViewProperties1Click(HWND owner, ServiceBrowserController& browser, TNTService& service, UserDialogs& dialogs,
                          const std::string& computer) {
    const int index = browser.SelectedIndex();
    // Raises the list's index error when no row is selected.
    const std::string keyName = browser.Model().KeyNameAt(index);
    const std::vector<std::string>& rows = browser.Model().Rows();
    const std::string state = static_cast<size_t>(index) < rows.size() ? FieldOf(rows[index], 2) : "";
    DialogHost host(owner, browser);
    ViewServiceProperties(service, host, dialogs, computer, keyName, state);
}

}  // namespace vigilor
