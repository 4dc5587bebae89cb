#pragma once
// The message of an error raised by a network-management call.
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "platform/system_error.h"

namespace vigilor {

// The table text of a network-management code (2102-2690, and 6118, the
// browse list's usual answer), with its leading blank; nullopt for a code
// the table does not hold.
std::optional<std::string_view> NetworkMessageTableText(unsigned long code);
size_t NetworkMessageTableSize();

// "<code>: " + the system's message for codes below 2100, the table text
// from 2100 up, or "Unknown error" for a code from 2100 up that the table
// lacks.
std::string NetworkErrorText(SystemErrorSource& system, unsigned long code);

}  // namespace vigilor
