#include "monitor/monitor_engine.h"

#include <algorithm>
#include <exception>
#include <map>
#include <set>
#include <utility>

#include "monitor/check_pass.h"
#include "monitor/long_timer.h"
#include "monitor/metrics_output.h"
#include "monitor/monitored_service.h"
#include "monitor/row_memory.h"
#include "notify/alerted_list.h"
#include "notify/email_alerts.h"
#include "notify/failure_reports.h"
#include "notify/unattended_report.h"
#include "platform/text.h"
#include "services/service_session.h"

namespace vigilor {

namespace {

using Clock = std::chrono::steady_clock;

constexpr const char* kNothingToMonitor = "How can I start monitoring, when there are no services to monitor!";
constexpr const char* kMissingMailSettings =
    "Missing e-mail parameters. Please use the settings button to update them.";
// After its bound a pass is abandoned; this is how long its thread then
// gets to leave what it was in.
constexpr std::chrono::milliseconds kAbandonGrace{2000};

std::string RowIdentity(const MonitoredService& row) { return UpperAscii(row.server) + "\t" + UpperAscii(row.service); }

// The minute ticks of the interval timer, taken by the engine's loop.
class MinuteTicks : public PeriodicTimer {
public:
    bool Start(unsigned milliseconds) override {
        period_ = std::chrono::milliseconds(milliseconds);
        next_ = Clock::now() + period_;
        return true;
    }
    void Stop() override { next_.reset(); }
    const std::optional<Clock::time_point>& Next() const { return next_; }
    bool Due() const { return next_ && Clock::now() >= *next_; }
    void Ticked() { next_ = *next_ + period_; }

private:
    std::chrono::milliseconds period_{0};
    std::optional<Clock::time_point> next_;
};

}  // namespace

class MonitorEngine::Core : private PassHost, private AlertHost, private FailureMemo {
public:
    Core(EngineSystem& system, EngineView& view, EngineIdentity identity, ProgramSettings settings,
         std::vector<std::string> rows, EngineLimits limits)
        : system_(system),
          view_(&view),
          identity_(std::move(identity)),
          limits_(limits),
          settings_(settings),
          latest_(std::move(settings)),
          rows_(std::move(rows)),
          alerts_(static_cast<AlertHost&>(*this), system_.Channels(), system_.MailClient()),
          metrics_(identity_.monitoredBy, settings_, alerts_.Raised(), static_cast<FailureMemo&>(*this),
                   system_.Channels(),
                   [this](const std::string& path, const std::string& text) { system_.WriteMetricsFile(path, text); }) {
        MonitorTimer.SetEnabled(false);
        MonitorTimer.SetMinutes(static_cast<std::uint16_t>(settings_.scanInterval));
        MonitorTimer.SetOnTimer([this] { timerDue_ = monitoring_; });
        IndexRowsLocked();
    }

    void Run();

    StartAnswer Start(Attendance attendance);
    void Stop();
    void Reset();
    bool ForceCheck(Attendance attendance);
    void TimerFired();
    void SettingsChanged(ProgramSettings settings);
    void ListChanged(std::vector<std::string> rows);
    void AbandonPass();
    bool End(std::chrono::milliseconds bound);
    EngineState State() const {
        const std::lock_guard lock(mutex_);
        return {monitoring_, passRunning_, MonitorTimer.Armed(), MonitorTimer.Minutes()};
    }
    std::uint64_t PassesEnded() const {
        const std::lock_guard lock(mutex_);
        return passesEnded_;
    }

private:
    // ----- between the threads, under mutex_ -----
    void PostLocked(EngineEvent event) {
        if (view_) view_->Post(std::move(event));
    }
    void Post(EngineEvent event) {
        const std::lock_guard lock(mutex_);
        PostLocked(std::move(event));
    }
    void Post(EngineEvent::Kind kind, std::string text = {}, int number = 0) { Post({kind, std::move(text), number}); }
    // The light as the state has it: red and blinking while monitoring.
    void PostStateLightLocked() {
        PostLocked({EngineEvent::Kind::Light, {}, 0, monitoring_ ? ActiveLight::alRed : ActiveLight::alGreen,
                    monitoring_});
    }
    bool WorkWaiting() const {
        return ending_ || forceRequested_ || timerDue_ || resetRequested_ || pendingSettings_ ||
               !pendingForget_.empty() || !pendingReports_.empty() || ticks_.Due();
    }

