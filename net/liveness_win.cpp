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
// resolve within the ping window's time.
std::string ResolvedAddress(const std::string& target) {
    if (const auto dotted = ParseDottedIPv4(target)) return DottedIPv4(*dotted);
    // Shared with the look-up's worker, which may outlive this wait.
    auto done = std::make_shared<KernelHandle>(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    if (!*done) throw AppError("Cannot create an event, error #" + std::to_string(GetLastError()));
    const HostLookupRequest request(target, [done] { SetEvent(done->Get()); });
    if (WaitForSingleObject(done->Get(), TPingTstForm::kLookupTimeOutMs) != WAIT_OBJECT_0) return {};
    const HostLookupOutcome outcome = request.Outcome();
    return outcome.error == 0 ? outcome.address : std::string();
}

}  // namespace

LivenessCheck CheckMachineWithoutWindow(const std::string& name) {
    TICMP engine;
    const std::string address = ResolvedAddress(PingTargetOf(name));
    if (address.empty()) return {};
    engine.Address = address;
    return {true, engine.Ping() != 0, 1};
}

}  // namespace vigilor
