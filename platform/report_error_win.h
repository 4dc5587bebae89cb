#pragma once
// The application's error box for errors that end an operation: caption
// the program's title, error icon.
#include <windows.h>

#include <string>

#include "platform/user_dialogs.h"

namespace vigilor {

void SetApplicationTitle(const std::string& title);
const std::string& ApplicationTitle();
// Where the error box goes; nullptr for the plain system message box.
void SetErrorDialogs(UserDialogs* dialogs);
void ReportError(HWND owner, const std::string& text);

}  // namespace vigilor
