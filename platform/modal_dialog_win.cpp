#include "platform/modal_dialog_win.h"

#include <vector>

#include "platform/control_table_win.h"
#include "platform/handles_win.h"
#include "platform/report_error_win.h"
#include "platform/wide_win.h"

namespace vigilor {

namespace {

constexpr DWORD kDialogStyle = DS_MODALFRAME | WS_POPUP | WS_CAPTION | WS_SYSMENU;

// An in-memory template without controls; they are made from the table.
std::vector<WORD> EmptyTemplate() {
    std::vector<WORD> words(sizeof(DLGTEMPLATE) / sizeof(WORD) + 3, 0);
    auto* header = reinterpret_cast<DLGTEMPLATE*>(words.data());
    header->style = kDialogStyle;
    header->cx = 100;
    header->cy = 100;
    return words;  // menu, class and title: empty
}

}  // namespace

INT_PTR ModalDialog::Run(HWND owner) {
    GdiObject font(CreateTahoma(11));
    font_ = static_cast<HFONT>(font.Get());
    const std::vector<WORD> dialogTemplate = EmptyTemplate();
    const INT_PTR result =
        DialogBoxIndirectParamW(GetModuleHandleW(nullptr), reinterpret_cast<const DLGTEMPLATE*>(dialogTemplate.data()),
                                owner, Procedure, reinterpret_cast<LPARAM>(this));
    font_ = nullptr;
    return result;
}

bool ModalDialog::OnCommand(HWND dialog, int id, int) {
    if (id == IDOK || id == IDCANCEL) {
        EndDialog(dialog, id);
        return true;
    }
    return false;
}

INT_PTR ModalDialog::OnMessage(HWND, UINT, WPARAM, LPARAM) { return 0; }

INT_PTR CALLBACK ModalDialog::Procedure(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    return ReportingErrors(dialog, INT_PTR{TRUE}, [&]() -> INT_PTR {
        auto* self = reinterpret_cast<ModalDialog*>(GetWindowLongPtrW(dialog, DWLP_USER));
        if (message == WM_INITDIALOG) {
            self = reinterpret_cast<ModalDialog*>(lParam);
            SetWindowLongPtrW(dialog, DWLP_USER, lParam);
            const Frame frame = self->DialogFrame();
            SetWindowTextUtf8(dialog, frame.caption);
            const SIZE outer = OuterSizeForClient(kDialogStyle, 0, false, frame.clientWidth, frame.clientHeight);
            SetWindowPos(dialog, nullptr, 0, 0, outer.cx, outer.cy, SWP_NOMOVE | SWP_NOZORDER);
            CenterOnScreen(dialog);
            self->OnInit(dialog);
            return TRUE;
        }
        if (!self) return FALSE;
        if (message == WM_COMMAND) return self->OnCommand(dialog, LOWORD(wParam), HIWORD(wParam));
        return self->OnMessage(dialog, message, wParam, lParam);
    });
}

}  // namespace vigilor
