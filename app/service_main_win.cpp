#include "app/service_main_win.h"

#include "app/service_files_win.h"

#include <windows.h>
#include <sddl.h>
#include <shlobj.h>

#include <chrono>
#include <filesystem>
#include <future>
#include <memory>

#include "config/machine_key_win.h"
#include "config/settings.h"
#include "config/settings_store.h"
#include "monitor/engine_system_win.h"
#include "monitor/monitor_engine.h"
#include "monitor/service_controls.h"
#include "monitor/service_view.h"
#include "monitor/status_page_writer_win.h"
#include "notify/failure_reports.h"
#include "notify/rotating_log.h"
#include "notify/screen_message_win.h"
#include "platform/handles_win.h"
#include "platform/system_info_win.h"
#include "platform/text.h"
#include "platform/wide_win.h"

namespace vigilor {

namespace {

using namespace std::chrono_literals;

// The service manager waits this long for a stop; the engine gets most of
// it for a pass that is running.
constexpr auto kStopBound = 25s;
constexpr DWORD kStopWaitHintMs = 30000;
constexpr const char* kNothingToMonitor =
    "No services to monitor: monitoring is off until the machine's settings key lists some and the service is told "
    "to reload it";

// Screen messages from a service reach users' sessions only; one that
// reaches nobody is logged, never shown in a box of the service's own.
class ServiceChannels : public WindowsNotificationChannels {
public:
    ServiceChannels() : WindowsNotificationChannels(nullptr) {}
    bool SendScreenMessage(const std::string& message, const std::string& recipient) override {
        if (SendScreenMessageToSessions(message, recipient)) return true;
        try {
            WriteEvent(ScreenMessageNotShownEvent(Trim(recipient), message));
        } catch (const std::exception&) {
            // Nowhere left to say it.
        }
        return false;
    }
};

class ServiceEngineSystem : public WindowsEngineSystem {
public:
    ServiceEngineSystem() : WindowsEngineSystem(OpenMachineStore) {}
    NotificationChannels& Channels() override { return channels_; }

private:
    ServiceChannels channels_;
};

// Settings read with nobody to ask: what would be a box is reported.
class ServiceSettingsHost : public SettingsHost {
public:
    explicit ServiceSettingsHost(std::function<void(const std::string&)> report) : report_(std::move(report)) {}
    std::string LocalComputerName() override { return vigilor::LocalComputerName(); }
    // Nobody is logged on to the service: screen messages without a named
    // recipient go to every session.
    std::string CurrentUserName() override { return ""; }
    bool DirectoryExists(const std::string& path) override { return vigilor::DirectoryExists(path); }
    bool Attended() override { return false; }
    void ShowError(const std::string& text) override { report_(text); }
    void ReportUnattended(const std::string& text) override { report_(text); }

private:
    std::function<void(const std::string&)> report_;
};

class ServiceStatus {
public:
    void Attach(SERVICE_STATUS_HANDLE handle) { handle_ = handle; }
    void Set(DWORD state, DWORD waitHintMs = 0) {
        const std::lock_guard lock(mutex_);
        status_.dwServiceType = SERVICE_WIN32_OWN_PROCESS;
        status_.dwCurrentState = state;
        status_.dwControlsAccepted =
            state == SERVICE_RUNNING || state == SERVICE_PAUSED ? AcceptedControls() : 0;
        const bool pending = state == SERVICE_START_PENDING || state == SERVICE_STOP_PENDING;
        status_.dwCheckPoint = pending ? ++checkPoint_ : 0;
        status_.dwWaitHint = waitHintMs;
        SetServiceStatus(handle_, &status_);
    }
    DWORD State() {
        const std::lock_guard lock(mutex_);
        return status_.dwCurrentState;
    }

private:
    std::mutex mutex_;
    SERVICE_STATUS_HANDLE handle_ = nullptr;
    SERVICE_STATUS status_{};
    DWORD checkPoint_ = 0;
};

// Restart after a minute on the first two failures; the program sets it
// itself, as its package cannot.
void SetRecoveryActions() {
    const ServiceHandle manager(OpenSCManagerW(nullptr, nullptr, SC_MANAGER_CONNECT));
    if (!manager) return;
    const ServiceHandle service(
        OpenServiceW(manager.Get(), Wide(kServiceName).c_str(), SERVICE_CHANGE_CONFIG | SERVICE_START));
    if (!service) return;
    std::vector<SC_ACTION> actions;
    for (const RecoveryAction& action : RecoveryActions())
        actions.push_back({action.restart ? SC_ACTION_RESTART : SC_ACTION_NONE, action.delayMs});
    SERVICE_FAILURE_ACTIONSW failure{};
    failure.dwResetPeriod = kRecoveryResetSeconds;
    failure.cActions = static_cast<DWORD>(actions.size());
    failure.lpsaActions = actions.data();
    ChangeServiceConfig2W(service.Get(), SERVICE_CONFIG_FAILURE_ACTIONS, &failure);
}

class VigilorService {
public:
    explicit VigilorService(std::string versionText)
        : versionText_(std::move(versionText)),
          folder_(ServiceDataFolder()),
          log_(folder_ / "failure-reports.log"),
          view_(log_, {CurrentLocalTime, [this](const std::vector<std::string>& reports) { ShowPass(reports); },
                       [this](const std::string& error) { LogEvent(error); }}),
          stopEvent_(CreateEventW(nullptr, TRUE, FALSE, nullptr)),
          consoleDirty_(CreateEventW(nullptr, FALSE, FALSE, nullptr)) {}

