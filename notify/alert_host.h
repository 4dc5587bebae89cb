#pragma once
// What the e-mail alerts need from the main window (TMainForm implements
// AlertHost) and from the system (NotificationChannels; the Windows one is
// notify/notification_channels_win.h).
#include <memory>
#include <string>

#include "config/key_value_store.h"
#include "config/settings.h"
#include "notify/alerted_list.h"
#include "notify/app_event.h"
#include "notify/app_launch.h"
#include "notify/attendance.h"
#include "notify/failure_reports.h"
#include "notify/local_time.h"

namespace vigilor {

enum class ScreenCursor { Default, Hourglass, Other };

class AlertHost {
public:
    virtual ~AlertHost() = default;
    // The in-memory settings (NotifybyMail, ScreenNotify, NotifyLogin,
    // EMailTo, LaunchApp, LaunchAppActive, ExecAndWait).
    virtual ProgramSettings& Settings() = 0;
    virtual AlertedList& Alerted() = 0;
    // The failure-report memo (Memo1).
    virtual FailureMemo& Memo() = 0;
    // The version text of the program file, as in the caption.
    virtual std::string VersionText() = 0;
    // The settings key, opened for one operation and closed when released.
    virtual std::unique_ptr<KeyValueStore> OpenStore() = 0;
    // Seven blanks + text in status panel 0, repainted at once.
    virtual void ShowStatus(const std::string& text) = 0;
    // Repaints the whole window at once.
    virtual void RepaintNow() = 0;
    // The modal "Error" box.
    virtual void ShowError(const std::string& text) = 0;
    // Red memo and red application icon.
    virtual void ShowAlarm() = 0;
    virtual ScreenCursor CurrentCursor() = 0;
    virtual void SetCursor(ScreenCursor cursor) = 0;
};

class NotificationChannels {
public:
    virtual ~NotificationChannels() = default;
    // One entry in the local Application log under "Vigilor"; raises
    // AppError with the system's text when the log refuses it.
    virtual void WriteEvent(const AppEvent& entry) = 0;
    // An alert's warning entry: the message as its one string.
    void LogAppEvent(const std::string& message) { WriteEvent(AlertEvent(message)); }
    virtual bool SendScreenMessage(const std::string& message, const std::string& recipient) = 0;
    virtual bool FileExists(const std::string& path) = 0;
    // Waits at most kLaunchWaitMs.
    virtual RunResult RunAndWait(const std::string& commandLine, int showMode) = 0;
    virtual void ShellLaunch(const std::string& file, const std::string& parameters, const std::string& directory,
                             int showMode) = 0;
    virtual LocalTime Now() = 0;
};

constexpr int kShowNormally = 5;  // SW_SHOW

}  // namespace vigilor
