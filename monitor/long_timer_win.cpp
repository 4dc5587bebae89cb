#include "monitor/long_timer_win.h"

namespace vigilor {

bool WindowTimer::Start(unsigned milliseconds) {
    running_ = SetTimer(window_, id_, milliseconds, nullptr) != 0;
    return running_;
}

void WindowTimer::Stop() {
    if (running_) KillTimer(window_, id_);
    running_ = false;
}

}  // namespace vigilor
