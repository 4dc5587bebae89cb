#pragma once
// The name the liveness check looks up for a monitored row's Server text.
#include <string>

namespace vigilor {

// The text without its first two characters (whatever they are, normally
// the two backslashes), in upper case.
std::string PingTargetOf(const std::string& server);

}  // namespace vigilor
