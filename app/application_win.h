#pragma once
// The process: the platform check, the version text, the one-instance
// rule, the splash, the main window and the message loop.
#include <string>
#include <vector>

namespace vigilor {

int RunApplication(const std::vector<std::string>& arguments);

}  // namespace vigilor
