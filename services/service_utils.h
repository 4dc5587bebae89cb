#pragma once
// Stand-alone service queries for the check cycle. Every call opens and
// closes its own handles, and none raises: failures answer -1, false or
// empty text.
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "services/service_platform.h"

namespace vigilor {

constexpr std::uint32_t kManagerConnect = 0x0001;
constexpr std::uint32_t kServiceQueryStatus = 0x0004;
constexpr std::uint32_t kServiceQueryStatusAndStart = 0x0014;
constexpr std::uint32_t kKeyNameChars = 255;

// The machine argument of OpenManager: none (this computer) for a blank name.
std::optional<std::string> ManagerMachine(const std::string& machine);

// The platform state code (1..7) of the service, or -1 when the manager or
// the service cannot be opened or the status cannot be read.
int ServiceCurrentState(ServicePlatform& platform, const std::string& machine, const std::string& keyName);
bool ServiceIsRunning(ServicePlatform& platform, const std::string& machine, const std::string& keyName);
bool ServiceIsStopped(ServicePlatform& platform, const std::string& machine, const std::string& keyName);

// How long a start is waited for.
struct StartWaitLimits {
    // Each poll waits the service's wait hint, held within these bounds.
    std::uint32_t shortestPollMs = 100;
    std::uint32_t longestPollMs = 10000;
    // Waiting ends after this long, counted from the start request.
    std::uint64_t giveUpAfterMs = 120000;
};

// Starts the service and waits until it runs: true exactly when it was
// seen running after this call's start request. False when the manager
// refuses the start (already running, disabled, missing), when the service
// falls back to stopped, when its check point goes down, when a status
// query fails, and when the time is up.
bool ServiceStartAndWait(ServicePlatform& platform, const std::string& machine, const std::string& keyName,
                         const StartWaitLimits& limits = {});

// How the time between two polls of a start is passed: false gives the
// wait up (the program is ending). On the user-interface thread it handles
// the window's messages meanwhile, so that the window stays alive.
using PollPause = std::function<bool(std::uint32_t milliseconds)>;

// The wait of ServiceStartAndWait on a service opened with
// kServiceQueryStatusAndStart; without a pause, the platform's Wait.
bool StartAndWaitOn(ServicePlatform& platform, ScHandle service, const StartWaitLimits& limits,
                    const PollPause& pause = {});

// The key name for a display name; empty when the manager cannot be opened
// or no service has that display name (or its key name exceeds 255
// characters).
std::string ServiceKeyName(ServicePlatform& platform, const std::string& machine, const std::string& displayName);

}  // namespace vigilor
