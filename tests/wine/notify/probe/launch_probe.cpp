// Started by the launch tests: appends its own path to the file named by
// VIGILOR_LAUNCH_LOG and ends with exit code 7.
#include <windows.h>

int wmain() {
    wchar_t log[MAX_PATH] = {};
    wchar_t self[MAX_PATH] = {};
    if (!GetEnvironmentVariableW(L"VIGILOR_LAUNCH_LOG", log, MAX_PATH)) return 1;
    const DWORD length = GetModuleFileNameW(nullptr, self, MAX_PATH);
    const HANDLE file = CreateFileW(log, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return 2;
    DWORD written = 0;
    WriteFile(file, self, length * sizeof(wchar_t), &written, nullptr);
    WriteFile(file, L"\n", sizeof(wchar_t), &written, nullptr);
    CloseHandle(file);
    return 7;
}
