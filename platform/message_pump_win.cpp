#include "platform/message_pump_win.h"

namespace vigilor {

namespace {

thread_local HANDLE t_cancelEvent = nullptr;

}  // namespace

ThreadWaitsCanceledBy::ThreadWaitsCanceledBy(HANDLE event) : previous_(t_cancelEvent) { t_cancelEvent = event; }

ThreadWaitsCanceledBy::~ThreadWaitsCanceledBy() { t_cancelEvent = previous_; }

PumpWait WaitPumpingMessages(HANDLE handle, const std::function<bool()>& done, DWORD timeoutMs) {
    const ULONGLONG deadline = timeoutMs == INFINITE ? ~0ULL : GetTickCount64() + timeoutMs;
    HANDLE handles[2];
    DWORD count = 0;
    if (handle) handles[count++] = handle;
    const DWORD cancelAt = count;
    if (t_cancelEvent) handles[count++] = t_cancelEvent;
    for (;;) {
        if (done && done()) return PumpWait::Signaled;
        const ULONGLONG now = GetTickCount64();
        if (now >= deadline) return PumpWait::TimedOut;
        const DWORD wait = deadline == ~0ULL ? INFINITE : static_cast<DWORD>(deadline - now);
        const DWORD result =
            MsgWaitForMultipleObjectsEx(count, count ? handles : nullptr, wait, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
        if (handle && result == WAIT_OBJECT_0) return PumpWait::Signaled;
        if (t_cancelEvent && result == WAIT_OBJECT_0 + cancelAt) return PumpWait::Canceled;
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
        } else if (result == WAIT_FAILED || result == WAIT_TIMEOUT) {
            return PumpWait::TimedOut;
        }
    }
}

bool PauseHandlingMessages(DWORD timeoutMs) {
    const PumpWait wait = WaitPumpingMessages(nullptr, {}, timeoutMs);
    return wait != PumpWait::Quit && wait != PumpWait::Canceled;
}

}  // namespace vigilor
