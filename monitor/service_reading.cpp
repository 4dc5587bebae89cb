#include "monitor/service_reading.h"

#include "platform/text.h"

namespace vigilor {

namespace {

// The manager answered that it has no such service.
constexpr unsigned long kServiceDoesNotExist = 1060;

ServiceReading Failed(SystemErrorSource& errors, unsigned long error) {
    if (error == kServiceDoesNotExist) return {ServiceReading::Kind::NotInstalled, 0, ""};
    return {ServiceReading::Kind::Unreadable, 0, Trim(SystemErrorText(errors, error))};
}

}  // namespace

ServiceReading ReadServiceRow(ServiceSession& session, SystemErrorSource& errors, const std::string& machine,
                              const std::string& displayName) {
    const std::string keyName = session.KeyName(machine, displayName);
    if (keyName.empty()) return Failed(errors, session.LastFailure());
    const int state = session.CurrentState(machine, keyName);
    if (state < 0) return Failed(errors, session.LastFailure());
    return {ServiceReading::Kind::State, state, ""};
}

}  // namespace vigilor