    // ----- the engine's thread -----
    void RunPass(Attendance attendance);
    void ApplySettings(ProgramSettings settings);
    void ForgetRemovedRows(std::vector<MonitoredService> removed);
    // A message for the user who is not at the screen: a failure report and
    // an event entry, which must not end anything when the log refuses it.
    void ReportUnattended(const std::string& text);
    void LogQuietly(const AppEvent& entry);
    // Runs one alert call; a call that switched e-mail off tells the view,
    // and one that returned because the pass was abandoned ends the pass.
    template <typename Call>
    void Alerting(const std::string& what, Call call);
    void Doing(std::string activity) {
        const std::lock_guard lock(mutex_);
        activity_ = std::move(activity);
    }
    void EndIfAbandoned() {
        if (abandon_.stop_requested()) throw PassAbandoned{};
    }

    // PassHost
    ProgramSettings& Settings() override { return settings_; }
    std::string ServiceKeyName(const std::string& machine, const std::string& displayName) override {
        return Session().KeyName(machine, displayName);
    }
    bool ServiceStartAndWait(const std::string& machine, const std::string& keyName) override {
        Doing("the restart of " + keyName + " on " + machine);
        const bool started = Session().StartAndWait(machine, keyName);
        EndIfAbandoned();
        return started;
    }
    void ReleasePassResources() override { session_.reset(); }
    void ClearFailureReports() override {
        lines_.clear();
        Post(EngineEvent::Kind::ReportsCleared);
    }
    void AppendFailureReport(const std::string& message) override {
        vigilor::AppendFailureReport(static_cast<FailureMemo&>(*this), system_.Now(), message);
    }
    void ShowStatus(const std::string& text) override { Post(EngineEvent::Kind::Status, text); }
    void ShowAlarm() override { Post(EngineEvent::Kind::Alarm); }
    void ShowAllClear() override { Post(EngineEvent::Kind::AllClear); }
    void ShowProgress(int rows) override { Post(EngineEvent::Kind::ProgressShown, {}, rows); }
    void SetProgress(int row) override { Post(EngineEvent::Kind::Progress, {}, row); }
    void HideProgress() override { Post(EngineEvent::Kind::ProgressHidden); }
    // Nobody need be at the screen: the pointer is the window's business.
    void SetCursor(ScreenCursor) override {}
    void ReloadAllServices() override { Post(EngineEvent::Kind::ServicesChanged); }
    void SendFailureAlert(const std::string& machine, const std::string& service) override {
        Alerting("the alert for " + machine + "@" + service, [&] { alerts_.SendFailureAlert(machine, service); });
    }
    void SendRestartNotice(const std::string& machine, const std::string& service) override {
        Alerting("the restart notice for " + machine + "@" + service,
                 [&] { alerts_.SendRestartNotice(machine, service); });
    }
    void SendScreenMessage(const std::string& message, const std::string& recipient) override {
        if (!system_.Channels().SendScreenMessage(message, recipient))
            AppendFailureReport(UndeliveredScreenLine(recipient));
    }
    void SendAlert(const AlertMessage& alert) override {
        Alerting("the alert for " + alert.key, [&] { alerts_.SendAlert(alert); });
    }
    void WithdrawAlert(const std::string& key) override { alerted_.Remove(key); }
    RowMemory& Memory() override { return memory_; }
    PassRecord& Record() override { return metrics_.Record(); }
    std::int64_t MonotonicSeconds() override { return system_.MonotonicSeconds(); }
    LocalTime Now() override { return system_.Now(); }
    void WriteStatusPage(const std::string& path, const std::vector<std::string>& lines) override {
        system_.WriteStatusPage(path, lines);
    }
    std::optional<MonitoredService> CurrentRow(const MonitoredService& row) override {
        const std::lock_guard lock(mutex_);
        const auto it = listed_.find({row.server, row.service});
        if (it == listed_.end()) return std::nullopt;
        return it->second;
    }
    // The rows by machine and service, the first of equal ones.
    void IndexRowsLocked() {
        listed_.clear();
        for (const std::string& listed : rows_) {
            MonitoredService row = MonitoredService::FromRow(listed);
            listed_.emplace(std::pair{row.server, row.service}, std::move(row));
        }
    }
    bool Alerted(const std::string& key) override { return alerted_.Contains(key); }
    void ReportRowError(const std::string& text) override {
        EndIfAbandoned();
        if (!toldThisPass_.insert(text).second) return;
        if (attendance_ == Attendance::Attended)
            Post(EngineEvent::Kind::Error, text);
        else
            ReportUnattended(text);
    }

