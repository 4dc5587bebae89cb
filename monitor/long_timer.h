#pragma once
// A timer for intervals of whole minutes: a 60 s system timer counts
// minutes and runs the handler every `Minutes` of them.
#include <cstdint>
#include <functional>

namespace vigilor {

// The system timer under it: one periodic tick.
class PeriodicTimer {
public:
    virtual ~PeriodicTimer() = default;
    virtual bool Start(unsigned milliseconds) = 0;  // false: no timer to be had
    virtual void Stop() = 0;
};

class TLongTimer {
public:
    static constexpr unsigned kMinuteMs = 60000;

    explicit TLongTimer(PeriodicTimer& timer) : timer_(timer) {}
    ~TLongTimer() { timer_.Stop(); }
    TLongTimer(const TLongTimer&) = delete;
    TLongTimer& operator=(const TLongTimer&) = delete;

    bool Enabled() const { return enabled_; }
    uint16_t Minutes() const { return minutes_; }
    // A change re-arms the timer, so the minute count starts from 0;
    // setting the value it has already does nothing.
    void SetEnabled(bool enabled);
    void SetMinutes(uint16_t minutes);
    void SetOnTimer(std::function<void()> handler);

    // One tick of the system timer.
    void Tick();
    bool Armed() const { return armed_; }
    uint16_t Count() const { return count_; }

private:
    void Rearm();

    PeriodicTimer& timer_;
    bool enabled_ = true;
    uint16_t minutes_ = 1;
    uint16_t count_ = 0;
    bool armed_ = false;
    std::function<void()> onTimer_;
};

}  // namespace vigilor
