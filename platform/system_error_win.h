#pragma once
// The system's last error and message table, for the portable logic.
#include "platform/system_error.h"

namespace vigilor {

class Win32SystemErrors : public SystemErrorSource {
public:
    unsigned long LastError() override;
    std::string SystemMessage(unsigned long code) override;
};

}  // namespace vigilor
