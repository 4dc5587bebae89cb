#include "platform/system_error.h"

#include "platform/app_error.h"

namespace vigilor {

std::string SystemErrorText(SystemErrorSource& system, unsigned long code) {
    return std::to_string(code) + ": " + system.SystemMessage(code);
}

void RaiseLastError(SystemErrorSource& system) {
    const unsigned long code = system.LastError();
    if (code != 0) throw AppError(SystemErrorText(system, code));
}

}  // namespace vigilor
