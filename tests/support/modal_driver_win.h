#pragma once
// Drives a modal dialog or message box from inside its own modal loop:
// while `open` runs (it returns when the dialog has closed), a thread
// timer looks for a dialog window of this thread and hands it to `act`
// once. A dialog that is still open at the deadline is cancelled.
#include <windows.h>

#include <functional>
#include <string>

namespace vigilor::test {

struct ModalOutcome {
    bool found = false;     // a dialog appeared and was handed to act
    bool timedOut = false;  // it had to be cancelled at the deadline
};

ModalOutcome DriveModal(const std::function<void()>& open, const std::function<void(HWND)>& act,
                        DWORD timeoutMs = 10000);

// Handy actions.
void ClickButton(HWND dialog, int id);
std::string DialogItemText(HWND dialog, int id);

}  // namespace vigilor::test
