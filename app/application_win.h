#pragma once
// The process: the platform check, the version text, the one-instance
// rule, the splash, the main window and the message loop.
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "app/main_form_win.h"

namespace vigilor {

int RunApplication(const std::vector<std::string>& arguments);

// Makes the main window and runs the message loop until it closes; created
// runs once the window exists, shown once it is on the screen. A window
// that cannot be made is reported and ends the run at once with 1.
int RunMainWindow(MainFormContext context, const std::function<void(HWND)>& created = {},
                  const std::function<void(HWND)>& shown = {});

// One message taken from the queue by the main loop: the window's keys
// first, then translation and dispatch. An error raised on the way is
// shown in the error box, and the loop goes on.
void HandleQueuedMessage(TMainForm& form, MSG& message);

}  // namespace vigilor
