#pragma once
// What the Windows service does for each control code it is sent.
#include <cstdint>
#include <vector>

namespace vigilor {

// User-defined codes (128 and up; Wine refuses the system's parameter
// change with 1052, so the reload has one of its own).
constexpr std::uint32_t kControlPassNow = 128;
constexpr std::uint32_t kControlReset = 129;
constexpr std::uint32_t kControlReload = 130;

enum class ServiceCommand {
    Unknown,      // not ours: refused
    Interrogate,  // tell the state again
    Stop,         // stop, shutdown and preshutdown alike
    Pause,        // monitoring off
    Continue,     // monitoring on
    PassNow,      // one pass now, unattended
    Reset,        // alerted list, row memory, failure reports
    Reload,       // settings and list again from the machine key, between passes
};

ServiceCommand CommandOfControl(std::uint32_t control);

// The controls the running service accepts (SERVICE_ACCEPT_*).
std::uint32_t AcceptedControls();

// What the service manager does when the service fails, in turn: restart
// after a minute on the first two failures, then nothing; counted afresh
// after a day without failure.
struct RecoveryAction {
    bool restart = false;
    std::uint32_t delayMs = 0;
};
constexpr std::uint32_t kRecoveryResetSeconds = 24 * 60 * 60;
std::vector<RecoveryAction> RecoveryActions();

}  // namespace vigilor
