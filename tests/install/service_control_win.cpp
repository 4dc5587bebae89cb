// Drives a service of the local service manager from the install tests,
// since Wine's sc.exe has no pause, continue or control verbs:
//   service_control state <name>
//       the service's state: STOPPED, START_PENDING, STOP_PENDING, RUNNING,
//       CONTINUE_PENDING, PAUSE_PENDING or PAUSED
//   service_control wait <name> <state> <milliseconds>
//       waits that long at most for the state, then prints the state
//   service_control start <name> <milliseconds>
//       starts the service and waits that long at most for RUNNING
//   service_control control <name> <code> <milliseconds>
//       sends the control code; after 1 (stop), 2 (pause) or 3 (continue)
//       waits that long at most for STOPPED, PAUSED or RUNNING; prints the
//       state it ends with
//   service_control config <name>
//       start type, program and arguments, account, display name and
//       description, one line each
//   service_control create <name> <display name> <command line>
//       installs a service of its own process, started on demand (Wine's
//       sc.exe takes no display name)
// A call that fails prints "error <number>" and ends with 1, as does a
// wait that ends in another state than the one waited for.
#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <string>

#include "platform/wide_win.h"

namespace {

void Print(const std::string& line) {
    std::fputs((line + "\n").c_str(), stdout);
    std::fflush(stdout);
}

int Failed(DWORD error) {
    Print("error " + std::to_string(error));
    return 1;
}

struct Handle {
    SC_HANDLE handle = nullptr;
    ~Handle() {
        if (handle) CloseServiceHandle(handle);
    }
};

const char* StateName(DWORD state) {
    switch (state) {
        case SERVICE_STOPPED: return "STOPPED";
        case SERVICE_START_PENDING: return "START_PENDING";
        case SERVICE_STOP_PENDING: return "STOP_PENDING";
        case SERVICE_RUNNING: return "RUNNING";
        case SERVICE_CONTINUE_PENDING: return "CONTINUE_PENDING";
        case SERVICE_PAUSE_PENDING: return "PAUSE_PENDING";
        case SERVICE_PAUSED: return "PAUSED";
        default: return "UNKNOWN";
    }
}

DWORD StateOf(const char* name) {
    for (DWORD state = SERVICE_STOPPED; state <= SERVICE_PAUSED; ++state)
        if (std::string(StateName(state)) == name) return state;
    return 0;
}

bool Query(SC_HANDLE service, DWORD& state) {
    SERVICE_STATUS_PROCESS status{};
    DWORD needed = 0;
    if (!QueryServiceStatusEx(service, SC_STATUS_PROCESS_INFO, reinterpret_cast<BYTE*>(&status), sizeof status,
                              &needed))
        return false;
    state = status.dwCurrentState;
    return true;
}

// The service changes its state in its own process, when it gets to it;
// nothing here is told, so the state is read every 20 ms up to the deadline.
int WaitFor(SC_HANDLE service, DWORD wanted, DWORD milliseconds) {
    const ULONGLONG deadline = GetTickCount64() + milliseconds;
    DWORD state = 0;
    for (;;) {
        if (!Query(service, state)) return Failed(GetLastError());
        if (state == wanted || GetTickCount64() >= deadline) break;
        Sleep(20);
    }
    Print(StateName(state));
    return state == wanted ? 0 : 1;
}

int ShowConfig(SC_HANDLE service) {
    DWORD needed = 0;
    QueryServiceConfigW(service, nullptr, 0, &needed);
    std::string buffer(needed, '\0');
    auto* config = reinterpret_cast<QUERY_SERVICE_CONFIGW*>(buffer.data());
    if (!QueryServiceConfigW(service, config, needed, &needed)) return Failed(GetLastError());
    const char* start = config->dwStartType == SERVICE_AUTO_START     ? "auto"
                        : config->dwStartType == SERVICE_DEMAND_START ? "demand"
                        : config->dwStartType == SERVICE_DISABLED     ? "disabled"
                                                                      : "other";
    Print(std::string("start ") + start);
    Print("type " + std::to_string(config->dwServiceType));
    Print("error control " + std::to_string(config->dwErrorControl));
    Print("program " + vigilor::Narrow(config->lpBinaryPathName));
    Print("account " + vigilor::Narrow(config->lpServiceStartName ? config->lpServiceStartName : L""));
    Print("display " + vigilor::Narrow(config->lpDisplayName ? config->lpDisplayName : L""));
    needed = 0;
    QueryServiceConfig2W(service, SERVICE_CONFIG_DESCRIPTION, nullptr, 0, &needed);
    std::string described(needed + sizeof(SERVICE_DESCRIPTIONW), '\0');
    auto* description = reinterpret_cast<SERVICE_DESCRIPTIONW*>(described.data());
    if (!QueryServiceConfig2W(service, SERVICE_CONFIG_DESCRIPTION, reinterpret_cast<BYTE*>(description),
                              static_cast<DWORD>(described.size()), &needed))
        return Failed(GetLastError());
    Print("description " + vigilor::Narrow(description->lpDescription ? description->lpDescription : L""));
    return 0;
}

int Create(SC_HANDLE manager, const wchar_t* name, const wchar_t* display, const wchar_t* commandLine) {
    Handle service{CreateServiceW(manager, name, display, SERVICE_QUERY_STATUS, SERVICE_WIN32_OWN_PROCESS,
                                  SERVICE_DEMAND_START, SERVICE_ERROR_NORMAL, commandLine, nullptr, nullptr, nullptr,
                                  nullptr, nullptr)};
    if (!service.handle) return Failed(GetLastError());
    Print("created");
    return 0;
}

int Usage() {
    std::fputs(
        "usage: service_control state <name> | wait <name> <state> <ms> | start <name> <ms> | "
        "control <name> <code> <ms> | config <name> | create <name> <display name> <command line>\n",
        stderr);
    return 2;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 3) return Usage();
    const std::wstring command = argv[1];
    const bool creating = command == L"create" && argc == 5;
    Handle manager{OpenSCManagerW(nullptr, nullptr, creating ? SC_MANAGER_CREATE_SERVICE : SC_MANAGER_CONNECT)};
    if (!manager.handle) return Failed(GetLastError());
    if (creating) return Create(manager.handle, argv[2], argv[3], argv[4]);
    Handle service{OpenServiceW(manager.handle, argv[2],
                                SERVICE_QUERY_STATUS | SERVICE_QUERY_CONFIG | SERVICE_START | SERVICE_STOP |
                                    SERVICE_PAUSE_CONTINUE | SERVICE_USER_DEFINED_CONTROL)};
    if (!service.handle) return Failed(GetLastError());

