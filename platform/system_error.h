#pragma once
// Error texts built from the system's error codes: the decimal code, ": "
// and the system's message for it.
#include <string>

namespace vigilor {

// The calling thread's last error and the system message table.
class SystemErrorSource {
public:
    virtual ~SystemErrorSource() = default;
    virtual unsigned long LastError() = 0;
    // The system's text for a code, as the system gives it (line end
    // included, at most 1023 characters); empty when it has none.
    virtual std::string SystemMessage(unsigned long code) = 0;
};

// "<code>: <system message>"
std::string SystemErrorText(SystemErrorSource& system, unsigned long code);

// Raises AppError with SystemErrorText of the last error; a last error of
// 0 raises nothing and the operation goes on.
void RaiseLastError(SystemErrorSource& system);

}  // namespace vigilor
