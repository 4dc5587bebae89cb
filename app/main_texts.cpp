#include "app/main_texts.h"

#include <cstdio>

#include "platform/text.h"

namespace vigilor {

std::string IntervalHint(int minutes) {
    if (minutes == 1) return "Scanning interval - every minute.";
    return "Scanning interval - every " + std::to_string(minutes) + " minutes.";
}

std::string ClockText(int day, int month, int year, int hour, int minute) {
    char text[32];
    std::snprintf(text, sizeof text, "%02d/%02d/%04d  %02d:%02d", day, month, year, hour, minute);
    return text;
}

std::string StatusPanelText(const std::string& text) { return "       " + text; }

std::string MainCaption(const std::string& versionText) { return " Vigilor v." + versionText; }

bool AutoStartRequested(const std::vector<std::string>& arguments) {
    return !arguments.empty() && UpperAscii(arguments.front()) == "/A";
}

ShellFailure WebSiteFailure(long long shellResult) {
    switch (shellResult) {
        case 0: return {"Error: Out of Memory", "Error ExploreWeb"};
        case 2: return {"Error: File not found.", "Error in ExploreWeb"};
        case 3: return {"Error: Directory not found.", "Error in ExploreWeb"};
        case 11: return {"Error: Wrong format in EXE.", "Error in ExploreWeb"};
        default: return {"Error N\xC2\xB0: " + std::to_string(shellResult) + " in ShellExecute", "Error in ExploreWeb"};
    }
}

}  // namespace vigilor
