// The main window at the end of the Windows session and when an installer
// closes it (the Restart Manager sends the session's messages with
// ENDSESSION_CLOSEAPP, to replace the program file without a restart of the
// computer): what the window holds is stored and nobody is asked.
#include "app/main_form_win.h"

namespace vigilor {

namespace {

// At the end of the Windows session the process has about 5 s.
constexpr std::chrono::milliseconds kEndSessionBound{3000};

}  // namespace

void TMainForm::FormEndSession(LPARAM reason) {
    SaveSettings();
    // What a pass waits for is given up.
    if (engine_) engine_->End(kEndSessionBound);
    // At the session's end Windows ends the process when this returns; an
    // installer waits for the program to end by itself.
    if (reason & ENDSESSION_CLOSEAPP) DestroyWindow(window_);
}

}  // namespace vigilor
