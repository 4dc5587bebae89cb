#pragma once
// Bounded waits that keep the thread's windows alive: messages are
// dispatched while waiting, so the clock, the light and clicks go on. A
// thread may name an event that cancels its waits: its owner sets it to
// give up whatever the thread waits for.
#include <windows.h>

#include <functional>

namespace vigilor {

enum class PumpWait { Signaled, TimedOut, Quit, Canceled };

// For as long as it lives, the calling thread's waits end (Canceled) while
// the event is set.
class ThreadWaitsCanceledBy {
public:
    explicit ThreadWaitsCanceledBy(HANDLE event);
    ~ThreadWaitsCanceledBy();
    ThreadWaitsCanceledBy(const ThreadWaitsCanceledBy&) = delete;
    ThreadWaitsCanceledBy& operator=(const ThreadWaitsCanceledBy&) = delete;

private:
    HANDLE previous_;
};

// Waits for the handle to be signalled (or, with a null handle, for done()
// to turn true) for at most timeoutMs. A WM_QUIT ends the wait and is put
// back for the main loop.
PumpWait WaitPumpingMessages(HANDLE handle, const std::function<bool()>& done, DWORD timeoutMs);

// Lets timeoutMs pass with the messages handled; false when a WM_QUIT came
// (it is put back) or the thread's waits were canceled, so that the caller
// can give its wait up.
bool PauseHandlingMessages(DWORD timeoutMs);

}  // namespace vigilor
