#include "tests/support/test_service_win.h"

#include <atomic>
#include <stdexcept>
#include <vector>

#include "platform/wide_win.h"

namespace vigilor::test {

namespace {

std::wstring TestServiceProgram() {
    std::vector<wchar_t> path(MAX_PATH * 4);
    const DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    std::wstring program(path.data(), length);
    program.resize(program.find_last_of(L"\\/") + 1);
    return program + L"vigilor_test_service.exe";
}

std::string ErrorText(const char* what) { return std::string(what) + " failed: " + std::to_string(GetLastError()); }

}  // namespace

std::string UniqueServiceName(const std::string& stem) {
    // Wine hands out the same few process ids again and again, so the start
    // time keeps apart the names of a program that ended without removing
    // its services.
    static const unsigned long long started = GetTickCount64();
    static std::atomic<int> counter{0};
    return "VigilorTest_" + stem + "_" + std::to_string(GetCurrentProcessId()) + "_" + std::to_string(started) + "_" +
           std::to_string(++counter);
}

InstalledTestService::InstalledTestService(const std::string& mode, DWORD startType, const std::string& displayName)
    : keyName_(UniqueServiceName("svc")), displayName_(displayName.empty() ? keyName_ + " display" : displayName) {
    manager_ = OpenSCManagerW(nullptr, nullptr, SC_MANAGER_ALL_ACCESS);
    if (!manager_) throw std::runtime_error(ErrorText("OpenSCManager"));
    const std::wstring command = L"\"" + TestServiceProgram() + L"\" " + Wide(mode);
    service_ = CreateServiceW(manager_, Wide(keyName_).c_str(), Wide(displayName_).c_str(), SERVICE_ALL_ACCESS,
                              SERVICE_WIN32_OWN_PROCESS, startType, SERVICE_ERROR_NORMAL, command.c_str(), nullptr,
                              nullptr, nullptr, nullptr, nullptr);
    if (!service_) {
        const std::string error = ErrorText("CreateService");
        CloseServiceHandle(manager_);
        throw std::runtime_error(error);
    }
}

InstalledTestService::~InstalledTestService() { Remove(); }

void InstalledTestService::Remove() {
    SERVICE_STATUS status{};
    if (QueryServiceStatus(service_, &status) && status.dwCurrentState != SERVICE_STOPPED) {
        // A pending service refuses the stop request, and one that ignores
        // it never stops: end its process then. Wine leaves such a service
        // marked pending after its process is gone, so there is nothing to
        // wait for after that; the deletion below removes it at once.
        if (!ControlService(service_, SERVICE_CONTROL_STOP, &status) || !WaitForState(SERVICE_STOPPED, 3000)) {
            SERVICE_STATUS_PROCESS process{};
            DWORD needed = 0;
            if (QueryServiceStatusEx(service_, SC_STATUS_PROCESS_INFO, reinterpret_cast<BYTE*>(&process),
                                     sizeof process, &needed) &&
                process.dwProcessId) {
                if (HANDLE h = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, process.dwProcessId)) {
                    TerminateProcess(h, 1);
                    WaitForSingleObject(h, 5000);
                    CloseHandle(h);
                }
            }
        }
    }
    DeleteService(service_);
    CloseServiceHandle(service_);
    CloseServiceHandle(manager_);
}

DWORD InstalledTestService::State() const {
    SERVICE_STATUS status{};
    return QueryServiceStatus(service_, &status) ? status.dwCurrentState : 0;
}

bool InstalledTestService::WaitForState(DWORD state, DWORD timeoutMs) const {
    const ULONGLONG deadline = GetTickCount64() + timeoutMs;
    for (;;) {
        if (State() == state) return true;
        if (GetTickCount64() >= deadline) return false;
        Sleep(20);
    }
}

bool InstalledTestService::StartAndWaitFor(DWORD state, DWORD timeoutMs) const {
    return StartServiceW(service_, 0, nullptr) && WaitForState(state, timeoutMs);
}

bool InstalledTestService::Control(DWORD control) const {
    SERVICE_STATUS status{};
    return ControlService(service_, control, &status);
}

}  // namespace vigilor::test
