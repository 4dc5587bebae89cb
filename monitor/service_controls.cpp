#include "monitor/service_controls.h"

namespace vigilor {

namespace {

// The system's codes, as winsvc.h numbers them.
constexpr std::uint32_t kStop = 1, kPause = 2, kContinue = 3, kInterrogate = 4, kShutdown = 5, kPreshutdown = 0xF;
constexpr std::uint32_t kAcceptStop = 0x1, kAcceptPauseContinue = 0x2, kAcceptShutdown = 0x4,
                        kAcceptPreshutdown = 0x100;

}  // namespace

ServiceCommand CommandOfControl(std::uint32_t control) {
    switch (control) {
        case kStop:
        case kShutdown:
        case kPreshutdown: return ServiceCommand::Stop;
        case kPause: return ServiceCommand::Pause;
        case kContinue: return ServiceCommand::Continue;
        case kInterrogate: return ServiceCommand::Interrogate;
        case kControlPassNow: return ServiceCommand::PassNow;
        case kControlReset: return ServiceCommand::Reset;
        case kControlReload: return ServiceCommand::Reload;
        default: return ServiceCommand::Unknown;
    }
}

std::uint32_t AcceptedControls() {
    // Preshutdown gives the service its own time before the system ends;
    // shutdown is for systems without it.
    return kAcceptStop | kAcceptPauseContinue | kAcceptShutdown | kAcceptPreshutdown;
}

std::vector<RecoveryAction> RecoveryActions() { return {{true, 60000}, {true, 60000}, {false, 0}}; }

}  // namespace vigilor
