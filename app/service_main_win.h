#pragma once
// "vigilor.exe /service": the monitoring engine as the Windows service
// "Vigilor", with no window at all.
#include <string>
#include <vector>

namespace vigilor {

constexpr const char* kServiceName = "Vigilor";
constexpr const char* kServiceDisplayName = "Vigilor Service Monitor";

bool ServiceRequested(const std::vector<std::string>& arguments);

// Runs the service until the service manager stops it; started by hand,
// says in a box how the service is installed and ends.
int RunService(const std::string& versionText);

}  // namespace vigilor
