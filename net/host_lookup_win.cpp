#include "net/host_lookup_win.h"

#include <winsock2.h>
#include <ws2tcpip.h>

#include <system_error>
#include <thread>

#include "platform/app_error.h"
#include "platform/handles_win.h"
#include "platform/message_pump_win.h"
#include "platform/socket_win.h"

namespace vigilor {

namespace {

HostLookupOutcome Resolve(const std::string& name, LookupFamily family) {
    // The worker keeps the library open for itself: the asker may have
    // closed its own session by the time the answer comes.
    WinsockSession session(MAKEWORD(2, 2));
    if (!session.Ok()) return {WSANOTINITIALISED, {}};
    addrinfo hints{};
    hints.ai_family = family == LookupFamily::IPv4Only ? AF_INET : AF_UNSPEC;
    addrinfo* found = nullptr;
    const int error = getaddrinfo(name.c_str(), nullptr, &hints, &found);
    if (error != 0 || !found) return {error ? error : WSAHOST_NOT_FOUND, {}};
    const addrinfo* chosen = PreferredAddress(found);
    char text[INET6_ADDRSTRLEN] = {};
    if (chosen && chosen->ai_family == AF_INET)
        inet_ntop(AF_INET, &reinterpret_cast<const sockaddr_in*>(chosen->ai_addr)->sin_addr, text, sizeof text);
    else if (chosen)
        inet_ntop(AF_INET6, &reinterpret_cast<const sockaddr_in6*>(chosen->ai_addr)->sin6_addr, text, sizeof text);
    freeaddrinfo(found);
    if (!chosen) return {WSAHOST_NOT_FOUND, {}};
    return {0, text};
}

}  // namespace

const addrinfo* PreferredAddress(const addrinfo* found) {
    // The IPv4 address when there is one, as before IPv6 was looked up.
    const addrinfo* chosen = nullptr;
    for (const addrinfo* a = found; a; a = a->ai_next) {
        if (a->ai_family == AF_INET) return a;
        if (a->ai_family == AF_INET6 && !chosen) chosen = a;
    }
    return chosen;
}

HostLookupRequest::HostLookupRequest(const std::string& name, std::function<void()> notify, LookupFamily family)
    : state_(std::make_shared<State>()) {
    try {
        std::thread([state = state_, name, notify = std::move(notify), family] {
            HostLookupOutcome outcome = Resolve(name, family);
            {
                std::lock_guard lock(state->mutex);
                state->outcome = std::move(outcome);
                state->done = true;
            }
            if (notify) notify();
        }).detach();
    } catch (const std::system_error& e) {
        throw AppError(name + ": can't start DNS lookup, error #" + std::to_string(e.code().value()));
    }
}

bool HostLookupRequest::Done() const {
    std::lock_guard lock(state_->mutex);
    return state_->done;
}

HostLookupOutcome HostLookupRequest::Outcome() const {
    std::lock_guard lock(state_->mutex);
    return state_->outcome;
}

SocketWait AwaitHostLookup(const std::string& name, ULONGLONG deadline, const std::function<bool()>& stop,
                           HostLookupOutcome& outcome) {
    // The event is shared with the worker, which may outlive this wait.
    auto done = std::make_shared<KernelHandle>(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    if (!*done) return SocketWait::Failed;
    const HostLookupRequest request(name, [done] { SetEvent(done->Get()); });
    const ULONGLONG now = GetTickCount64();
    if (now >= deadline) return SocketWait::TimedOut;
    switch (WaitPumpingMessages(done->Get(), stop, static_cast<DWORD>(deadline - now))) {
        case PumpWait::Signaled: break;
        case PumpWait::TimedOut: return SocketWait::TimedOut;
        case PumpWait::Quit:
        case PumpWait::Canceled: return SocketWait::Canceled;
    }
    if (stop && stop()) return SocketWait::Canceled;
    outcome = request.Outcome();
    return SocketWait::Done;
}

}  // namespace vigilor
