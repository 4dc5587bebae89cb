#pragma once
// Monitoring control: Start, Stop, Reset, "Force check now" and the timed
// pass, with the state they share held here and nowhere else: whether
// monitoring runs and whether a pass is running. One pass runs at a time.
#include <cstddef>
#include <string>

#include "monitor/graphic_light.h"
#include "monitor/row_memory.h"
#include "notify/attendance.h"

namespace vigilor {

// What monitoring control asks of the main window.
class MonitoringHost {
public:
    virtual ~MonitoringHost() = default;
    virtual std::size_t MonitoredCount() = 0;
    virtual bool NotifyByMail() = 0;
    // Checks the e-mail settings, showing the message of the first one
    // missing; true when they are complete.
    virtual bool MailSettingsComplete() = 0;
    virtual void DisableEmail() = 0;
    virtual void ShowError(const std::string& text) = 0;
    // The status light's colour, blinking or steady.
    virtual void SetLight(ActiveLight light, bool blinking) = 0;
    // Buttons, lists and menus as the monitoring state has them.
    virtual void SetMonitoringControls(bool monitoring) = 0;
    // The minute timer; switching it on starts its count from 0.
    virtual void SetMonitorTimer(bool on) = 0;
    // One check pass; unattended, nothing in it may wait for a click.
    virtual void RunCheckPass(Attendance attendance) = 0;
    // Light, memo and icon back to all clear.
    virtual void ClearAlarms() = 0;
    virtual void ClearAlertedList() = 0;
    // An error that ended a timed pass, reported without a modal box: a
    // time-stamped failure report, the red display and an event entry.
    virtual void ReportTimedPassError(const std::string& text) = 0;
    // Asks for the window's close again, as the user did.
    virtual void RepeatClose() = 0;
};

class MonitoringControl {
public:
    explicit MonitoringControl(MonitoringHost& host) : host_(host) {}

    bool Monitoring() const { return monitoring_; }
    bool PassRunning() const { return passRunning_; }
    // What the passes remember of the rows; Reset forgets it all.
    RowMemory& Memory() { return memory_; }

    void Start();
    // Takes effect between passes: a pass that runs is not interrupted, and
    // a timed pass that ends after Stop does not arm the timer again.
    void Stop();
    void Reset();
    // One pass at once, in any state; nothing when a pass is running. The
    // light shows the monitoring state again afterwards, however the pass
    // ended.
    void ForceCheck();
    // The minute timer's handler. An error of the pass is reported and the
    // timer armed again, so monitoring goes on.
    void TimerFired();
    // A close of the window asked for while a pass runs waits for the pass,
    // which would otherwise lose its window midway: true then, and
    // RepeatClose follows when the pass has ended.
    bool DeferClose();

private:
    // Runs one pass unless one is running; false when it did not run.
    bool RunOnePass(Attendance attendance);
    // The light as the state table has it: red and blinking while
    // monitoring, green and steady while idle.
    void ShowStateLight();

    MonitoringHost& host_;
    bool monitoring_ = false;
    bool passRunning_ = false;
    bool closeDeferred_ = false;
    RowMemory memory_;
};

}  // namespace vigilor
