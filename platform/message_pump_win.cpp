#include "platform/message_pump_win.h"

namespace vigilor {

PumpWait WaitPumpingMessages(HANDLE handle, const std::function<bool()>& done, DWORD timeoutMs) {
    const ULONGLONG deadline = GetTickCount64() + timeoutMs;
    const DWORD count = handle ? 1 : 0;
    for (;;) {
        if (done && done()) return PumpWait::Signaled;
        const ULONGLONG now = GetTickCount64();
        if (now >= deadline) return PumpWait::TimedOut;
        const DWORD result = MsgWaitForMultipleObjectsEx(count, handle ? &handle : nullptr,
                                                         static_cast<DWORD>(deadline - now), QS_ALLINPUT,
                                                         MWMO_INPUTAVAILABLE);
        if (handle && result == WAIT_OBJECT_0) return PumpWait::Signaled;
        if (result == WAIT_OBJECT_0 + count) {
            MSG msg;
            while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
                if (msg.message == WM_QUIT) {
                    PostQuitMessage(static_cast<int>(msg.wParam));
                    return PumpWait::Quit;
                }
                TranslateMessage(&msg);
                DispatchMessageW(&msg);
            }
        } else if (result == WAIT_FAILED) {
            return PumpWait::TimedOut;
        }
    }
}

bool PauseHandlingMessages(DWORD timeoutMs) { return WaitPumpingMessages(nullptr, {}, timeoutMs) != PumpWait::Quit; }

}  // namespace vigilor
