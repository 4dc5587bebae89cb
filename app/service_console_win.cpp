#include "app/service_console_win.h"

#include "app/service_files_win.h"
#include "app/service_main_win.h"
#include "config/machine_key_win.h"
#include "monitor/service_controls.h"
#include "platform/handles_win.h"
#include "platform/wide_win.h"

#include <fstream>
#include <sstream>

namespace vigilor {

namespace {

ServiceHandle OpenVigilorService(DWORD access) {
    const ServiceHandle manager(OpenSCManagerW(nullptr, nullptr, SC_MANAGER_CONNECT));
    if (!manager) return ServiceHandle();
    return ServiceHandle(OpenServiceW(manager.Get(), Wide(kServiceName).c_str(), access));
}

DWORD ServiceState() {
    const ServiceHandle service = OpenVigilorService(SERVICE_QUERY_STATUS);
    SERVICE_STATUS status{};
    if (!service || !QueryServiceStatus(service.Get(), &status)) return 0;
    return status.dwCurrentState;
}

bool MachineKeyWritable() {
    HKEY key = nullptr;
    if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, Wide(kMachineKeyPath).c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr,
                        &key, nullptr) != ERROR_SUCCESS)
        return false;
    RegCloseKey(key);
    return true;
}

std::string ReadWhole(const std::string& path) {
    const std::u8string wide(path.begin(), path.end());
    std::ifstream in(std::filesystem::path(wide), std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

constexpr const char* kNotAllowed = "Only an administrator may control the Vigilor service";

}  // namespace

bool ServiceConsole::ServiceIsUp() {
    const DWORD state = ServiceState();
    return state != 0 && state != SERVICE_STOPPED && state != SERVICE_STOP_PENDING;
}

ServiceConsole::ServiceConsole(HWND window, UINT reloadMessage) : window_(window), reloadMessage_(reloadMessage) {
    mayChange_ = MachineKeyWritable() &&
                 static_cast<bool>(OpenVigilorService(SERVICE_PAUSE_CONTINUE | SERVICE_USER_DEFINED_CONTROL));
    Poll();
}

bool ServiceConsole::Poll() {
    const DWORD state = ServiceState();
    const std::optional<ConsoleState> read = ParseConsoleState(ReadWhole(ConsoleStatePath()));
    // A file being rewritten reads as nothing: what was shown stays.
    const bool changed = state != serviceState_ || (read && !(*read == shown_));
    serviceState_ = state;
    if (read) shown_ = *read;
    return changed;
}

bool ServiceConsole::Send(DWORD control) {
    const ServiceHandle service =
        OpenVigilorService(SERVICE_PAUSE_CONTINUE | SERVICE_USER_DEFINED_CONTROL | SERVICE_QUERY_STATUS);
    SERVICE_STATUS status{};
    return service && ControlService(service.Get(), control, &status);
}

StartAnswer ServiceConsole::Start(Attendance) {
    StartAnswer answer;
    if (!mayChange_ || !Send(SERVICE_CONTROL_CONTINUE)) {
        answer.refusals.push_back(kNotAllowed);
        return answer;
    }
    serviceState_ = SERVICE_RUNNING;
    shown_.monitoring = true;
    answer.started = true;
    return answer;
}

void ServiceConsole::Stop() {
    if (!mayChange_ || !Send(SERVICE_CONTROL_PAUSE)) return;
    serviceState_ = SERVICE_PAUSED;
    shown_.monitoring = false;
}

void ServiceConsole::Reset() {
    if (mayChange_) Send(kControlReset);
}

bool ServiceConsole::ForceCheck(Attendance) { return mayChange_ && Send(kControlPassNow); }

// The window stores an edit right after telling of it: the service reads
// the key once the window's handler has ended.
void ServiceConsole::SettingsChanged(ProgramSettings) {
    if (mayChange_) PostMessageW(window_, reloadMessage_, 0, 0);
}

void ServiceConsole::ListChanged(std::vector<std::string>) {
    if (mayChange_) PostMessageW(window_, reloadMessage_, 0, 0);
}

void ServiceConsole::SendReload() {
    if (mayChange_) Send(kControlReload);
}

EngineState ServiceConsole::State() const {
    EngineState state;
    state.monitoring = serviceState_ == SERVICE_RUNNING && shown_.monitoring;
    return state;
}

}  // namespace vigilor
