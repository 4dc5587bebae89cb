#pragma once
// Texts the main window builds from its state.
#include <string>
#include <vector>

namespace vigilor {

// "Scanning interval - every minute." / "... every N minutes."
std::string IntervalHint(int minutes);

// "dd/mm/yyyy  hh:mm", two blanks between date and time.
std::string ClockText(int day, int month, int year, int hour, int minute);

// Panel 0: seven blanks, then the text.
std::string StatusPanelText(const std::string& text);

// " Vigilor v." + version text.
std::string MainCaption(const std::string& versionText);

// True when the first argument, upper-cased, is "/A".
bool AutoStartRequested(const std::vector<std::string>& arguments);

struct ShellFailure {
    std::string text;
    std::string caption;
};
// The message for a shell result of 32 or less.
ShellFailure WebSiteFailure(long long shellResult);

}  // namespace vigilor
