// A Win32 service for the tests, installed into the service manager under
// a name of the test's choosing. Its command line picks how it behaves:
//   run                 runs until stopped; accepts stop, pause and continue
//   stop-after <ms>     runs, then stops by itself after <ms>
//   fail-start          reports start pending, then stops with an error
//   slow-start <ms>     stays start pending for <ms>, raising its check
//                       point every 100 ms with a wait hint of 300 ms
//   hang-start          stays start pending with a check point that never
//                       moves and accepts no controls
//   ignore-stop         runs, accepts stop requests and ignores them
//   hang-stop           runs; a stop request leaves it stop pending for good
#include <windows.h>

#include <cwchar>
#include <string>

namespace {

enum class Mode { Run, StopAfter, FailStart, SlowStart, HangStart, IgnoreStop, HangStop };

Mode g_mode = Mode::Run;
DWORD g_milliseconds = 0;
SERVICE_STATUS_HANDLE g_statusHandle = nullptr;
SERVICE_STATUS g_status{};
HANDLE g_stopEvent = nullptr;

bool ParseMode(int argc, wchar_t** argv) {
    if (argc < 2) return false;
    const std::wstring mode = argv[1];
    const DWORD number = argc > 2 ? wcstoul(argv[2], nullptr, 10) : 0;
    g_milliseconds = number;
    if (mode == L"run") g_mode = Mode::Run;
    else if (mode == L"stop-after") g_mode = Mode::StopAfter;
    else if (mode == L"fail-start") g_mode = Mode::FailStart;
    else if (mode == L"slow-start") g_mode = Mode::SlowStart;
    else if (mode == L"hang-start") g_mode = Mode::HangStart;
    else if (mode == L"ignore-stop") g_mode = Mode::IgnoreStop;
    else if (mode == L"hang-stop") g_mode = Mode::HangStop;
    else return false;
    return true;
}

void Report(DWORD state, DWORD checkPoint = 0, DWORD waitHint = 0, DWORD exitCode = NO_ERROR) {
    g_status.dwServiceType = SERVICE_WIN32_OWN_PROCESS;
    g_status.dwCurrentState = state;
    g_status.dwCheckPoint = checkPoint;
    g_status.dwWaitHint = waitHint;
    g_status.dwWin32ExitCode = exitCode;
    g_status.dwServiceSpecificExitCode = exitCode == ERROR_SERVICE_SPECIFIC_ERROR ? 42 : 0;
    switch (state) {
        case SERVICE_RUNNING:
        case SERVICE_PAUSED:
            g_status.dwControlsAccepted = g_mode == Mode::Run ? SERVICE_ACCEPT_STOP | SERVICE_ACCEPT_PAUSE_CONTINUE
                                                              : SERVICE_ACCEPT_STOP;
            break;
        default: g_status.dwControlsAccepted = 0;
    }
    SetServiceStatus(g_statusHandle, &g_status);
}

DWORD WINAPI Handler(DWORD control, DWORD, void*, void*) {
    switch (control) {
        case SERVICE_CONTROL_STOP:
        case SERVICE_CONTROL_SHUTDOWN:
            if (g_mode == Mode::IgnoreStop) {
                Report(SERVICE_RUNNING);
                return NO_ERROR;
            }
            if (g_mode == Mode::HangStop) {
                // A check point that never moves: stuck until the process ends.
                Report(SERVICE_STOP_PENDING, 1, 1000);
                return NO_ERROR;
            }
            Report(SERVICE_STOP_PENDING, 1, 1000);
            SetEvent(g_stopEvent);
            return NO_ERROR;
        case SERVICE_CONTROL_PAUSE:
            if (g_mode != Mode::Run) return ERROR_CALL_NOT_IMPLEMENTED;
            Report(SERVICE_PAUSED);
            return NO_ERROR;
        case SERVICE_CONTROL_CONTINUE:
            if (g_mode != Mode::Run) return ERROR_CALL_NOT_IMPLEMENTED;
            Report(SERVICE_RUNNING);
            return NO_ERROR;
        case SERVICE_CONTROL_INTERROGATE: return NO_ERROR;
        default: return ERROR_CALL_NOT_IMPLEMENTED;
    }
}

void WINAPI ServiceMain(DWORD, wchar_t**) {
    g_statusHandle = RegisterServiceCtrlHandlerExW(L"", Handler, nullptr);
    if (!g_statusHandle) return;
    g_stopEvent = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    Report(SERVICE_START_PENDING, 1, 300);
    switch (g_mode) {
        case Mode::FailStart:
            Sleep(100);
            Report(SERVICE_STOPPED, 0, 0, ERROR_SERVICE_SPECIFIC_ERROR);
            return;
        case Mode::HangStart:
            // Stays pending until the test ends the process.
            WaitForSingleObject(g_stopEvent, INFINITE);
            return;
        case Mode::SlowStart:
            for (DWORD waited = 0, point = 2; waited < g_milliseconds; waited += 100, ++point) {
                Sleep(100);
                Report(SERVICE_START_PENDING, point, 300);
            }
            break;
        default: break;
    }
    Report(SERVICE_RUNNING);
    const DWORD timeout = g_mode == Mode::StopAfter ? g_milliseconds : INFINITE;
    WaitForSingleObject(g_stopEvent, timeout);
    Report(SERVICE_STOPPED);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (!ParseMode(argc, argv)) return 2;
    wchar_t name[] = L"";
    const SERVICE_TABLE_ENTRYW table[] = {{name, ServiceMain}, {nullptr, nullptr}};
    return StartServiceCtrlDispatcherW(table) ? 0 : 1;
}
