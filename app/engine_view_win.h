#pragma once
// The main window as the monitoring engine's view: events are queued here
// from the engine's thread and one message tells the window to take them.
#include <windows.h>

#include <vector>
#include <mutex>

#include "monitor/monitor_engine.h"

namespace vigilor {

class WindowEngineView : public EngineView {
public:
    WindowEngineView(HWND window, UINT message) : window_(window), message_(message) {}

    void Post(EngineEvent event) override {
        const std::lock_guard lock(mutex_);
        const bool first = events_.empty();
        events_.push_back(std::move(event));
        // One message for however many events come before the window looks.
        if (first) PostMessageW(window_, message_, 0, 0);
    }
    std::vector<EngineEvent> Take() {
        const std::lock_guard lock(mutex_);
        return std::exchange(events_, {});
    }

private:
    HWND window_;
    UINT message_;
    std::mutex mutex_;
    std::vector<EngineEvent> events_;
};

}  // namespace vigilor
