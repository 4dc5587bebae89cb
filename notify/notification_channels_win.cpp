#include "notify/notification_channels_win.h"

#include "notify/app_launch_win.h"
#include "notify/screen_message_win.h"
#include "platform/wide_win.h"

namespace vigilor {

LocalTime CurrentLocalTime() {
    SYSTEMTIME t;
    GetLocalTime(&t);
    return {t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond, t.wDayOfWeek};
}

void WindowsNotificationChannels::WriteEvent(const AppEvent& entry) { vigilor::LogAppEvent(NTEventLog1, entry); }

bool WindowsNotificationChannels::SendScreenMessage(const std::string& message, const std::string& recipient) {
    return vigilor::SendScreenMessage(message, recipient);
}

bool WindowsNotificationChannels::FileExists(const std::string& path) {
    if (path.empty()) return false;
    const DWORD attributes = GetFileAttributesW(Wide(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

RunResult WindowsNotificationChannels::RunAndWait(const std::string& commandLine, int showMode) {
    return vigilor::RunAndWait(commandLine, showMode);
}

void WindowsNotificationChannels::ShellLaunch(const std::string& file, const std::string& parameters,
                                              const std::string& directory, int showMode) {
    vigilor::ShellLaunch(owner_, file, parameters, directory, showMode);
}

LocalTime WindowsNotificationChannels::Now() { return CurrentLocalTime(); }

}  // namespace vigilor
