#pragma once
// The monitoring engine as the program runs it, for benchmarks: its own
// thread and waits, the system's readers, mail off, and a view that only
// counts the passes that ended. Pass() forces one and returns once it has
// ended.
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>
#include <vector>

#include "config/registry_store_win.h"
#include "monitor/engine_system_win.h"
#include "monitor/monitor_engine.h"

namespace vigilor {

class EnginePass : private EngineView {
public:
    explicit EnginePass(std::vector<std::string> rows)
        : system_([] { return std::make_unique<RegistryStore>("SOFTWARE\\Vigilor1Bench"); }),
          engine_(system_, *this, {"0.0.0.0", "BENCH"}, QuietSettings(), std::move(rows)) {}

    // False when the pass did not end within a minute.
    bool Pass() {
        std::unique_lock lock(mutex_);
        const int before = ended_;
        engine_.ForceCheck();
        return changed_.wait_for(lock, std::chrono::minutes(1), [&] { return ended_ > before; });
    }
    // The failure reports of the latest pass, with their time stamps.
    std::vector<std::string> Reports() {
        const std::lock_guard lock(mutex_);
        return reports_;
    }

private:
    static ProgramSettings QuietSettings() {
        ProgramSettings settings;
        settings.notifyByMail = false;
        settings.screenNotify = false;
        return settings;
    }
    void Post(EngineEvent event) override {
        const std::lock_guard lock(mutex_);
        if (event.kind == EngineEvent::Kind::ReportsCleared) reports_.clear();
        if (event.kind == EngineEvent::Kind::ReportLine) reports_.push_back(std::move(event.text));
        if (event.kind != EngineEvent::Kind::PassEnded) return;
        ++ended_;
        changed_.notify_all();
    }

    std::mutex mutex_;
    std::condition_variable changed_;
    int ended_ = 0;
    std::vector<std::string> reports_;
    WindowsEngineSystem system_;
    MonitorEngine engine_;
};

}  // namespace vigilor
