#include "services/service_session.h"

#include <utility>

#include "services/service_types.h"

namespace vigilor {

namespace {

constexpr unsigned long kInvalidHandle = 6;
constexpr unsigned long kInvalidBinding = 1702;
constexpr unsigned long kServerUnavailable = 1722;
constexpr unsigned long kCallFailed = 1726;
constexpr unsigned long kCallFailedNotExecuted = 1727;

}  // namespace

ServiceSession::ServiceSession(ServicePlatform& platform, StartWaitLimits limits, PollPause pause)
    : platform_(platform), limits_(limits), pause_(std::move(pause)) {}

ServiceSession::~ServiceSession() {
    service_.handle.Reset();
    managers_.clear();
}

bool ServiceSession::ConnectionDropped(unsigned long error) {
    switch (error) {
        case kInvalidHandle:
        case kInvalidBinding:
        case kServerUnavailable:
        case kCallFailed:
        case kCallFailedNotExecuted:
            return true;
        default:
            return false;
    }
}

ScHandle ServiceSession::Manager(const std::string& machine, bool& fresh) {
    fresh = false;
    auto kept = managers_.find(machine);
    if (kept != managers_.end()) return kept->second.Get();
    const ScHandle opened = platform_.OpenManager(ManagerMachine(machine), std::nullopt, kManagerConnect);
    if (!opened) return nullptr;
    fresh = true;
    return managers_.emplace(machine, ScopedScHandle(platform_, opened)).first->second.Get();
}

void ServiceSession::Forget(const std::string& machine) {
    if (service_.machine == machine) service_.handle.Reset();
    managers_.erase(machine);
}

template <typename Call>
auto ServiceSession::OnManager(const std::string& machine, Call call) -> decltype(call(ScHandle{})) {
    bool fresh = false;
    ScHandle manager = Manager(machine, fresh);
    if (!manager) return {};
    auto result = call(manager);
    if (result || fresh || !ConnectionDropped(platform_.LastError())) return result;
    Forget(machine);
    manager = Manager(machine, fresh);
    if (!manager) return {};
    return call(manager);
}

std::string ServiceSession::KeyName(const std::string& machine, const std::string& displayName) {
    std::string keyName;
    const bool found = OnManager(machine, [&](ScHandle manager) {
        return platform_.KeyNameOf(manager, displayName, kKeyNameChars, keyName);
    });
    if (found) return keyName;
    lastFailure_ = platform_.LastError();
    return {};
}

int ServiceSession::StateFailed() {
    lastFailure_ = platform_.LastError();
    return -1;
}

int ServiceSession::CurrentState(const std::string& machine, const std::string& keyName) {
    const auto open = [&] {
        return OnManager(machine, [&](ScHandle manager) {
            return platform_.OpenServiceHandle(manager, keyName, kServiceQueryStatus);
        });
    };
    bool reused = service_.handle && service_.machine == machine && service_.keyName == keyName;
    if (!reused) {
        service_.handle.Reset();
        const ScHandle opened = open();
        if (!opened) return StateFailed();
        service_ = {machine, keyName, ScopedScHandle(platform_, opened)};
    }
    ServiceStatusRecord status;
    if (platform_.QueryStatus(service_.handle.Get(), status)) return static_cast<int>(status.currentState);
    if (!reused || !ConnectionDropped(platform_.LastError())) return StateFailed();
    Forget(machine);
    const ScHandle reopened = open();
    if (!reopened) return StateFailed();
    service_ = {machine, keyName, ScopedScHandle(platform_, reopened)};
    if (!platform_.QueryStatus(service_.handle.Get(), status)) return StateFailed();
    return static_cast<int>(status.currentState);
}

bool ServiceSession::IsRunning(const std::string& machine, const std::string& keyName) {
    return CurrentState(machine, keyName) == kStateRunning;
}

bool ServiceSession::IsStopped(const std::string& machine, const std::string& keyName) {
    return CurrentState(machine, keyName) == kStateStopped;
}

void ServiceSession::CloseKeptService() { service_.handle.Reset(); }

bool ServiceSession::StartAndWait(const std::string& machine, const std::string& keyName) {
    // A handle of its own: the right to start is asked for only here, so a
    // user who may only query still gets every state.
    const ScopedScHandle service(platform_, OnManager(machine, [&](ScHandle manager) {
        return platform_.OpenServiceHandle(manager, keyName, kServiceQueryStatusAndStart);
    }));
    if (!service) return false;
    return StartAndWaitOn(platform_, service.Get(), limits_, pause_);
}

}  // namespace vigilor
