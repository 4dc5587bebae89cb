#pragma once
// The notification channels of the running program: the event log, screen
// messages, program launch and the clock.
#include <windows.h>

#include "notify/alert_host.h"
#include "notify/event_log_win.h"

namespace vigilor {

class WindowsNotificationChannels : public NotificationChannels {
public:
    // owner: the main window, parent of what the shell opens.
    explicit WindowsNotificationChannels(HWND owner) : owner_(owner) {}

    void WriteEvent(const AppEvent& entry) override;
    bool SendScreenMessage(const std::string& message, const std::string& recipient) override;
    bool FileExists(const std::string& path) override;
    RunResult RunAndWait(const std::string& commandLine, int showMode) override;
    void ShellLaunch(const std::string& file, const std::string& parameters, const std::string& directory,
                     int showMode) override;
    LocalTime Now() override;

    TNTEventLog& EventLog() { return NTEventLog1; }

private:
    HWND owner_;
    TNTEventLog NTEventLog1;
};

LocalTime CurrentLocalTime();

}  // namespace vigilor
