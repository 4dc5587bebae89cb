#include <gtest/gtest.h>

#include <windows.h>

#include <cstdlib>
#include <string>

#include "platform/handles_win.h"
#include "platform/wide_win.h"

namespace vigilor {
namespace {

// The program built beside this test, by its Windows path.
std::wstring ProgramPath() {
    const char* build = std::getenv("VIGILOR_BUILD_DIR");
    std::string path = std::string("Z:") + (build ? build : ".") + "/vigilor.exe";
    for (char& c : path)
        if (c == '/') c = '\\';
    return Wide(path);
}

KernelHandle Start(const std::wstring& program, const std::wstring& arguments = L"") {
    std::wstring commandLine = L"\"" + program + L"\" " + arguments;
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &process))
        return KernelHandle();
    CloseHandle(process.hThread);
    return KernelHandle(process.hProcess);
}

HWND WaitForMainWindow(DWORD timeoutMs) {
    const DWORD deadline = GetTickCount() + timeoutMs;
    while (GetTickCount() < deadline) {
        if (const HWND window = FindWindowW(L"Vigilor.TMainForm", nullptr)) return window;
        Sleep(100);
    }
    return nullptr;
}

TEST(SingleInstance, ASecondInstanceEndsAtOnceAndTheFirstRunsOn) {
    const std::wstring program = ProgramPath();
    ASSERT_NE(GetFileAttributesW(program.c_str()), INVALID_FILE_ATTRIBUTES) << Narrow(program);
    KernelHandle first = Start(program);
    ASSERT_TRUE(first) << "CreateProcess failed with " << GetLastError();
    const HWND window = WaitForMainWindow(30000);
    ASSERT_NE(window, nullptr) << "the first instance shows its window";

    KernelHandle second = Start(program);
    ASSERT_TRUE(second) << "CreateProcess failed with " << GetLastError();
    EXPECT_EQ(WaitForSingleObject(second.Get(), 15000), WAIT_OBJECT_0) << "the second instance ends";
    DWORD code = 1;
    GetExitCodeProcess(second.Get(), &code);
    EXPECT_EQ(code, 0u);
    EXPECT_EQ(WaitForSingleObject(first.Get(), 0), WAIT_TIMEOUT) << "the first runs on";
    EXPECT_TRUE(IsWindow(window));
    wchar_t caption[64] = {};
    GetWindowTextW(window, caption, 64);
    EXPECT_EQ(Narrow(caption).rfind(" Vigilor v.", 0), 0u) << Narrow(caption);

    TerminateProcess(first.Get(), 0);
    WaitForSingleObject(first.Get(), 10000);
}

}  // namespace
}  // namespace vigilor
