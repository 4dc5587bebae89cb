#pragma once
// The command line a launched program is started with, and how long it is
// waited for.
#include <cstdint>
#include <string>

namespace vigilor {

// Longest wait for a program started with "wait for execution to finish";
// then it is left running and the check goes on.
constexpr std::uint32_t kLaunchWaitMs = 5 * 60 * 1000;

// What RunAndWait saw of the program it started.
struct RunResult {
    // Abandoned: the wait was given up before the time ran out, the program
    // left running.
    enum class End { Exited, NotStarted, StillRunning, Abandoned };
    End end = End::NotStarted;
    int exitCode = -1;  // the program's, once it has exited; else -1
    std::string failure = {};  // why it was not started
};

// The warning that a program chosen to run could not be started, and why.
std::string LaunchFailureLine(const std::string& program, const std::string& why);

// The command line RunAndWait hands to the system: one that is a single
// path holding blanks gets quoted, so that the system starts the named
// file and not a shorter path that happens to exist; a line that starts
// with a quote, or has no blank, is left as it is.
std::string QuotedCommandLine(const std::string& commandLine);

}  // namespace vigilor
