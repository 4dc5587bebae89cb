#pragma once
// Why a monitored row has neither a running nor a stopped state: its
// service is not installed, its state cannot be read (with the system's
// reason), or it is in another state.
#include <string>

#include "platform/system_error.h"
#include "services/service_session.h"

namespace vigilor {

struct ServiceReading {
    enum class Kind { State, NotInstalled, Unreadable };
    Kind kind = Kind::State;
    int state = 0;          // Kind::State: the state code
    std::string errorText;  // Kind::Unreadable: "<code>: <system text>"
};

// Looks the display name up on the machine's manager and reads the state.
ServiceReading ReadServiceRow(ServiceSession& session, SystemErrorSource& errors, const std::string& machine,
                              const std::string& displayName);

}  // namespace vigilor
