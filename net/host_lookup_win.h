#pragma once
// One name look-up (name to its first IPv4 address) on a worker thread.
// The worker holds its own share of the request, so the asker may forget
// it at any moment (a time-out, a closed window) without harm.
#include <functional>
#include <memory>
#include <mutex>
#include <string>

#include "platform/socket_wait_win.h"

namespace vigilor {

struct HostLookupOutcome {
    int error = 0;  // 0 or the socket error code (11001 = host not found)
    std::string address;
};

class HostLookupRequest {
public:
    // notify runs on the worker thread once the outcome is in; it must only
    // capture what outlives the request (a window handle, a shared event).
    // Raises AppError "<name>: can't start DNS lookup, error #<code>" when
    // no worker can be started.
    HostLookupRequest(const std::string& name, std::function<void()> notify);

    bool Done() const;
    HostLookupOutcome Outcome() const;

private:
    struct State {
        mutable std::mutex mutex;
        bool done = false;
        HostLookupOutcome outcome;
    };
    std::shared_ptr<State> state_;
};

// Looks the name up and waits for it, dispatching messages, until the
// deadline or until stop says so; Done with the outcome (which may be an
// error of the look-up itself), TimedOut, Canceled, or Failed when the wait
// cannot be made.
SocketWait AwaitHostLookup(const std::string& name, ULONGLONG deadline, const std::function<bool()>& stop,
                           HostLookupOutcome& outcome);

}  // namespace vigilor
