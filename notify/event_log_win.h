#pragma once
// TNTEventLog: writes entries to the event log of a named computer.
#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "notify/app_event.h"

namespace vigilor {

class TNTEventLog {
public:
    // The computer whose log is written ("" or the local name = this one).
    void SetMachineName(const std::string& name) { machineName_ = name; }
    const std::string& MachineName() const { return machineName_; }
    void SetSourceName(const std::string& name) { sourceName_ = name; }
    const std::string& SourceName() const { return sourceName_; }
    bool IncludeUserName = true;

    // Opens (true) or closes (false) the log of MachineName for SourceName.
    void SetActive(bool active);
    bool Active() const { return log_ != nullptr; }

    // One warning entry: category 0, event 0 (its text in the program's
    // message table is the one string), the message as its one string,
    // the running user's identifier when it can be found. Raises AppError
    // with the system's text when a call fails, "Unknown SourceName" for an
    // empty source.
    void ReportWarning(const std::string& message);
    // One entry of the level: its message in the program's message table,
    // the strings put in there. Raises as ReportWarning.
    void Report(EventLevel level, DWORD id, const std::vector<std::string>& strings);

    // The running user's identifier, looked up on first use only; empty
    // when the look-up failed.
    const std::vector<BYTE>& UserSid();

    ~TNTEventLog();

private:
    // Null for this computer: the log calls take no name for the local log.
    std::wstring ServerName() const;

    std::string machineName_;
    std::string sourceName_ = "Application";
    HANDLE log_ = nullptr;
    std::optional<std::vector<BYTE>> userSid_;
};

// The main window's LogAppEvent: one warning entry in this computer's
// Application log under the source "Vigilor".
void LogAppEvent(TNTEventLog& log, const std::string& message);
// Any of the program's entries, the same way.
void LogAppEvent(TNTEventLog& log, const AppEvent& entry);

}  // namespace vigilor
