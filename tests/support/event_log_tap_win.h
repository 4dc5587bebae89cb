#pragma once
// Reads back what this process writes to the event log. Wine keeps no event
// log (ReadEventLog finds no record there), so the entries are taken where
// the program hands them to the system: the process's imports of
// RegisterEventSourceW and ReportEventW are bent through a recorder that
// passes every call on unchanged.
#include <windows.h>

#include <string>
#include <vector>

namespace vigilor::test {

struct EventEntry {
    std::string source;  // as registered
    WORD type;           // EVENTLOG_WARNING_TYPE, ...
    WORD category;
    DWORD id;
    std::vector<std::string> strings;
};

class EventLogTap {
public:
    EventLogTap();
    ~EventLogTap();
    EventLogTap(const EventLogTap&) = delete;
    EventLogTap& operator=(const EventLogTap&) = delete;

    // Every entry reported since the tap was made, in order.
    const std::vector<EventEntry>& Entries() const { return entries_; }
    // The first string of each entry of the source.
    std::vector<std::string> Messages(const std::string& source) const;

private:
    static HANDLE WINAPI Register(LPCWSTR server, LPCWSTR source);
    static BOOL WINAPI Report(HANDLE log, WORD type, WORD category, DWORD id, PSID user, WORD count, DWORD size,
                              LPCWSTR* strings, LPVOID data);

    std::vector<EventEntry> entries_;
    std::vector<std::pair<HANDLE, std::string>> sources_;
};

}  // namespace vigilor::test
