#include "net/login_dialog_win.h"

#include "platform/control_table_win.h"

namespace vigilor {

namespace {

using D = TLoginDlg;

constexpr DWORD kLabel = WS_VISIBLE | SS_LEFTNOWORDWRAP;
constexpr DWORD kEdit = WS_VISIBLE | WS_TABSTOP | ES_AUTOHSCROLL;

const ControlEntry kControls[] = {
    {D::kServerLabel, L"STATIC", kLabel, 16, 14, 84, 16, "Server Name:"},
    {D::kLabel6, L"STATIC", kLabel, 104, 14, 182, 16, ""},
    {D::kPrompt, L"STATIC", kLabel, 16, 42, 270, 16, "Type your Username and Password"},
    {D::kUserLabel, L"STATIC", kLabel, 16, 70, 84, 16, "Username:"},
    {D::kEdUser, L"EDIT", kEdit | ES_LOWERCASE, 104, 67, 180, 21, "", "", WS_EX_CLIENTEDGE},
    {D::kPassLabel, L"STATIC", kLabel, 16, 98, 84, 16, "Password:"},
    {D::kEdPass, L"EDIT", kEdit | ES_PASSWORD, 104, 95, 180, 21, "", "", WS_EX_CLIENTEDGE},
    {D::kOKBtn, L"BUTTON", WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON | WS_DISABLED, 128, 132, 75, 25, "OK"},
    {D::kCancelBtn, L"BUTTON", WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, 210, 132, 75, 25, "Cancel"},
};

}  // namespace

void TLoginDlg::OnInit(HWND dialog) {
    // A fixed dialog without border buttons, above every other window.
    SetWindowLongPtrW(dialog, GWL_STYLE, GetWindowLongPtrW(dialog, GWL_STYLE) & ~WS_SYSMENU);
    SetWindowPos(dialog, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_FRAMECHANGED);
    CreateControls(dialog, kControls, Font());
    SendDlgItemMessageW(dialog, kEdPass, EM_SETPASSWORDCHAR, L'*', 0);
    SetWindowTextUtf8(GetDlgItem(dialog, kLabel6), serverName_);
    SetWindowTextUtf8(GetDlgItem(dialog, kEdUser), storedUser_);
    FormShow(dialog);
}

void TLoginDlg::FormShow(HWND dialog) {
    // Posted: the dialog manager sets its own first focus after this.
    const int first = GetWindowTextLengthW(GetDlgItem(dialog, kEdUser)) > 0 ? kEdPass : kEdUser;
    PostMessageW(dialog, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(GetDlgItem(dialog, first)), TRUE);
}

void TLoginDlg::edUserChange(HWND dialog) {
    const bool both = GetWindowTextLengthW(GetDlgItem(dialog, kEdUser)) > 0 &&
                      GetWindowTextLengthW(GetDlgItem(dialog, kEdPass)) > 0;
    EnableWindow(GetDlgItem(dialog, kOKBtn), both);
}

bool TLoginDlg::OnCommand(HWND dialog, int id, int code) {
    if ((id == kEdUser || id == kEdPass) && code == EN_CHANGE) {
        edUserChange(dialog);
        return true;
    }
    if (id == kOKBtn) {
        // Enter reaches here even while OK is greyed.
        if (!IsWindowEnabled(GetDlgItem(dialog, kOKBtn))) return true;
        result_ = {WindowText(GetDlgItem(dialog, kEdUser)), WindowText(GetDlgItem(dialog, kEdPass))};
    }
    return ModalDialog::OnCommand(dialog, id, code);
}

LogonCredentials LoginDialogRunner::Ask(const std::string& serverName, const std::string& storedUser) {
    TLoginDlg dialog(serverName, storedUser);
    dialog.Run(owner_);
    return dialog.Result();
}

}  // namespace vigilor