    // AlertHost
    vigilor::AlertedList& Alerted() override { return alerted_; }
    FailureMemo& Memo() override { return *this; }
    std::string VersionText() override { return identity_.versionText; }
    std::unique_ptr<KeyValueStore> OpenStore() override { return system_.OpenStore(); }
    void RepaintNow() override {}
    void ShowError(const std::string& text) override { Post(EngineEvent::Kind::Error, text); }
    ScreenCursor CurrentCursor() override { return ScreenCursor::Default; }

    // FailureMemo. Whether a separator goes before a line depends on how
    // the view wraps the lines before it, which only the view knows.
    int DisplayedLineCount() override { return 0; }
    void AppendLine(const std::string& line) override {
        lines_.push_back(line);
        Post(EngineEvent::Kind::ReportLine, line);
    }
    std::vector<std::string> Lines() override { return lines_; }

    ServiceSession& Session() {
        if (!session_)
            session_ = std::make_unique<ServiceSession>(
                system_.Services(), StartWaitLimits{},
                [this](std::uint32_t milliseconds) { return system_.PauseForRestart(milliseconds); });
        return *session_;
    }

    EngineSystem& system_;

    // Shared with the commands' threads.
    mutable std::mutex mutex_;
    std::condition_variable changed_;
    std::condition_variable ended_;
    EngineView* view_;
    bool monitoring_ = false;
    bool passRunning_ = false;
    bool forceRequested_ = false;
    Attendance forceAttendance_ = Attendance::Attended;
    bool timerDue_ = false;
    bool resetRequested_ = false;
    bool ending_ = false;
    bool threadEnded_ = false;
    // The timer of the timed passes, counting the minute ticks; the
    // commands switch it on and off.
    MinuteTicks ticks_;
    TLongTimer MonitorTimer{ticks_};
    std::optional<ProgramSettings> pendingSettings_;
    std::vector<MonitoredService> pendingForget_;
    std::vector<std::string> pendingReports_;
    std::uint64_t passesEnded_ = 0;
    std::string activity_;
    std::string abandonedActivity_;
    std::stop_source abandon_;

    // The engine's thread alone.
    const EngineIdentity identity_;
    const EngineLimits limits_;
    ProgramSettings settings_;
    ProgramSettings latest_;  // under mutex_: the settings last given, taken or not
    std::vector<std::string> rows_;  // under mutex_: the list as it is now
    std::map<std::pair<std::string, std::string>, MonitoredService> listed_;  // under mutex_: rows_ by row
    vigilor::AlertedList alerted_;
    RowMemory memory_;
    EmailAlerts alerts_;
    MetricsOutput metrics_;
    LingeringWorkers lingering_;
    std::unique_ptr<ServiceSession> session_;
    std::vector<std::string> lines_;
    Attendance attendance_ = Attendance::Unattended;
    std::set<std::string> toldThisPass_;

