#include "monitor/long_timer.h"

#include "platform/app_error.h"

namespace vigilor {

void TLongTimer::SetEnabled(bool enabled) {
    if (enabled == enabled_) return;
    enabled_ = enabled;
    Rearm();
}

void TLongTimer::SetMinutes(uint16_t minutes) {
    if (minutes == minutes_) return;
    minutes_ = minutes;
    Rearm();
}

void TLongTimer::SetOnTimer(std::function<void()> handler) {
    onTimer_ = std::move(handler);
    Rearm();
}

void TLongTimer::Rearm() {
    timer_.Stop();
    armed_ = false;
    if (!enabled_ || minutes_ == 0 || !onTimer_) return;
    count_ = 0;
    if (!timer_.Start(kMinuteMs)) throw AppError("<TLongTimer> Could not allocate a new timer!");
    armed_ = true;
}

void TLongTimer::Tick() {
    if (!armed_) return;
    if (++count_ < minutes_) return;
    count_ = 0;
    onTimer_();
}

}  // namespace vigilor
