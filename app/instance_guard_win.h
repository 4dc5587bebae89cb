#pragma once
// One running instance per program file: a named mutex held for the
// whole life of the process.
#include <string>

#include "platform/handles_win.h"

namespace vigilor {

class InstanceGuard {
public:
    // programFileName: the program's file name without folder.
    explicit InstanceGuard(const std::string& programFileName);
    bool AnotherInstanceRuns() const { return another_; }
    // Restores and brings forward the running instance's main window.
    static void BringRunningInstanceForward();

    static std::string MutexName(const std::string& programFileName);

private:
    KernelHandle mutex_;
    bool another_ = false;
};

}  // namespace vigilor
