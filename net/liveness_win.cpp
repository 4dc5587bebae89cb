#include "net/liveness_win.h"

#include <memory>

#include "net/host_lookup_win.h"
#include "net/icmp_engine_win.h"
#include "net/ipv4_address.h"
#include "net/ping_target.h"
#include "platform/app_error.h"
#include "platform/handles_win.h"

namespace vigilor {

namespace {

// The dotted address the name resolves to, or empty when it does not
// resolve within the ping window's time or a stop is requested first.
std::string ResolvedAddress(const std::string& target, const std::stop_token& stop) {
    if (const auto dotted = ParseDottedIPv4(target)) return DottedIPv4(*dotted);
    // Shared with the look-up's worker, which may outlive this wait.
    auto done = std::make_shared<KernelHandle>(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    if (!*done) throw AppError("Cannot create an event, error #" + std::to_string(GetLastError()));
    const KernelHandle stopped(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    if (!stopped) throw AppError("Cannot create an event, error #" + std::to_string(GetLastError()));
    const std::stop_callback onStop(stop, [&stopped] { SetEvent(stopped.Get()); });
    const HostLookupRequest request(target, [done] { SetEvent(done->Get()); }, LookupFamily::IPv4ElseIPv6);
    const HANDLE ends[] = {done->Get(), stopped.Get()};
    if (WaitForMultipleObjects(2, ends, FALSE, TPingTstForm::kLookupTimeOutMs) != WAIT_OBJECT_0) return {};
    const HostLookupOutcome outcome = request.Outcome();
    return outcome.error == 0 ? outcome.address : std::string();
}

}  // namespace

LivenessCheck CheckMachineWithoutWindow(const std::string& name, std::stop_token stop) {
    TICMP engine;
    const std::string address = ResolvedAddress(PingTargetOf(name), stop);
    if (address.empty()) return {};
    engine.Address = address;
    return {true, engine.Ping() != 0, 1};
}

}  // namespace vigilor
