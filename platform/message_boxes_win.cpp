#include "platform/message_boxes_win.h"

#include "platform/wide_win.h"

namespace vigilor {

BoxAnswer MessageBoxDialogs::Show(const std::string& text, const std::string& caption, BoxIcon icon,
                                  BoxButtons buttons, bool owned) {
    UINT style = buttons == BoxButtons::YesNo ? MB_YESNO : buttons == BoxButtons::OkCancel ? MB_OKCANCEL : MB_OK;
    if (icon == BoxIcon::Error) style |= MB_ICONERROR;
    if (icon == BoxIcon::Question) style |= MB_ICONQUESTION;
    if (icon == BoxIcon::Information) style |= MB_ICONINFORMATION;
    // A box without owner must still stay in front of the program's window.
    if (!owned) style |= MB_TASKMODAL | MB_SETFOREGROUND;
    const int answer = MessageBoxW(owned ? owner_ : nullptr, Wide(text).c_str(), Wide(caption).c_str(), style);
    if (answer == IDYES) return BoxAnswer::Yes;
    if (answer == IDNO) return BoxAnswer::No;
    if (answer == IDCANCEL) return BoxAnswer::Cancel;
    return BoxAnswer::Ok;
}

}  // namespace vigilor
