#pragma once
// TLoginDlg, "Logon Parameters": the user name and password for a logon to
// a computer. OK is possible only with both filled in; the user name is
// typed in lower case, the password exactly as typed.
#include <string>

#include "net/logon.h"
#include "platform/modal_dialog_win.h"

namespace vigilor {

class TLoginDlg : public ModalDialog {
public:
    enum ControlId : int {
        kServerLabel = 5001,
        kLabel6,
        kPrompt,
        kUserLabel,
        kEdUser,
        kPassLabel,
        kEdPass,
        kOKBtn = IDOK,
        kCancelBtn = IDCANCEL,
    };

    TLoginDlg(std::string serverName, std::string storedUser)
        : serverName_(std::move(serverName)), storedUser_(std::move(storedUser)) {}
    // What OK accepted; both empty otherwise.
    const LogonCredentials& Result() const { return result_; }

protected:
    Frame DialogFrame() const override { return {"Logon Parameters", 300, 168}; }
    void OnInit(HWND dialog) override;
    bool OnCommand(HWND dialog, int id, int code) override;

private:
    void FormShow(HWND dialog);
    void edUserChange(HWND dialog);

    std::string serverName_;
    std::string storedUser_;
    LogonCredentials result_;
};

// The logon dialog over the given owner, as the logon asks for it.
class LoginDialogRunner : public LogonDialog {
public:
    explicit LoginDialogRunner(HWND owner) : owner_(owner) {}
    LogonCredentials Ask(const std::string& serverName, const std::string& storedUser) override;

private:
    HWND owner_;
};

}  // namespace vigilor
