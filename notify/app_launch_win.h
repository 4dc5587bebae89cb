#pragma once
// Starting the program chosen to run on a failure.
#include <windows.h>

#include <optional>
#include <string>

#include "notify/app_launch.h"

namespace vigilor {

constexpr size_t kMaxRunCommandLine = 512;
constexpr size_t kMaxShellText = 79;

// Starts the command line as a new process with a console of its own and
// waits, handling the window messages meanwhile, until it ends or timeoutMs
// have passed; a program still running then is left to run. Not started
// when the system refuses or the line is longer than kMaxRunCommandLine. A
// command line that is one path holding blanks is quoted, so that the named
// file is the one started.
RunResult RunAndWait(const std::string& commandLine, int showMode, DWORD timeoutMs = kLaunchWaitMs);

// Asks the shell to open the file with its default action, without a box
// of the shell's own; nullopt when it did, else why not. Texts longer than
// kMaxShellText are not launched.
std::optional<std::string> ShellLaunch(HWND owner, const std::string& file, const std::string& parameters,
                                       const std::string& directory, int showMode);

}  // namespace vigilor
