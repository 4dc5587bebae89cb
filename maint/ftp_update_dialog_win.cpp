#include "maint/ftp_update_dialog_win.h"

#include <commctrl.h>

#include "maint/ftp_network_win.h"
#include "maint/ftp_update_form.h"
#include "maint/update_files_win.h"
#include "platform/control_table_win.h"
#include "platform/handles_win.h"
#include "platform/modal_dialog_win.h"
#include "platform/report_error_win.h"
#include "platform/wide_win.h"

namespace vigilor {

namespace {

constexpr DWORD kVisibleTab = WS_VISIBLE | WS_TABSTOP;
constexpr DWORD kEdit = kVisibleTab | ES_AUTOHSCROLL;
constexpr DWORD kLabel = WS_VISIBLE | SS_LEFT;
constexpr DWORD kButton = kVisibleTab | BS_PUSHBUTTON;
constexpr COLORREF kRed = RGB(255, 0, 0);

const ControlEntry kControls[] = {
    {kLoginGroup, L"BUTTON", WS_VISIBLE | BS_GROUPBOX, 8, 6, 404, 206, "FTP Login Parameters:"},
    {kHostLabel, L"STATIC", kLabel, 20, 29, 64, 16, "Host:"},
    {kHostTxt, L"EDIT", kEdit | ES_READONLY, 88, 26, 200, 21, "", "", WS_EX_CLIENTEDGE},
    {kPortLabel, L"STATIC", kLabel, 20, 55, 64, 16, "Port:"},
    {kPortTxt, L"EDIT", kEdit, 88, 52, 60, 21, "21", "", WS_EX_CLIENTEDGE},
    {kUserLabel, L"STATIC", kLabel, 20, 81, 64, 16, "User ID:"},
    {kUserTxt, L"EDIT", kEdit, 88, 78, 200, 21, "anonymous", "", WS_EX_CLIENTEDGE},
    {kPassLabel, L"STATIC", kLabel, 20, 107, 64, 16, "Password:"},
    {kPassTxt, L"EDIT", kEdit, 88, 104, 200, 21, kAnonymousPassword, "", WS_EX_CLIENTEDGE},
    {kConnnectBtn, L"BUTTON", kButton, 302, 26, 98, 25, "Connect"},
    {kDisconnnectBtn, L"BUTTON", kButton, 302, 56, 98, 25, "Disconnect"},
    {kProxyGroup, L"BUTTON", WS_VISIBLE | BS_GROUPBOX, 16, 134, 388, 70, "Proxy Details:"},
    {kCheckBox1, L"BUTTON", kVisibleTab | BS_AUTOCHECKBOX, 28, 152, 140, 18, "Use Proxy Server"},
    {kProxyServerLabel, L"STATIC", kLabel, 28, 178, 80, 16, "Proxy Server:"},
    {kEdit6, L"EDIT", kEdit, 110, 175, 140, 21, "", "", WS_EX_CLIENTEDGE},
    {kProxyPortLabel, L"STATIC", kLabel, 258, 178, 74, 16, "Proxy Port:"},
    {kEdit7, L"EDIT", kEdit, 334, 175, 58, 21, "", "", WS_EX_CLIENTEDGE},
    {kDownloadGroup, L"BUTTON", BS_GROUPBOX, 8, 218, 404, 70, "File Download:"},
    {kDownloadBtn, L"BUTTON", WS_TABSTOP | BS_PUSHBUTTON, 20, 238, 200, 25, "Download to Current Directory"},
    {kAbortBtn, L"BUTTON", WS_TABSTOP | BS_PUSHBUTTON | WS_DISABLED, 230, 238, 80, 25, "Abort"},
    {kP7, PROGRESS_CLASSW, 0, 20, 268, 380, 14, ""},
    {kRemoteTxt, L"EDIT", ES_AUTOHSCROLL, 0, 0, 80, 21, kProgramFile},
    {kLocalTxt, L"EDIT", ES_AUTOHSCROLL, 0, 0, 80, 21, kProgramFile},
    {kVersionGroup, L"BUTTON", WS_VISIBLE | BS_GROUPBOX, 8, 294, 404, 104, "Version Information:"},
    {kCurVerLabel, L"STATIC", kLabel, 20, 318, 100, 16, "Current Version:"},
    {kEdCurVer, L"EDIT", kEdit | ES_READONLY, 124, 314, 160, 22, "", "", WS_EX_CLIENTEDGE},
    {kNewVerCaption, L"STATIC", kLabel, 20, 346, 100, 16, "Latest Version:"},
    {kEdNewVer, L"EDIT", kEdit | ES_READONLY, 124, 342, 160, 22, "", "", WS_EX_CLIENTEDGE},
    {kNewVerLabel, L"STATIC", SS_CENTER, 16, 372, 388, 18, "NEW VERSION AVAILABLE !"},
    {kCloseBtn, L"BUTTON", kButton, 337, 406, 75, 25, "Close"},
    {kStatusBar1, STATUSCLASSNAMEW, WS_VISIBLE, 0, 0, 0, 0, ""},
};

// What shows with a group and what hides with it.
const FtpControl kDownloadShown[] = {kDownloadGroup, kDownloadBtn, kAbortBtn};
const FtpControl kDownloadHidden[] = {kDownloadGroup, kDownloadBtn, kAbortBtn, kP7};

class FtpUpdateDialog : public ModalDialog, private FtpFormView {
public:
    FtpUpdateDialog(UserDialogs& dialogs, std::string versionText, std::string host)
        : dialogs_(dialogs), client_(MakeFtpClient()),
          form_(*this, *client_, files_, std::move(versionText), std::move(host)) {}

protected:
    Frame DialogFrame() const override { return {"FTP Update", 420, 462}; }

