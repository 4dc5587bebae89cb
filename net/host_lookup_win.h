#pragma once
// One name look-up (name to its first IPv4 address, or for the liveness
// check to its IPv6 one when it has no IPv4 address) on a worker thread.
// The worker holds its own share of the request, so the asker may forget
// it at any moment (a time-out, a closed window) without harm.
#include <functional>
#include <memory>
#include <mutex>
#include <string>

#include <winsock2.h>
#include <ws2tcpip.h>

#include "platform/socket_wait_win.h"

namespace vigilor {

struct HostLookupOutcome {
    int error = 0;  // 0 or the socket error code (11001 = host not found)
    std::string address;  // dotted, or the IPv6 text
};

// IPv4Only: for the mail and update clients, which connect over IPv4.
enum class LookupFamily { IPv4Only, IPv4ElseIPv6 };

class HostLookupRequest {
public:
    // notify runs on the worker thread once the outcome is in; it must only
    // capture what outlives the request (a window handle, a shared event).
    // Raises AppError "<name>: can't start DNS lookup, error #<code>" when
    // no worker can be started.
    HostLookupRequest(const std::string& name, std::function<void()> notify,
                      LookupFamily family = LookupFamily::IPv4Only);

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

// The first IPv4 address of a look-up's answer, else its first IPv6 one.
const addrinfo* PreferredAddress(const addrinfo* found);

// Looks the name up and waits for it, dispatching messages, until the
// deadline or until stop says so; Done with the outcome (which may be an
// error of the look-up itself), TimedOut, Canceled, or Failed when the wait
// cannot be made.
SocketWait AwaitHostLookup(const std::string& name, ULONGLONG deadline, const std::function<bool()>& stop,
                           HostLookupOutcome& outcome);

}  // namespace vigilor
