#include "platform/report_error_win.h"

#include "platform/wide_win.h"

namespace vigilor {

namespace {
std::string& Title() {
    static std::string title = "Vigilor";
    return title;
}
UserDialogs*& Dialogs() {
    static UserDialogs* dialogs = nullptr;
    return dialogs;
}
}  // namespace

void SetApplicationTitle(const std::string& title) { Title() = title; }
const std::string& ApplicationTitle() { return Title(); }
void SetErrorDialogs(UserDialogs* dialogs) { Dialogs() = dialogs; }

void ReportError(HWND owner, const std::string& text) {
    if (Dialogs()) {
        Dialogs()->Show(text, Title(), BoxIcon::Error, BoxButtons::Ok, true);
        return;
    }
    MessageBoxW(owner, Wide(text).c_str(), Wide(Title()).c_str(), MB_OK | MB_ICONERROR);
}

}  // namespace vigilor
