#include "app/instance_guard_win.h"

#include "platform/text.h"
#include "platform/wide_win.h"

namespace vigilor {

std::string InstanceGuard::MutexName(const std::string& programFileName) {
    // Backslashes would name a kernel namespace; the file name has none.
    return "Vigilor." + UpperAscii(programFileName);
}

InstanceGuard::InstanceGuard(const std::string& programFileName) {
    mutex_.Reset(CreateMutexW(nullptr, FALSE, Wide(MutexName(programFileName)).c_str()));
    another_ = GetLastError() == ERROR_ALREADY_EXISTS;
}

void InstanceGuard::BringRunningInstanceForward() {
    const HWND running = FindWindowW(L"Vigilor.TMainForm", nullptr);
    if (!running) return;
    if (IsIconic(running)) ShowWindow(running, SW_RESTORE);
    SetForegroundWindow(running);
}

}  // namespace vigilor