    if (command == L"state" && argc == 3) {
        DWORD state = 0;
        if (!Query(service.handle, state)) return Failed(GetLastError());
        Print(StateName(state));
        return 0;
    }
    if (command == L"config" && argc == 3) return ShowConfig(service.handle);
    if (command == L"wait" && argc == 5) {
        const DWORD wanted = StateOf(vigilor::Narrow(argv[3]).c_str());
        if (!wanted) return Usage();
        return WaitFor(service.handle, wanted, std::wcstoul(argv[4], nullptr, 10));
    }
    if (command == L"start" && argc == 4) {
        if (!StartServiceW(service.handle, 0, nullptr) && GetLastError() != ERROR_SERVICE_ALREADY_RUNNING)
            return Failed(GetLastError());
        return WaitFor(service.handle, SERVICE_RUNNING, std::wcstoul(argv[3], nullptr, 10));
    }
    if (command == L"control" && argc == 5) {
        const DWORD code = std::wcstoul(argv[3], nullptr, 10);
        SERVICE_STATUS status{};
        if (!ControlService(service.handle, code, &status)) return Failed(GetLastError());
        const DWORD milliseconds = std::wcstoul(argv[4], nullptr, 10);
        switch (code) {
            case SERVICE_CONTROL_STOP: return WaitFor(service.handle, SERVICE_STOPPED, milliseconds);
            case SERVICE_CONTROL_PAUSE: return WaitFor(service.handle, SERVICE_PAUSED, milliseconds);
            case SERVICE_CONTROL_CONTINUE: return WaitFor(service.handle, SERVICE_RUNNING, milliseconds);
            default: Print(StateName(status.dwCurrentState)); return 0;
        }
    }
    return Usage();
}
