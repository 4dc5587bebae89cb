#pragma once
// The program-wide settings kept in memory, and their load and save.
#include <array>
#include <string>

#include "config/settings_store.h"
#include "monitor/monitored_list.h"

namespace vigilor {

// The rows read back from the store: slots 0 to 9,999.
constexpr size_t kMaxStoredRows = 10000;
constexpr std::array<int, kMonitoredColumns> kDefaultColumnWidths{86, 152, 38, 38};

constexpr int kDefaultRestartAlertCount = 3;
constexpr int kMaxRestartAlertCount = 99;
constexpr int kDefaultRestartAlertWindow = 60;
constexpr int kMaxRestartAlertWindow = 1440;  // a day

struct ProgramSettings {
    std::string selectedComputer;  // "\\" + name
    bool hasComputer = false;
    int scanInterval = 1;  // minutes, 1 to 60
    // Automatic restarts of one row within the window that are announced
    // as a service that keeps stopping; 0: never.
    int restartAlertCount = kDefaultRestartAlertCount;
    int restartAlertWindow = kDefaultRestartAlertWindow;  // minutes
    std::array<int, kMonitoredColumns> columnWidths = kDefaultColumnWidths;
    bool notifyByMail = true;
    bool screenNotify = true;
    std::string notifyLogin;
    std::string emailTo;  // trimmed
    std::string launchApp;
    bool launchAppActive = false;
    bool execAndWait = true;
    std::string htmlOutput;
    bool htmlOutputEnabled = false;
    // The Prometheus text file rewritten after every pass.
    std::string metricsOutput;
    bool metricsOutputEnabled = false;
};

// What loading needs to ask of the system and of the user.
class SettingsHost {
public:
    virtual ~SettingsHost() = default;
    virtual std::string LocalComputerName() = 0;
    virtual std::string CurrentUserName() = 0;
    virtual bool DirectoryExists(const std::string& path) = 0;
    // Whether someone is at the screen to answer a box: not at an
    // unattended start.
    virtual bool Attended() = 0;
    virtual void ShowError(const std::string& text) = 0;
    // With nobody at the screen: a failure-report line and an event entry.
    virtual void ReportUnattended(const std::string& text) = 0;
};

// "RestartAlertCount" (0 to 99) and "RestartAlertWindow" (1 to 1440
// minutes); a stored value outside its range reads as the default.
int ReadRestartAlertCount(SettingsStore& store);
int ReadRestartAlertWindow(SettingsStore& store);

void LoadSettings(SettingsStore& store, SettingsHost& host, ProgramSettings& settings, MonitoredList& list);
// LoadSettings without the monitored list and its column widths, which
// stay as they are in memory.
void ReloadSettings(SettingsStore& store, SettingsHost& host, ProgramSettings& settings);
void SaveSettings(SettingsStore& store, const ProgramSettings& settings, const MonitoredList& list);

// Everything up to and including the last backslash or colon.
std::string DirectoryPart(const std::string& path);

// Each character code c (0-255) becomes 255 - c; applied twice it gives
// back the original. Characters beyond code 255 are kept as they are.
std::string ScramblePassword(const std::string& text);

}  // namespace vigilor
