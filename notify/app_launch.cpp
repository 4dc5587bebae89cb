#include "notify/app_launch.h"

namespace vigilor {

std::string QuotedCommandLine(const std::string& commandLine) {
    const bool quoted = !commandLine.empty() && commandLine.front() == '"';
    if (quoted || commandLine.find_first_of(" \t") == std::string::npos) return commandLine;
    return "\"" + commandLine + "\"";
}

std::string LaunchFailureLine(const std::string& program, const std::string& why) {
    return "WARNING --> Cannot launch \"" + program + "\": " + why;
}

}  // namespace vigilor