    void Main();
    DWORD Control(DWORD control);
    ServiceStatus& Status() { return status_; }

private:
    void Begin();
    void Reload();
    bool LoadMachineKey(ProgramSettings& settings, MonitoredList& list);
    void Report(const std::string& text);
    void LogEvent(const std::string& text);
    void LogEvent(const AppEvent& entry);
    void ShowPass(const std::vector<std::string>& reports);
    void WriteConsoleState();
    void StartMonitoringIfListed(std::size_t rows);

    std::string versionText_;
    std::filesystem::path folder_;
    RotatingLog log_;
    ServiceEngineView view_;
    KernelHandle stopEvent_;
    // The console's state is to be written again: by the service's main
    // thread, since the engine's events may not call the engine back.
    KernelHandle consoleDirty_;
    ServiceStatus status_;
    ServiceEngineSystem system_;
    std::unique_ptr<MonitorEngine> engine_;
    std::mutex mutex_;
    bool paused_ = false;
    bool saidNothingToMonitor_ = false;
};

void VigilorService::LogEvent(const std::string& text) { LogEvent(MessageNotShownEvent(text)); }

void VigilorService::LogEvent(const AppEvent& entry) {
    try {
        system_.Channels().WriteEvent(entry);
    } catch (const std::exception&) {
        // The log file holds what could be said.
    }
}

void VigilorService::Report(const std::string& text) {
    view_.Post({EngineEvent::Kind::Error, text});
    LogEvent(text);
}

bool VigilorService::LoadMachineKey(ProgramSettings& settings, MonitoredList& list) {
    ServiceSettingsHost host([this](const std::string& text) { Report(text); });
    const std::unique_ptr<KeyValueStore> raw = OpenMachineStore();
    SettingsStore store(*raw);
    LoadSettings(store, host, settings, list);
    return true;
}

void VigilorService::StartMonitoringIfListed(std::size_t rows) {
    if (paused_) return;
    if (rows == 0) {
        engine_->Stop();
        if (!saidNothingToMonitor_) Report(kNothingToMonitor);
        saidNothingToMonitor_ = true;
        return;
    }
    saidNothingToMonitor_ = false;
    engine_->Start(Attendance::Unattended);
}

void VigilorService::Begin() {
    try {
        if (RestrictMachineKey())
            LogEvent(MachineKeyRepairedEvent("HKEY_LOCAL_MACHINE\\" + std::string(kMachineKeyPath)));
    } catch (const std::exception& error) {
        Report(error.what());
    }
    SetRecoveryActions();
    ProgramSettings settings;
    MonitoredList list;
    LoadMachineKey(settings, list);
    engine_ = std::make_unique<MonitorEngine>(system_, view_, EngineIdentity{versionText_, LocalComputerName()},
                                              settings, list.Rows());
    const std::lock_guard lock(mutex_);
    StartMonitoringIfListed(list.Count());
    WriteConsoleState();
}

void VigilorService::Reload() {
    ProgramSettings settings;
    MonitoredList list;
    LoadMachineKey(settings, list);
    const std::lock_guard lock(mutex_);
    engine_->SettingsChanged(settings);
    engine_->ListChanged(list.Rows());
    StartMonitoringIfListed(list.Count());
    WriteConsoleState();
}

void VigilorService::ShowPass(const std::vector<std::string>&) { SetEvent(consoleDirty_.Get()); }

void VigilorService::WriteConsoleState() {
    if (!engine_) return;
    // The window that serves as the console reads this: the monitoring
    // state, the passes so far, then the reports of the last pass.
    const std::string text =
        ConsoleStateText({engine_->State().monitoring, engine_->PassesEnded(), view_.LastPassReports()});
    try {
        ReplaceWholeFile(ConsoleStatePath(), text, WithoutDraft::WriteInPlace);
    } catch (const std::exception& error) {
        LogEvent(error.what());
    }
}

DWORD VigilorService::Control(DWORD control) {
    switch (CommandOfControl(control)) {
        case ServiceCommand::Stop:
            status_.Set(SERVICE_STOP_PENDING, kStopWaitHintMs);
            SetEvent(stopEvent_.Get());
            return NO_ERROR;
        case ServiceCommand::Pause: {
            const std::lock_guard lock(mutex_);
            paused_ = true;
            if (engine_) engine_->Stop();
            WriteConsoleState();
            status_.Set(SERVICE_PAUSED);
            return NO_ERROR;
        }
        case ServiceCommand::Continue: {
            const std::lock_guard lock(mutex_);
            paused_ = false;
            if (engine_) engine_->Start(Attendance::Unattended);
            WriteConsoleState();
            status_.Set(SERVICE_RUNNING);
            return NO_ERROR;
        }
        case ServiceCommand::PassNow:
            if (engine_) engine_->ForceCheck(Attendance::Unattended);
            return NO_ERROR;
        case ServiceCommand::Reset:
            if (engine_) engine_->Reset();
            return NO_ERROR;
        case ServiceCommand::Reload:
            if (engine_) Reload();
            return NO_ERROR;
        case ServiceCommand::Interrogate: status_.Set(status_.State()); return NO_ERROR;
        case ServiceCommand::Unknown: break;
    }
    return ERROR_CALL_NOT_IMPLEMENTED;
}

void VigilorService::Main() {
    status_.Set(SERVICE_START_PENDING, 10000);
    LogEvent(ServiceStartedEvent(versionText_));
    try {
        Begin();
    } catch (const std::exception& error) {
        Report(error.what());
    }
    status_.Set(SERVICE_RUNNING);
    const HANDLE events[] = {stopEvent_.Get(), consoleDirty_.Get()};
    while (WaitForMultipleObjects(2, events, FALSE, INFINITE) == WAIT_OBJECT_0 + 1) {
        const std::lock_guard lock(mutex_);
        WriteConsoleState();
    }
    // The pass that runs may finish; the service manager hears of progress
    // meanwhile.
    if (engine_) {
        std::future<bool> ended = std::async(std::launch::async, [this] { return engine_->End(kStopBound); });
        while (ended.wait_for(1s) != std::future_status::ready) status_.Set(SERVICE_STOP_PENDING, kStopWaitHintMs);
    }
    LogEvent(ServiceStoppedEvent(engine_ ? engine_->PassesEnded() : 0));
    status_.Set(SERVICE_STOPPED);
}

VigilorService* g_service = nullptr;

DWORD WINAPI Handler(DWORD control, DWORD, LPVOID, LPVOID) {
    try {
        return g_service ? g_service->Control(control) : ERROR_CALL_NOT_IMPLEMENTED;
    } catch (...) {
        return ERROR_CALL_NOT_IMPLEMENTED;
    }
}

std::string g_versionText;

void WINAPI ServiceMain(DWORD, LPWSTR*) {
    try {
        VigilorService service(g_versionText);
        g_service = &service;
        service.Status().Attach(RegisterServiceCtrlHandlerExW(Wide(kServiceName).c_str(), Handler, nullptr));
        service.Main();
        g_service = nullptr;
    } catch (...) {
        // The service manager sees the process end; its recovery actions
        // restart it.
        g_service = nullptr;
    }
}

}  // namespace

bool ServiceRequested(const std::vector<std::string>& arguments) {
    return !arguments.empty() && EqualsIgnoringAsciiCase(arguments.front(), "/service");
}

int RunService(const std::string& versionText) {
    g_versionText = versionText;
    std::wstring name = Wide(kServiceName);
    SERVICE_TABLE_ENTRYW table[] = {{name.data(), ServiceMain}, {nullptr, nullptr}};
    if (StartServiceCtrlDispatcherW(table)) return 0;
    if (GetLastError() != ERROR_FAILED_SERVICE_CONTROLLER_CONNECT) return 1;
    // Started by hand: there is someone to tell.
    MessageBoxW(nullptr,
                Wide("\"vigilor.exe /service\" is what the Windows service \"" + std::string(kServiceName) +
                     "\" (" + kServiceDisplayName +
                     ") runs; the service manager starts it. Install the service with the Vigilor package "
                     "(msiexec /i vigilor.msi), then start or stop it in Services or with \"sc start Vigilor\". "
                     "To monitor from a window, start vigilor.exe without \"/service\".")
                    .c_str(),
                Wide("Vigilor").c_str(), MB_OK | MB_ICONINFORMATION);
    return 1;
}

}  // namespace vigilor
