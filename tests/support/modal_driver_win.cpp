#include "tests/support/modal_driver_win.h"

#include <string>

#include "platform/control_table_win.h"

namespace vigilor::test {

namespace {

struct DriveState {
    const std::function<void(HWND)>* act = nullptr;
    DWORD deadline = 0;
    HWND handled = nullptr;
    ModalOutcome outcome;
};

thread_local DriveState* current = nullptr;

BOOL CALLBACK FindDialog(HWND window, LPARAM found) {
    wchar_t name[16];
    if (IsWindowVisible(window) && GetClassNameW(window, name, 16) && std::wstring(name) == L"#32770") {
        *reinterpret_cast<HWND*>(found) = window;
        return FALSE;
    }
    return TRUE;
}

void CALLBACK Poll(HWND, UINT, UINT_PTR, DWORD) {
    DriveState* state = current;
    if (!state) return;
    HWND dialog = nullptr;
    EnumThreadWindows(GetCurrentThreadId(), FindDialog, reinterpret_cast<LPARAM>(&dialog));
    if (dialog && !state->handled) {
        state->handled = dialog;
        state->outcome.found = true;
        (*state->act)(dialog);
        return;
    }
    if (dialog && GetTickCount() > state->deadline) {
        state->outcome.timedOut = true;
        PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
        EndDialog(dialog, IDCANCEL);
    }
}

}  // namespace

ModalOutcome DriveModal(const std::function<void()>& open, const std::function<void(HWND)>& act, DWORD timeoutMs) {
    DriveState state;
    state.act = &act;
    state.deadline = GetTickCount() + timeoutMs;
    DriveState* outer = current;
    current = &state;
    const UINT_PTR timer = SetTimer(nullptr, 0, 50, Poll);
    open();
    KillTimer(nullptr, timer);
    current = outer;
    return state.outcome;
}

void ClickButton(HWND dialog, int id) { PostMessageW(GetDlgItem(dialog, id), BM_CLICK, 0, 0); }

std::string DialogItemText(HWND dialog, int id) { return vigilor::WindowText(GetDlgItem(dialog, id)); }

}  // namespace vigilor::test