    void OnInit(HWND dialog) override {
        dialog_ = dialog;
        CreateControls(dialog, kControls, Font());
        versionFont_ = GdiObject(CreateTahoma(13));
        labelFont_ = GdiObject(CreateTahoma(11, true));
        for (const int id : {kEdCurVer, kEdNewVer, kStatusBar1})
            SendDlgItemMessageW(dialog, id, WM_SETFONT, reinterpret_cast<WPARAM>(versionFont_.Get()), FALSE);
        SendDlgItemMessageW(dialog, kNewVerLabel, WM_SETFONT, reinterpret_cast<WPARAM>(labelFont_.Get()), FALSE);
        form_.FormCreate();
        // After the dialog manager has given the focus to the first control.
        PostMessageW(dialog, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(Item(kConnnectBtn)), TRUE);
    }

    bool OnCommand(HWND, int id, int code) override {
        if (code != BN_CLICKED) return false;
        switch (id) {
            case kConnnectBtn: form_.ConnnectBtnClick(); return true;
            case kDisconnnectBtn: form_.DisconnnectBtnClick(); return true;
            case kDownloadBtn: form_.DownloadBtnClick(); return true;
            case kAbortBtn: form_.AbortBtnClick(); return true;
            // Esc and the close box close as the Close button does.
            case kCloseBtn:
            case IDCANCEL: form_.CloseBtnClick(); return true;
            // Enter in a field is no command of its own.
            case IDOK: return true;
            default: return false;
        }
    }

    INT_PTR OnMessage(HWND, UINT message, WPARAM wParam, LPARAM lParam) override {
        if (message != WM_CTLCOLORSTATIC || reinterpret_cast<HWND>(lParam) != Item(kNewVerLabel)) return FALSE;
        const auto dc = reinterpret_cast<HDC>(wParam);
        SetTextColor(dc, kRed);
        SetBkMode(dc, TRANSPARENT);
        return reinterpret_cast<INT_PTR>(GetSysColorBrush(COLOR_BTNFACE));
    }

private:
    HWND Item(int id) const { return GetDlgItem(dialog_, id); }

    std::string Text(FtpControl control) override { return WindowText(Item(control)); }
    void SetText(FtpControl control, const std::string& text) override { SetWindowTextUtf8(Item(control), text); }
    bool Checked(FtpControl control) override { return IsDlgButtonChecked(dialog_, control) == BST_CHECKED; }
    bool Visible(FtpControl control) override { return (GetWindowLongW(Item(control), GWL_STYLE) & WS_VISIBLE) != 0; }
    void SetVisible(FtpControl control, bool visible) override {
        if (control != kDownloadGroup) {
            ShowWindow(Item(control), visible ? SW_SHOW : SW_HIDE);
            return;
        }
        if (visible)
            for (const FtpControl member : kDownloadShown) ShowWindow(Item(member), SW_SHOW);
        else
            for (const FtpControl member : kDownloadHidden) ShowWindow(Item(member), SW_HIDE);
    }
    void SetEnabled(FtpControl control, bool enabled) override { EnableWindow(Item(control), enabled); }
    void SetProgress(int maximum, int position) override {
        SendDlgItemMessageW(dialog_, kP7, PBM_SETRANGE32, 0, maximum);
        SendDlgItemMessageW(dialog_, kP7, PBM_SETPOS, position, 0);
    }
    void SetStatus(const std::string& text) override {
        SendDlgItemMessageW(dialog_, kStatusBar1, SB_SETTEXTW, 0, reinterpret_cast<LPARAM>(Wide(text).c_str()));
        UpdateWindow(Item(kStatusBar1));
    }
    void ShowMessage(const std::string& text) override {
        dialogs_.Show(text, ApplicationTitle(), BoxIcon::None, BoxButtons::Ok, false);
    }
    void Beep() override { MessageBeep(MB_OK); }
    void Close() override {
        form_.FormCloseQuery();
        // A wait still on the stack ends first; the dialog goes when its
        // own loop runs again.
        EndDialog(dialog_, IDCANCEL);
    }

    UserDialogs& dialogs_;
    std::unique_ptr<TNMFTP> client_;
    WindowsUpdateFiles files_;
    TfrmFTP form_;
    HWND dialog_ = nullptr;
    GdiObject versionFont_;
    GdiObject labelFont_;
};

}  // namespace

void ShowUpdateDialog(HWND owner, UserDialogs& dialogs, const std::string& versionText,
                      const std::function<std::unique_ptr<KeyValueStore>()>& openStore) {
    const std::string host = UpdateHost(*openStore());
    FtpUpdateDialog dialog(dialogs, versionText, host);
    dialog.Run(owner);
}

}  // namespace vigilor
