#pragma once
// The monitoring engine: monitoring on or off, the interval timer, the
// check pass with its readers, the row memory, the alerted list, the alerts
// and their channels, the page and metrics files, with its own copy of the
// settings and of the monitored list. It runs on a thread of its own. Its
// commands may come from any thread and never wait for a pass; what it
// finds goes out as events to a view. Nothing in it waits for a person.
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <stop_token>
#include <string>
#include <thread>
#include <vector>

#include "config/key_value_store.h"
#include "config/settings.h"
#include "monitor/graphic_light.h"
#include "monitor/pass_reads.h"
#include "notify/alert_host.h"
#include "notify/attendance.h"
#include "notify/local_time.h"
#include "notify/smtp_client.h"
#include "services/service_platform.h"

namespace vigilor {

// What the engine tells its view. Posted from the engine's thread; a view
// must not wait in Post for anything the engine might be waiting for.
struct EngineEvent {
    enum class Kind {
        ReportsCleared,   // a pass begins: the failure reports of the last one go
        ReportLine,       // text: a time-stamped failure report
        Status,           // text: the status line
        Alarm,            // the display turns red
        AllClear,         // the display turns blue and green
        AlarmsCleared,    // Reset: reports emptied, display all clear, light green
        Light,            // light, blinking
        ProgressShown,    // number: rows of the pass
        Progress,         // number: the row being checked
        ProgressHidden,
        PassEnded,
        Error,            // text: for the user at the screen, who asked for the pass
        EmailDisabled,    // the mail client gave up: e-mail notification is off
        ServicesChanged,  // text: a computer whose services the pass started
    };
    Kind kind;
    std::string text;
    int number = 0;
    ActiveLight light = ActiveLight::alGreen;
    bool blinking = false;
};

// A batch of events without those whose effect a later one of the same
// batch overwrites before anyone could see it: a status line, a progress
// position, the red or all-clear display, the light. Each costs the window
// a repaint, and a pass posts them for every row.
std::vector<EngineEvent> WithoutOverwritten(std::vector<EngineEvent> events);

class EngineView {
public:
    virtual ~EngineView() = default;
    virtual void Post(EngineEvent event) = 0;
};

// What the engine uses of the system; each call is made on the engine's
// thread unless it says otherwise.
class EngineSystem {
public:
    virtual ~EngineSystem() = default;
    // The settings key, opened for one operation; from any thread.
    virtual std::unique_ptr<KeyValueStore> OpenStore() = 0;
    virtual NotificationChannels& Channels() = 0;
    virtual TNMSMTP& MailClient() = 0;
    virtual RowReaderFactory& Readers() = 0;
    virtual ServicePlatform& Services() = 0;
    // The restart's wait between two looks at the service; false once the
    // engine's waits are cancelled.
    virtual bool PauseForRestart(std::uint32_t milliseconds) = 0;
    virtual void WriteStatusPage(const std::string& path, const std::vector<std::string>& lines) = 0;
    virtual void WriteMetricsFile(const std::string& path, const std::string& text) = 0;
    virtual LocalTime Now() = 0;
    // Seconds that only move forward.
    virtual std::int64_t MonotonicSeconds() = 0;
    // The engine's thread begins and ends.
    virtual void ThreadBegins() {}
    virtual void ThreadEnds() {}
    // From any thread: whatever the engine's thread waits for (a mail
    // server, a launched program, a starting service) is given up at once,
    // and so is every later wait until ResumeWaits.
    virtual void CancelWaits() = 0;
    virtual void ResumeWaits() = 0;
};

struct EngineLimits {
    std::chrono::milliseconds readBound{60000};  // one computer's reads
    std::chrono::milliseconds closeBound{30000};  // a pass the window's close waits for
};

struct EngineIdentity {
    std::string versionText;
    std::string monitoredBy;  // who monitors, for the metrics: MonitoredBy(computer, user)
};

// What the engine is doing, as its commands have left it.
struct EngineState {
    bool monitoring = false;
    bool passRunning = false;
    bool timerOn = false;  // the interval timer counts towards a timed pass
    int minutes = 0;       // its interval
};

// The answer to Start: true when monitoring runs; otherwise the texts
// that refuse it, for the user at the screen.
struct StartAnswer {
    bool started = false;
    std::vector<std::string> refusals;  // for the boxes, in order
    bool emailDisabled = false;         // incomplete mail settings switched e-mail off
};

// What the window drives: an engine of its own, or the Windows service's.
class Monitoring {
public:
    virtual ~Monitoring() = default;
    virtual StartAnswer Start(Attendance attendance) = 0;
    virtual void Stop() = 0;
    virtual void Reset() = 0;
    virtual bool ForceCheck(Attendance attendance = Attendance::Attended) = 0;
    virtual void SettingsChanged(ProgramSettings settings) = 0;
    virtual void ListChanged(std::vector<std::string> rows) = 0;
    virtual EngineState State() const = 0;
};

class MonitorEngine : public Monitoring {
public:
    // Starts the engine's thread; monitoring is off.
    MonitorEngine(EngineSystem& system, EngineView& view, EngineIdentity identity, ProgramSettings settings,
                  std::vector<std::string> rows, EngineLimits limits = {});
    // Ends the engine as End(closeBound) does.
    ~MonitorEngine();
    MonitorEngine(const MonitorEngine&) = delete;
    MonitorEngine& operator=(const MonitorEngine&) = delete;

    // Starts monitoring: the first timed pass comes one interval later. The
    // user at the screen gets the texts that refuse it (an empty list,
    // incomplete mail settings, which then switch e-mail notification
    // off); unattended, incomplete mail settings are reported and
    // monitoring starts.
    StartAnswer Start(Attendance attendance) override;
    // A running pass goes on to its end; no timed pass follows it.
    void Stop() override;
    // Forgets the alerts, the row memory and the failure reports; between
    // passes.
    void Reset() override;
    // One pass now, for the user at the screen unless said otherwise; false
    // when a pass is running or already asked for.
    bool ForceCheck(Attendance attendance = Attendance::Attended) override;
    // The interval has passed: the timed pass runs now (when monitoring).
    void TimerFired();
    // Taken between passes.
    void SettingsChanged(ProgramSettings settings) override;
    // At once: the running pass checks the rows it began with, but acts
    // only on rows still listed, with their options as listed now.
    void ListChanged(std::vector<std::string> rows) override;
    // Whatever the running pass waits for is given up; the pass ends.
    void AbandonPass();
    // Ends the thread: a running pass may finish within bound, then what it
    // waits for is abandoned. False when the thread did not end even then
    // (a call that cannot be cancelled); it is let go.
    bool End(std::chrono::milliseconds bound);

    EngineState State() const override;
    // Passes ended since the engine started.
    std::uint64_t PassesEnded() const;

private:
    class Core;
    std::shared_ptr<Core> core_;
    std::thread thread_;
};

}  // namespace vigilor
