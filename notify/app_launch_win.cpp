#include "notify/app_launch_win.h"

#include <shellapi.h>

#include <vector>

#include "platform/handles_win.h"
#include "platform/message_pump_win.h"
#include "platform/system_error_win.h"
#include "platform/text.h"
#include "platform/wide_win.h"

namespace vigilor {

namespace {

std::string LastErrorText() {
    Win32SystemErrors errors;
    return Trim(SystemErrorText(errors, errors.LastError()));
}

}  // namespace

RunResult RunAndWait(const std::string& commandLine, int showMode, DWORD timeoutMs) {
    if (commandLine.size() > kMaxRunCommandLine)
        return {.failure = "the command line is longer than " + std::to_string(kMaxRunCommandLine) + " characters"};
    const std::wstring line = Wide(QuotedCommandLine(commandLine));
    // The system may write into the command line; it gets a copy of its own.
    std::vector<wchar_t> buffer(line.begin(), line.end());
    buffer.push_back(L'\0');
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = static_cast<WORD>(showMode);
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(nullptr, buffer.data(), nullptr, nullptr, FALSE, CREATE_NEW_CONSOLE | NORMAL_PRIORITY_CLASS,
                        nullptr, nullptr, &startup, &process))
        return {.failure = LastErrorText()};
    const KernelHandle processHandle(process.hProcess);
    const KernelHandle threadHandle(process.hThread);
    switch (WaitPumpingMessages(processHandle.Get(), {}, timeoutMs)) {
        case PumpWait::Signaled: break;
        case PumpWait::Canceled: return {.end = RunResult::End::Abandoned};
        default: return {.end = RunResult::End::StillRunning};
    }
    DWORD exitCode = 0;
    if (!GetExitCodeProcess(processHandle.Get(), &exitCode)) return {.end = RunResult::End::Exited};
    return {.end = RunResult::End::Exited, .exitCode = static_cast<int>(exitCode)};
}

std::optional<std::string> ShellLaunch(HWND owner, const std::string& file, const std::string& parameters,
                                       const std::string& directory, int showMode) {
    if (file.size() > kMaxShellText || parameters.size() > kMaxShellText || directory.size() > kMaxShellText)
        return "the path is longer than " + std::to_string(kMaxShellText) + " characters";
    const std::wstring wideFile = Wide(file);
    const std::wstring wideParameters = Wide(parameters);
    const std::wstring wideDirectory = Wide(directory);
    SHELLEXECUTEINFOW launch{};
    launch.cbSize = sizeof launch;
    // A launch that fails must not put up a box of the shell's own, which
    // nobody may be there to answer; and it is over when the call returns,
    // from a thread without a message loop too.
    launch.fMask = SEE_MASK_FLAG_NO_UI | SEE_MASK_NOASYNC;
    launch.hwnd = owner;
    launch.lpFile = wideFile.c_str();
    launch.lpParameters = parameters.empty() ? nullptr : wideParameters.c_str();
    launch.lpDirectory = directory.empty() ? nullptr : wideDirectory.c_str();
    launch.nShow = showMode;
    if (ShellExecuteExW(&launch)) return std::nullopt;
    return LastErrorText();
}

}  // namespace vigilor
