#include "notify/event_log_win.h"

#include "event_messages.h"

#include "platform/app_error.h"
#include "platform/system_info_win.h"
#include "platform/text.h"
#include "platform/wide_win.h"

namespace vigilor {

namespace {

[[noreturn]] void RaiseSystemError() {
    const DWORD code = GetLastError();
    wchar_t* text = nullptr;
    FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                   code, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    std::string message = text ? Trim(Narrow(text)) : std::string();
    if (text) LocalFree(text);
    throw AppError(message.empty() ? "System error " + std::to_string(code) : message);
}

WORD EventType(EventLevel level) {
    switch (level) {
        case EventLevel::Error: return EVENTLOG_ERROR_TYPE;
        case EventLevel::Information: return EVENTLOG_INFORMATION_TYPE;
        case EventLevel::Warning: break;
    }
    return EVENTLOG_WARNING_TYPE;
}

// The identifiers the program uses are those the message table gives.
static_assert(static_cast<DWORD>(EventId::Alert) == MSG_VIGILOR_WARNING);
static_assert(static_cast<DWORD>(EventId::ServiceNotInstalled) == MSG_SERVICE_NOT_INSTALLED);
static_assert(static_cast<DWORD>(EventId::ServiceUnreadable) == MSG_SERVICE_UNREADABLE);
static_assert(static_cast<DWORD>(EventId::ServiceHung) == MSG_SERVICE_HUNG);
static_assert(static_cast<DWORD>(EventId::ServiceKeepsStopping) == MSG_SERVICE_KEEPS_STOPPING);
static_assert(static_cast<DWORD>(EventId::MessageNotShown) == MSG_MESSAGE_NOT_SHOWN);
static_assert(static_cast<DWORD>(EventId::ScreenMessageNotShown) == MSG_SCREEN_MESSAGE_NOT_SHOWN);
static_assert(static_cast<DWORD>(EventId::MetricsNotWritten) == MSG_METRICS_NOT_WRITTEN);
static_assert(static_cast<DWORD>(EventId::ServiceStarted) == MSG_SERVICE_STARTED);
static_assert(static_cast<DWORD>(EventId::ServiceStopped) == MSG_SERVICE_STOPPED);
static_assert(static_cast<DWORD>(EventId::MachineKeyRepaired) == MSG_MACHINE_KEY_REPAIRED);

struct EventSource {
    HANDLE handle;
    ~EventSource() {
        if (handle) DeregisterEventSource(handle);
    }
};

}  // namespace

TNTEventLog::~TNTEventLog() {
    if (log_) CloseEventLog(log_);
}

std::wstring TNTEventLog::ServerName() const {
    std::string name = machineName_;
    while (!name.empty() && name.front() == '\\') name.erase(0, 1);
    if (name.empty() || EqualsIgnoringAsciiCase(name, LocalComputerName())) return {};
    return Wide("\\\\" + name);
}

void TNTEventLog::SetActive(bool active) {
    if (active == Active()) return;
    if (!active) {
        const HANDLE log = log_;
        log_ = nullptr;
        if (!CloseEventLog(log)) RaiseSystemError();
        return;
    }
    if (sourceName_.empty()) throw AppError("Unknown SourceName");
    const std::wstring server = ServerName();
    log_ = OpenEventLogW(server.empty() ? nullptr : server.c_str(), Wide(sourceName_).c_str());
    if (!log_) RaiseSystemError();
}

const std::vector<BYTE>& TNTEventLog::UserSid() {
    if (userSid_) return *userSid_;
    userSid_.emplace();
    const std::wstring user = Wide(CurrentUserName());
    DWORD sidSize = 0, domainSize = 0;
    SID_NAME_USE use;
    LookupAccountNameW(nullptr, user.c_str(), nullptr, &sidSize, nullptr, &domainSize, &use);
    if (user.empty() || sidSize == 0) return *userSid_;
    std::vector<BYTE> sid(sidSize);
    std::vector<wchar_t> domain(domainSize + 1);
    if (LookupAccountNameW(nullptr, user.c_str(), sid.data(), &sidSize, domain.data(), &domainSize, &use))
        *userSid_ = std::move(sid);
    return *userSid_;
}

void TNTEventLog::ReportWarning(const std::string& message) {
    Report(EventLevel::Warning, MSG_VIGILOR_WARNING, {message});
}

void TNTEventLog::Report(EventLevel level, DWORD id, const std::vector<std::string>& strings) {
    if (sourceName_.empty()) throw AppError("Unknown SourceName");
    const std::wstring server = ServerName();
    EventSource source{RegisterEventSourceW(server.empty() ? nullptr : server.c_str(), Wide(sourceName_).c_str())};
    if (!source.handle) RaiseSystemError();
    std::vector<std::wstring> texts;
    for (const std::string& text : strings) texts.push_back(Wide(text));
    std::vector<const wchar_t*> pointers;
    for (const std::wstring& text : texts) pointers.push_back(text.c_str());
    PSID sid = nullptr;
    if (IncludeUserName && !UserSid().empty()) sid = const_cast<BYTE*>(UserSid().data());
    if (!ReportEventW(source.handle, EventType(level), 0, id, sid, static_cast<WORD>(pointers.size()), 0,
                      pointers.data(), nullptr))
        RaiseSystemError();
    const HANDLE handle = source.handle;
    source.handle = nullptr;
    if (!DeregisterEventSource(handle)) RaiseSystemError();
}

void LogAppEvent(TNTEventLog& log, const std::string& message) { LogAppEvent(log, AlertEvent(message)); }

void LogAppEvent(TNTEventLog& log, const AppEvent& entry) {
    log.SetMachineName(LocalComputerName());
    log.SetSourceName("Vigilor");
    log.SetActive(true);
    try {
        log.Report(LevelOf(entry.id), static_cast<DWORD>(entry.id), entry.strings);
    } catch (const AppError&) {
        // The log is opened and closed around each entry; the report's own
        // error is the one to show.
        try {
            log.SetActive(false);
        } catch (const AppError&) {
        }
        throw;
    }
    log.SetActive(false);
}

}  // namespace vigilor
