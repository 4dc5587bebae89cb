#pragma once
// The application's error box for errors that end an operation: caption
// the program's title, error icon.
#include <windows.h>

#include <exception>
#include <string>
#include <utility>

#include "platform/user_dialogs.h"

namespace vigilor {

void SetApplicationTitle(const std::string& title);
const std::string& ApplicationTitle();
// Where the error box goes; nullptr for the plain system message box.
void SetErrorDialogs(UserDialogs* dialogs);
void ReportError(HWND owner, const std::string& text);

// Runs work that Windows called the program for (a window or dialog
// procedure, the keys of a message taken from the queue). An error it
// raises ends that work only: it is shown in the error box and fallback is
// answered, since an exception cannot pass back through Windows.
template <typename Result, typename Work>
Result ReportingErrors(HWND owner, Result fallback, Work&& work) noexcept {
    try {
        return std::forward<Work>(work)();
    } catch (const std::exception& error) {
        ReportError(owner, error.what());
    } catch (...) {
        ReportError(owner, "Unknown error");
    }
    return fallback;
}

template <typename Work>
void ReportingErrors(HWND owner, Work&& work) noexcept {
    ReportingErrors(owner, 0, [&] {
        std::forward<Work>(work)();
        return 0;
    });
}

}  // namespace vigilor
