#include "services/service_utils.h"

#include <algorithm>
#include <optional>

#include "platform/text.h"
#include "services/scoped_sc_handle.h"
#include "services/service_types.h"

namespace vigilor {

namespace {

constexpr std::uint32_t kRunning = kStateRunning;
constexpr std::uint32_t kStopped = kStateStopped;

ScHandle OpenManager(ServicePlatform& platform, const std::string& machine) {
    return platform.OpenManager(ManagerMachine(machine), std::nullopt, kManagerConnect);
}

}  // namespace

std::optional<std::string> ManagerMachine(const std::string& machine) {
    if (Trim(machine).empty()) return std::nullopt;
    return machine;
}

int ServiceCurrentState(ServicePlatform& platform, const std::string& machine, const std::string& keyName) {
    const ScopedScHandle manager(platform, OpenManager(platform, machine));
    if (!manager) return -1;
    const ScopedScHandle service(platform, platform.OpenServiceHandle(manager.Get(), keyName, kServiceQueryStatus));
    if (!service) return -1;
    ServiceStatusRecord status;
    if (!platform.QueryStatus(service.Get(), status)) return -1;
    return static_cast<int>(status.currentState);
}

bool ServiceIsRunning(ServicePlatform& platform, const std::string& machine, const std::string& keyName) {
    return ServiceCurrentState(platform, machine, keyName) == kStateRunning;
}

bool ServiceIsStopped(ServicePlatform& platform, const std::string& machine, const std::string& keyName) {
    return ServiceCurrentState(platform, machine, keyName) == kStateStopped;
}

bool ServiceStartAndWait(ServicePlatform& platform, const std::string& machine, const std::string& keyName,
                         const StartWaitLimits& limits) {
    const ScopedScHandle manager(platform, OpenManager(platform, machine));
    if (!manager) return false;
    const ScopedScHandle service(platform, platform.OpenServiceHandle(manager.Get(), keyName, kServiceQueryStatusAndStart));
    if (!service) return false;
    return StartAndWaitOn(platform, service.Get(), limits);
}

bool StartAndWaitOn(ServicePlatform& platform, ScHandle service, const StartWaitLimits& limits,
                    const PollPause& pause) {
    if (!platform.Start(service)) return false;
    const std::uint64_t started = platform.TickCount();
    ServiceStatusRecord status;
    if (!platform.QueryStatus(service, status)) return false;
    // A check point that goes down means the service gave up its start;
    // a service back at stopped will not run either.
    while (status.currentState != kRunning && status.currentState != kStopped) {
        const std::uint64_t elapsed = platform.TickCount() - started;
        if (elapsed >= limits.giveUpAfterMs) break;
        const std::uint32_t checkPoint = status.checkPoint;
        const std::uint64_t poll = std::clamp(status.waitHint, limits.shortestPollMs, limits.longestPollMs);
        const auto interval = static_cast<std::uint32_t>(std::min(poll, limits.giveUpAfterMs - elapsed));
        if (!pause)
            platform.Wait(interval);
        else if (!pause(interval))
            break;
        if (!platform.QueryStatus(service, status)) return false;
        if (status.checkPoint < checkPoint) break;
    }
    return status.currentState == kRunning;
}

std::string ServiceKeyName(ServicePlatform& platform, const std::string& machine, const std::string& displayName) {
    const ScopedScHandle manager(platform, OpenManager(platform, machine));
    if (!manager) return {};
    std::string keyName;
    if (!platform.KeyNameOf(manager.Get(), displayName, kKeyNameChars, keyName)) return {};
    return keyName;
}

}  // namespace vigilor