    friend class MonitorEngine;
};

// ----- commands -----

StartAnswer MonitorEngine::Core::Start(Attendance attendance) {
    StartAnswer answer;
    std::unique_lock lock(mutex_);
    if (monitoring_) {
        answer.started = true;
        return answer;
    }
    if (rows_.empty()) {
        if (attendance == Attendance::Attended)
            answer.refusals.push_back(kNothingToMonitor);
        else
            pendingReports_.push_back(kNothingToMonitor);
        changed_.notify_all();
        return answer;
    }
    if (MailIsToBeSent(latest_)) {
        lock.unlock();
        std::optional<std::string> missing;
        {
            const std::unique_ptr<KeyValueStore> raw = system_.OpenStore();
            SettingsStore store(*raw);
            missing = FirstMissingMailSetting(store);
        }
        lock.lock();
        if (monitoring_) {
            answer.started = true;
            return answer;
        }
        if (missing && attendance == Attendance::Attended) {
            answer.refusals = {*missing, kMissingMailSettings};
            answer.emailDisabled = true;
            latest_.notifyByMail = false;
            pendingSettings_ = latest_;
            changed_.notify_all();
            return answer;
        }
        // Alerts go to the failure reports and the event log until the
        // settings are complete.
        if (missing) pendingReports_.push_back(*missing);
    }
    monitoring_ = true;
    MonitorTimer.SetEnabled(true);
    changed_.notify_all();
    answer.started = true;
    return answer;
}

void MonitorEngine::Core::Stop() {
    const std::lock_guard lock(mutex_);
    if (!monitoring_) return;
    monitoring_ = false;
    timerDue_ = false;
    MonitorTimer.SetEnabled(false);
    changed_.notify_all();
}

void MonitorEngine::Core::Reset() {
    const std::lock_guard lock(mutex_);
    resetRequested_ = true;
    changed_.notify_all();
}

bool MonitorEngine::Core::ForceCheck(Attendance attendance) {
    const std::lock_guard lock(mutex_);
    if (passRunning_ || forceRequested_) return false;
    forceRequested_ = true;
    forceAttendance_ = attendance;
    changed_.notify_all();
    return true;
}

void MonitorEngine::Core::TimerFired() {
    const std::lock_guard lock(mutex_);
    // The timer is off while a timed pass runs.
    if (!monitoring_ || passRunning_) return;
    timerDue_ = true;
    changed_.notify_all();
}

void MonitorEngine::Core::SettingsChanged(ProgramSettings settings) {
    const std::lock_guard lock(mutex_);
    latest_ = settings;
    pendingSettings_ = std::move(settings);
    changed_.notify_all();
}

void MonitorEngine::Core::ListChanged(std::vector<std::string> rows) {
    const std::lock_guard lock(mutex_);
    std::set<std::string> kept;
    for (const std::string& row : rows) kept.insert(RowIdentity(MonitoredService::FromRow(row)));
    for (const std::string& row : rows_) {
        MonitoredService old = MonitoredService::FromRow(row);
        if (kept.count(RowIdentity(old)) == 0) pendingForget_.push_back(std::move(old));
    }
    rows_ = std::move(rows);
    IndexRowsLocked();
    changed_.notify_all();
}

void MonitorEngine::Core::AbandonPass() {
    {
        const std::lock_guard lock(mutex_);
        if (!passRunning_ || abandon_.stop_requested()) return;
        abandonedActivity_ = activity_;
        abandon_.request_stop();
    }
    system_.CancelWaits();
}

bool MonitorEngine::Core::End(std::chrono::milliseconds bound) {
    std::unique_lock lock(mutex_);
    ending_ = true;
    changed_.notify_all();
    if (ended_.wait_for(lock, bound, [this] { return threadEnded_; })) return true;
    lock.unlock();
    AbandonPass();
    lock.lock();
    if (ended_.wait_for(lock, kAbandonGrace, [this] { return threadEnded_; })) return true;
    // A call that cannot be cancelled holds the thread; it ends on its own,
    // telling nobody.
    view_ = nullptr;
    return false;
}

// ----- the engine's thread -----

void MonitorEngine::Core::Run() {
    system_.ThreadBegins();
    std::unique_lock lock(mutex_);
    while (!ending_) {
        if (ticks_.Next())
            changed_.wait_until(lock, *ticks_.Next(), [this] { return WorkWaiting(); });
        else
            changed_.wait(lock, [this] { return WorkWaiting(); });
        if (ending_) break;
        if (ticks_.Due()) {
            ticks_.Ticked();
            MonitorTimer.Tick();
        }
        std::optional<ProgramSettings> settings = std::exchange(pendingSettings_, std::nullopt);
        std::vector<MonitoredService> removed = std::exchange(pendingForget_, {});
        std::vector<std::string> reports = std::exchange(pendingReports_, {});
        const bool reset = std::exchange(resetRequested_, false);
        lock.unlock();
        if (settings) ApplySettings(std::move(*settings));
        ForgetRemovedRows(std::move(removed));
        for (const std::string& text : reports) ReportUnattended(text);
        if (reset) {
            alerted_.Clear();
            memory_.Clear();
            lines_.clear();
            Post(EngineEvent::Kind::AlarmsCleared);
        }
        lock.lock();

        if (forceRequested_) {
            forceRequested_ = false;
            passRunning_ = true;
            PostLocked({EngineEvent::Kind::Light, {}, 0, ActiveLight::alRed, true});
            const Attendance attendance = forceAttendance_;
            lock.unlock();
            RunPass(attendance);
            lock.lock();
            passRunning_ = false;
            ++passesEnded_;
            PostStateLightLocked();
            PostLocked({EngineEvent::Kind::PassEnded, {}});
        } else if (timerDue_) {
            timerDue_ = false;
            if (!monitoring_) continue;
            passRunning_ = true;
            MonitorTimer.SetEnabled(false);
            lock.unlock();
            RunPass(Attendance::Unattended);
            lock.lock();
            passRunning_ = false;
            ++passesEnded_;
            // Passes are an interval apart from the end of one to the start
            // of the next; none follows a Stop.
            if (monitoring_) MonitorTimer.SetEnabled(true);
            PostLocked({EngineEvent::Kind::PassEnded, {}});
        }
    }
    lock.unlock();
    system_.ThreadEnds();
    lock.lock();
    threadEnded_ = true;
    ended_.notify_all();
}

void MonitorEngine::Core::ApplySettings(ProgramSettings settings) {
    settings_ = std::move(settings);
    const std::lock_guard lock(mutex_);
    MonitorTimer.SetMinutes(static_cast<std::uint16_t>(settings_.scanInterval));
}

void MonitorEngine::Core::ForgetRemovedRows(std::vector<MonitoredService> removed) {
    for (const MonitoredService& row : removed) memory_.Forget(row.server, row.service);
}

void MonitorEngine::Core::LogQuietly(const AppEvent& entry) {
    try {
        system_.Channels().WriteEvent(entry);
    } catch (const std::exception&) {
        // The failure report holds it; a refused event entry must not end
        // the pass.
    }
}

void MonitorEngine::Core::ReportUnattended(const std::string& text) {
    vigilor::ReportUnattended(static_cast<FailureMemo&>(*this), system_.Channels(), system_.Now(), text);
}

template <typename Call>
void MonitorEngine::Core::Alerting(const std::string& what, Call call) {
    Doing(what);
    const bool mailOn = settings_.notifyByMail;
    struct MailSwitch {
        Core& core;
        bool before;
        ~MailSwitch() {
            if (!before || core.settings_.notifyByMail) return;
            {
                const std::lock_guard lock(core.mutex_);
                core.latest_.notifyByMail = false;
            }
            core.Post(EngineEvent::Kind::EmailDisabled);
        }
    } mailSwitch{*this, mailOn};
    call();
    EndIfAbandoned();
}

void MonitorEngine::Core::RunPass(Attendance attendance) {
    std::vector<std::string> rows;
    std::stop_token abandon;
    {
        const std::lock_guard lock(mutex_);
        abandon_ = std::stop_source{};
        abandon = abandon_.get_token();
        abandonedActivity_.clear();
        rows = rows_;
    }
    system_.ResumeWaits();
    lingering_.JoinEnded();
    attendance_ = attendance;
    toldThisPass_.clear();
    {
        const PassAttendance scope(alerts_, attendance);
        const RecordedPass recorded(metrics_, rows);
        try {
            RunCheckPass(*this, rows, system_.Readers(), ReadLimits{limits_.readBound, abandon, &lingering_});
        } catch (const PassAbandoned&) {
            std::string activity;
            {
                const std::lock_guard lock(mutex_);
                activity = abandonedActivity_;
            }
            ReportUnattended(activity.empty() ? "Check abandoned: Vigilor is closing"
                                              : "Abandoned " + activity + ": Vigilor is closing");
        } catch (const std::exception& error) {
            ReportUnattended(error.what());
        } catch (...) {
            ReportUnattended("Unknown error");
        }
    }
    Doing({});
    // A row removed while the pass ran may have been remembered again.
    std::vector<MonitoredService> removed;
    {
        const std::lock_guard lock(mutex_);
        removed = std::exchange(pendingForget_, {});
    }
    ForgetRemovedRows(std::move(removed));
}

// ----- the engine as its users see it -----

MonitorEngine::MonitorEngine(EngineSystem& system, EngineView& view, EngineIdentity identity,
                             ProgramSettings settings, std::vector<std::string> rows, EngineLimits limits)
    : core_(std::make_shared<Core>(system, view, std::move(identity), std::move(settings), std::move(rows), limits)) {
    thread_ = std::thread([core = core_] {
        try {
            core->Run();
        } catch (...) {
            // Nothing may end the program from here; the thread's end is
            // what its users wait for.
            const std::lock_guard lock(core->mutex_);
            core->threadEnded_ = true;
            core->ended_.notify_all();
        }
    });
}

MonitorEngine::~MonitorEngine() { End(core_->limits_.closeBound); }

bool MonitorEngine::End(std::chrono::milliseconds bound) {
    if (!thread_.joinable()) return true;
    const bool ended = core_->End(bound);
    if (ended)
        thread_.join();
    else
        thread_.detach();
    return ended;
}

StartAnswer MonitorEngine::Start(Attendance attendance) { return core_->Start(attendance); }
void MonitorEngine::Stop() { core_->Stop(); }
void MonitorEngine::Reset() { core_->Reset(); }
bool MonitorEngine::ForceCheck(Attendance attendance) { return core_->ForceCheck(attendance); }
void MonitorEngine::TimerFired() { core_->TimerFired(); }
void MonitorEngine::SettingsChanged(ProgramSettings settings) { core_->SettingsChanged(std::move(settings)); }
void MonitorEngine::ListChanged(std::vector<std::string> rows) { core_->ListChanged(std::move(rows)); }
void MonitorEngine::AbandonPass() { core_->AbandonPass(); }
EngineState MonitorEngine::State() const { return core_->State(); }
std::uint64_t MonitorEngine::PassesEnded() const { return core_->PassesEnded(); }

std::vector<EngineEvent> WithoutOverwritten(std::vector<EngineEvent> events) {
    using Kind = EngineEvent::Kind;
    bool laterStatus = false, laterProgress = false, laterDisplay = false, laterLight = false;
    std::vector<EngineEvent> kept;
    kept.reserve(events.size());
    for (auto event = events.rbegin(); event != events.rend(); ++event) {
        bool overwritten = false;
        switch (event->kind) {
            case Kind::Status: overwritten = std::exchange(laterStatus, true); break;
            case Kind::Progress: overwritten = std::exchange(laterProgress, true); break;
            case Kind::ProgressShown:
            case Kind::ProgressHidden: laterProgress = true; break;
            case Kind::Alarm:
            case Kind::AllClear: overwritten = std::exchange(laterDisplay, true); break;
            case Kind::AlarmsCleared: laterDisplay = true; break;
            case Kind::Light: overwritten = std::exchange(laterLight, true); break;
            default: break;
        }
        if (!overwritten) kept.push_back(std::move(*event));
    }
    std::reverse(kept.begin(), kept.end());
    return kept;
}

}  // namespace vigilor
