// The main window's side of machine selection and logon: the computer list
// and the change of the selected computer.
#include "app/main_form_win.h"

#include "app/main_form_ids.h"
#include "monitor/monitored_service.h"
#include "net/computer_list.h"
#include "net/idn_win.h"
#include "net/login_dialog_win.h"
#include "platform/control_table_win.h"
#include "platform/text.h"
#include "platform/wide_win.h"

namespace vigilor {

using namespace main_form;

void TMainForm::RefreshSrvListBtnClick() {
    std::vector<std::string> servers;
    for (const std::string& row : monitored_.Rows()) servers.push_back(FieldOf(row, kServerColumn));
    const vigilor::ComputerList list =
        MakeComputerList(ntService_, settings_.selectedComputer, context_.system.LocalComputerName(), servers);
    const HWND box = Control(kCmbName);
    SendMessageW(box, CB_RESETCONTENT, 0, 0);
    for (const std::string& item : list.items)
        SendMessageW(box, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Wide(item).c_str()));
    SendMessageW(box, CB_SETCURSEL, list.selected ? static_cast<WPARAM>(*list.selected) : static_cast<WPARAM>(-1), 0);
    computerListNotice_ = list.browseError.empty() ? std::string() : BrowseListNotice(list.browseError);
}

void TMainForm::cmbNameChange() {
    const HWND box = Control(kCmbName);
    const LRESULT index = SendMessageW(box, CB_GETCURSEL, 0, 0);
    if (index == CB_ERR) return;
    std::wstring text(static_cast<size_t>(SendMessageW(box, CB_GETLBTEXTLEN, index, 0)), L'\0');
    SendMessageW(box, CB_GETLBTEXT, index, reinterpret_cast<LPARAM>(text.data()));
    ChooseComputer(Narrow(text));
}

void TMainForm::ComputerTyped(bool chosenAgain) {
    const std::string typed = WindowText(Control(kCmbName));
    const std::optional<std::string> computer = TypedComputer(typed, AsciiHostName);
    if (!computer) {
        if (!Trim(typed).empty()) ShowNotice(NotAComputerNotice(typed));
        SetWindowTextUtf8(Control(kCmbName), settings_.selectedComputer);
        return;
    }
    if (*computer == settings_.selectedComputer && !chosenAgain) return;
    ChooseComputer(*computer);
}

void TMainForm::ChooseComputer(const std::string& computer) {
    settings_.selectedComputer = computer;
    SaveSettings();
    SetWindowTextUtf8(Control(kCmbName), computer);
    if (IsDlgButtonChecked(window_, kLogonCheckBox1) == BST_CHECKED) Logon(computer);
    settings_.hasComputer = true;
    // The engine reloads the services of the selected computer after it
    // restarts one there.
    monitoring_->SettingsChanged(settings_);
    RepaintNow();
    LoadAllSvcBtnClick();
}

void TMainForm::Logon(const std::string& name) {
    const std::unique_ptr<KeyValueStore> store = context_.openStore();
    LoginDialogRunner dialog(window_);
    vigilor::Logon(name, *store, dialog, NTPrivilege1_);
}

}  // namespace vigilor
