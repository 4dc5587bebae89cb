#include "monitor/failure_options_dialog_win.h"

#include "platform/control_table_win.h"

namespace vigilor {

void TFrmFailureOptions::OnInit(HWND dialog) {
    const ControlEntry controls[] = {
        {kQuestion, L"STATIC", WS_VISIBLE | SS_LEFT, 12, 10, 276, 16, "In case this service fails, what do you want to do ?"},
        {kGroup, L"BUTTON", WS_VISIBLE | BS_GROUPBOX, 12, 32, 276, 70, "Auto-restart:"},
        {kRestartBox, L"BUTTON", WS_VISIBLE | WS_TABSTOP | BS_AUTOCHECKBOX, 24, 52, 250, 18,
         "&Restart the service automatically"},
        {kEmailBox, L"BUTTON", WS_VISIBLE | WS_TABSTOP | BS_AUTOCHECKBOX, 44, 74, 230, 18, "&Notify me by e-mail"},
        {IDOK, L"BUTTON", WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON, 128, 114, 75, 25, "Ok"},
        {IDCANCEL, L"BUTTON", WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, 212, 114, 75, 25, "Cancel"},
    };
    CreateControls(dialog, controls, Font());
    CheckDlgButton(dialog, kRestartBox, options_.restart ? BST_CHECKED : BST_UNCHECKED);
    CheckDlgButton(dialog, kEmailBox, options_.email ? BST_CHECKED : BST_UNCHECKED);
}

bool TFrmFailureOptions::OnCommand(HWND dialog, int id, int code) {
    if (id == IDOK) {
        options_.restart = IsDlgButtonChecked(dialog, kRestartBox) == BST_CHECKED;
        options_.email = IsDlgButtonChecked(dialog, kEmailBox) == BST_CHECKED;
    }
    return ModalDialog::OnCommand(dialog, id, code);
}

}  // namespace vigilor
