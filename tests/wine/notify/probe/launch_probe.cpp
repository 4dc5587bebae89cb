// Started by the launch tests: appends its own path to the file named by
// VIGILOR_LAUNCH_LOG and ends with exit code 7. With VIGILOR_LAUNCH_HOLD
// naming an event, it first waits (at most 20 s) until the event is set,
// and then appends "released".
#include <windows.h>

namespace {

void Append(const wchar_t* log, const wchar_t* text, DWORD chars) {
    const HANDLE file = CreateFileW(log, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return;
    DWORD written = 0;
    WriteFile(file, text, chars * sizeof(wchar_t), &written, nullptr);
    WriteFile(file, L"\n", sizeof(wchar_t), &written, nullptr);
    CloseHandle(file);
}

}  // namespace

int wmain() {
    wchar_t log[MAX_PATH] = {};
    wchar_t self[MAX_PATH] = {};
    wchar_t hold[MAX_PATH] = {};
    if (!GetEnvironmentVariableW(L"VIGILOR_LAUNCH_LOG", log, MAX_PATH)) return 1;
    const DWORD length = GetModuleFileNameW(nullptr, self, MAX_PATH);
    Append(log, self, length);
    if (GetEnvironmentVariableW(L"VIGILOR_LAUNCH_HOLD", hold, MAX_PATH)) {
        const HANDLE release = OpenEventW(SYNCHRONIZE, FALSE, hold);
        if (!release) return 3;
        WaitForSingleObject(release, 20000);
        CloseHandle(release);
        Append(log, L"released", 8);
    }
    return 7;
}
