#pragma once
// The system timer under TLongTimer: a window-message timer, so that the
// handler runs on the window's thread.
#include <windows.h>

#include "monitor/long_timer.h"

namespace vigilor {

class WindowTimer : public PeriodicTimer {
public:
    WindowTimer(HWND window, UINT_PTR id) : window_(window), id_(id) {}
    ~WindowTimer() override { Stop(); }
    bool Start(unsigned milliseconds) override;
    void Stop() override;
    bool Running() const { return running_; }

private:
    HWND window_;
    UINT_PTR id_;
    bool running_ = false;
};

}  // namespace vigilor
