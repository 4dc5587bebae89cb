#include "monitor/check_pass.h"

#include <memory>
#include <optional>
#include <set>

#include "monitor/monitored_service.h"
#include "monitor/status_page.h"
#include "notify/email_alerts.h"
#include "platform/text.h"

namespace vigilor {

namespace {

// No service manager holds a display name of more characters. A longer one
// (from a damaged store) is cut in the report lines, which go to the memo,
// the event log and the mail, all of which choke on lines of many
// thousand characters.
constexpr size_t kDisplayNameChars = 256;

std::string Shortened(const std::string& name) {
    const std::u16string chars = ToUtf16(name);
    if (chars.size() <= kDisplayNameChars) return name;
    return ToUtf8(chars.substr(0, kDisplayNameChars)) + "...";
}

std::string Quoted(const std::string& name) { return "\"" + Shortened(name) + "\""; }

bool HtmlOutputOn(const ProgramSettings& settings) {
    return settings.htmlOutputEnabled && !settings.htmlOutput.empty();
}

void Append(std::vector<std::string>& page, std::vector<std::string> lines) {
    page.insert(page.end(), std::make_move_iterator(lines.begin()), std::make_move_iterator(lines.end()));
}

// A row's failure other than a stopped service: its status word, its event
// entry, whose text is its memo line, and its alert.
struct RowFailure {
    std::string status;
    AppEvent entry;
    const char* kind;     // the alert key's suffix
    const char* subject;  // the alert mail's subject
};

std::string KindKey(const std::string& machine, const std::string& service, const char* kind) {
    return AlertKey(machine, service) + "@" + kind;
}

constexpr const char* kKeepsStopping = "KeepsStopping";

// The failure of a row whose service is neither running nor stopped, if it
// is one: not installed, unreadable, or pending or paused for kHungPasses
// passes in a row. A shorter wait is no failure yet.
std::optional<RowFailure> UnsettledRow(PassHost& host, const std::string& machine, const std::string& service,
                                       const ServiceReading& reading) {
    RowMemory& memory = host.Memory();
    const std::string name = Shortened(service);
    if (reading.kind == ServiceReading::Kind::NotInstalled) {
        memory.SeenSettled(machine, service);
        return RowFailure{kStatusNotFound, NotInstalledEvent(name, machine), "NotFound", "NT Service Not Found!"};
    }
    if (reading.kind == ServiceReading::Kind::Unreadable) {
        memory.SeenSettled(machine, service);
        return RowFailure{kStatusUnknown, UnreadableEvent(name, machine, reading.errorText), "Unknown",
                          "NT Service State Unknown!"};
    }
    const std::string word = WaitingStateWord(reading.state);
    // Running or stopped since the two queries: the next pass tells.
    if (word.empty()) {
        memory.SeenSettled(machine, service);
        return std::nullopt;
    }
    const int passes = memory.SeenWaiting(machine, service, reading.state);
    if (passes < kHungPasses) return std::nullopt;
    return RowFailure{word, HungEvent(name, machine, LowerAscii(word), passes), "Hung", "NT Service Hung!"};
}

// The keeps-stopping alert is raised once per key like every alert; once a
// whole window has passed with no restart its key leaves the alerted list,
// so that the next run of restarts is announced again.
void ForgetQuietRestarts(PassHost& host, const std::string& machine, const std::string& service) {
    const ProgramSettings& settings = host.Settings();
    if (settings.restartAlertCount <= 0) return;
    if (host.Memory().WindowPassed(machine, service, host.MonotonicSeconds(), settings.restartAlertWindow * 60))
        host.WithdrawAlert(KindKey(machine, service, kKeepsStopping));
}

// A successful automatic restart; true when the row's restarts within the
// window have reached the count, which the pass reports and alerts.
bool KeepsStopping(PassHost& host, const std::string& machine, const std::string& service) {
    const ProgramSettings& settings = host.Settings();
    if (settings.restartAlertCount <= 0) return false;
    const int restarts =
        host.Memory().Restarted(machine, service, host.MonotonicSeconds(), settings.restartAlertWindow * 60);
    if (restarts < settings.restartAlertCount) return false;
    AppEvent entry = KeepsStoppingEvent(Shortened(service), machine, restarts, settings.restartAlertWindow);
    host.AppendFailureReport(entry.text);
    host.SendAlert({KindKey(machine, service, kKeepsStopping), std::move(entry), "** NT SERVICE FAULT ** ",
                    "NT Service Keeps Stopping!"});
    return true;
}

void EndOfWalk(PassHost& host) {
    host.HideProgress();
    host.ShowStatus("");
}

// Releases what the pass kept open however the pass ends, and leaves the
// progress bar and the status line as after a walk when an error ends it.
class PassScope {
public:
    explicit PassScope(PassHost& host) : host_(host), errors_(std::uncaught_exceptions()) {}
    ~PassScope() {
        host_.ReleasePassResources();
        if (std::uncaught_exceptions() > errors_) EndOfWalk(host_);
    }
    PassScope(const PassScope&) = delete;
    PassScope& operator=(const PassScope&) = delete;

private:
    PassHost& host_;
    int errors_;
};

struct StateNow {
    bool running = false;
    bool stopped = false;
};

// Where the walk's reads of a row come from, asked in the walk's order.
class RowReads {
public:
    virtual ~RowReads() = default;
    virtual std::string ServiceKeyName(std::size_t row) = 0;
    virtual bool IsMachineAlive(std::size_t row) = 0;
    virtual bool ServiceIsRunning(std::size_t row, const std::string& keyName) = 0;
    virtual bool ServiceIsStopped(std::size_t row, const std::string& keyName) = 0;
    virtual ServiceReading ReadService(std::size_t row) = 0;
    virtual void ServiceQueriesDone(std::size_t row) = 0;
    // The row's state read once more, in its turn; nullopt when what was
    // read of it was read in its turn already.
    virtual std::optional<StateNow> ReadAgain(std::size_t row, const std::string& keyName) = 0;
    // The row's service is about to be started, which may start others on
    // its computer too (those it depends on).
    virtual void StartingService(std::size_t row) = 0;
};

// Each row read in its turn through one reader.
class InTurnReads : public RowReads {
public:
    InTurnReads(RowReader& reader, const std::vector<MonitoredService>& rows) : reader_(reader), rows_(rows) {}
    std::string ServiceKeyName(std::size_t row) override {
        return reader_.ServiceKeyName(rows_[row].server, rows_[row].service);
    }
    bool IsMachineAlive(std::size_t row) override { return reader_.IsMachineAlive(rows_[row].server); }
    bool ServiceIsRunning(std::size_t row, const std::string& keyName) override {
        return reader_.ServiceIsRunning(rows_[row].server, keyName);
    }
    bool ServiceIsStopped(std::size_t row, const std::string& keyName) override {
        return reader_.ServiceIsStopped(rows_[row].server, keyName);
    }
    ServiceReading ReadService(std::size_t row) override {
        return reader_.ReadService(rows_[row].server, rows_[row].service);
    }
    void ServiceQueriesDone(std::size_t) override { reader_.ServiceQueriesDone(); }
    std::optional<StateNow> ReadAgain(std::size_t, const std::string&) override { return std::nullopt; }
    void StartingService(std::size_t) override {}

    StateNow Read(std::size_t row, const std::string& keyName) {
        StateNow now{ServiceIsRunning(row, keyName), ServiceIsStopped(row, keyName)};
        ServiceQueriesDone(row);
        return now;
    }

private:
    RowReader& reader_;
    const std::vector<MonitoredService>& rows_;
};

// The rows' reads made ahead by workers: each answer is the row's result,
// waited for when the walk first asks for the row, and the workers' error
// is raised at the step where it came. Once the walk has started a service
// on a computer, what was read ahead there may be out of date: that
// computer's later rows are read again in their turn, its liveness kept.
class AheadReads : public RowReads {
public:
    AheadReads(PassReads& reads, RowReaderFactory& readers, const std::vector<MonitoredService>& rows)
        : reads_(reads), readers_(readers), rows_(rows) {}
    std::string ServiceKeyName(std::size_t row) override {
        read_ = &reads_.Take(row);
        inTurn_.reset();
        if (started_.count(UpperAscii(rows_[row].server)) != 0) {
            inTurn_.emplace(InTurnReader(), rows_);
            return inTurn_->ServiceKeyName(row);
        }
        return At(ReadStep::KeyName).keyName;
    }
    bool IsMachineAlive(std::size_t) override { return inTurn_ || At(ReadStep::Liveness).alive; }
    bool ServiceIsRunning(std::size_t row, const std::string& keyName) override {
        return inTurn_ ? inTurn_->ServiceIsRunning(row, keyName) : At(ReadStep::Running).running;
    }
    bool ServiceIsStopped(std::size_t row, const std::string& keyName) override {
        return inTurn_ ? inTurn_->ServiceIsStopped(row, keyName) : At(ReadStep::Stopped).stopped;
    }
    ServiceReading ReadService(std::size_t row) override {
        return inTurn_ ? inTurn_->ReadService(row) : *At(ReadStep::Reading).reading;
    }
    void ServiceQueriesDone(std::size_t row) override {
        if (inTurn_)
            inTurn_->ServiceQueriesDone(row);
        else
            At(ReadStep::QueriesDone);
    }
    std::optional<StateNow> ReadAgain(std::size_t row, const std::string& keyName) override {
        if (inTurn_) return std::nullopt;
        return InTurnReads(InTurnReader(), rows_).Read(row, keyName);
    }
    void StartingService(std::size_t row) override { started_.insert(UpperAscii(rows_[row].server)); }

private:
    RowReader& InTurnReader() {
        if (!inTurnReader_) inTurnReader_ = readers_.NewReader({});
        return *inTurnReader_;
    }
    const RowRead& At(ReadStep step) const {
        read_->RaiseAt(step);
        return *read_;
    }
    PassReads& reads_;
    RowReaderFactory& readers_;
    const std::vector<MonitoredService>& rows_;
    const RowRead* read_ = nullptr;
    std::set<std::string> started_;  // upper-case computer names
    std::unique_ptr<RowReader> inTurnReader_;
    std::optional<InTurnReads> inTurn_;
};

std::vector<MonitoredService> ParsedRows(const std::vector<std::string>& rows) {
    std::vector<MonitoredService> parsed;
    parsed.reserve(rows.size());
    for (const std::string& row : rows) parsed.push_back(MonitoredService::FromRow(row));
    return parsed;
}

void Walk(PassHost& host, const std::vector<MonitoredService>& rows, RowReads& reads);

}  // namespace

bool AutoRestartService(PassHost& host, const std::string& service, const std::string& machine) {
    const std::string keyName = host.ServiceKeyName(machine, service);
    host.SetCursor(ScreenCursor::Hourglass);
    const bool restarted = host.ServiceStartAndWait(machine, keyName);
    host.Record().Restarted(machine, service, restarted);
    const std::string line = restarted
                                 ? "Auto-restart of " + Quoted(service) + " on " + machine + " was successful"
                                 : "Cannot restart " + Quoted(service) + " on " + machine;
    host.AppendFailureReport(line);
    if (restarted && machine == host.Settings().selectedComputer) host.ReloadAllServices();
    host.SetCursor(ScreenCursor::Default);
    const ProgramSettings& settings = host.Settings();
    if (settings.notifyByMail && settings.screenNotify) host.SendScreenMessage(line, settings.notifyLogin);
    return restarted;
}

void RunCheckPass(CheckPassHost& host, std::vector<std::string> rows) {
    const std::vector<MonitoredService> parsed = ParsedRows(rows);
    InTurnReads reads(host, parsed);
    Walk(host, parsed, reads);
}

void RunCheckPass(PassHost& host, std::vector<std::string> rows, RowReaderFactory& readers, ReadLimits limits) {
    const std::vector<MonitoredService> parsed = ParsedRows(rows);
    PassReads ahead(parsed, readers, std::move(limits));
    AheadReads reads(ahead, readers, parsed);
    Walk(host, parsed, reads);
}

namespace {

void Walk(PassHost& host, const std::vector<MonitoredService>& rows, RowReads& reads) {
    const PassScope scope(host);
    host.ClearFailureReports();
    int failures = 0;
    host.ShowProgress(static_cast<int>(rows.size()));

    // Taken once, so that a settings change while the pass waits cannot
    // leave a page without its head or foot.
    const bool htmlOutput = HtmlOutputOn(host.Settings());
    const std::string pagePath = host.Settings().htmlOutput;
    std::vector<std::string> page;
    if (htmlOutput) page = StatusPageHead();

    for (size_t index = 0; index < rows.size(); ++index) {
        std::string status;
        int readState = -1;
        host.SetProgress(static_cast<int>(index));
        const MonitoredService& row = rows[index];
        const std::string& machine = row.server;
        const std::string& service = row.service;
        try {
            const std::string keyName = reads.ServiceKeyName(index);
            host.ShowStatus("Checking " + service + " on " + machine);

            const bool alive = reads.IsMachineAlive(index);
            host.Record().ComputerAnswered(machine, alive);
            if (!alive) {
                host.AppendFailureReport("The computer " + machine + " is no longer responding !");
                host.ShowAlarm();
                if (host.CurrentRow(row)) host.SendFailureAlert(machine, kMachineDownMarker);
                EndOfWalk(host);
                return;
            }

            if (reads.ServiceIsRunning(index, keyName)) status = kStatusRunning;
            bool stopped = reads.ServiceIsStopped(index, keyName);
            std::optional<RowFailure> unsettled;
            if (status.empty() && !stopped) {
                const ServiceReading reading = reads.ReadService(index);
                if (reading.kind == ServiceReading::Kind::State) readState = reading.state;
                unsettled = UnsettledRow(host, machine, service, reading);
            } else {
                host.Memory().SeenSettled(machine, service);
            }
            reads.ServiceQueriesDone(index);
            ForgetQuietRestarts(host, machine, service);
            // The user may have removed the row or changed its options while
            // the pass ran: the list as it is now says what is done.
            const std::optional<MonitoredService> current = host.CurrentRow(row);
            if (unsettled) {
                ++failures;
                host.AppendFailureReport(unsettled->entry.text);
                status = unsettled->status;
                if (current)
                    host.SendAlert({KindKey(machine, service, unsettled->kind), unsettled->entry,
                                    "** NT SERVICE FAULT ** ", unsettled->subject});
            }
            // What was read ahead may be out of date by the row's turn; a
            // restart or a new alert is worth one more read.
            if (stopped && current && (current->AutoRestartOn() || !host.Alerted(AlertKey(machine, service)))) {
                if (const std::optional<StateNow> now = reads.ReadAgain(index, keyName)) {
                    stopped = now->stopped;
                    if (now->running) status = kStatusRunning;
                }
            }
            if (stopped) {
                const bool autoRestart = current && current->AutoRestartOn();
                if (autoRestart) reads.StartingService(index);
                if (autoRestart && AutoRestartService(host, service, machine)) {
                    if (current->EmailOn()) host.SendRestartNotice(machine, service);
                    status = kStatusRestarted;
                    EndOfWalk(host);
                    if (KeepsStopping(host, machine, service)) ++failures;
                }
                if (status != kStatusRestarted) {
                    ++failures;
                    host.AppendFailureReport(Quoted(service) + " on " + machine + " is stopped");
                    status = kStatusStopped;
                    if (current) host.SendFailureAlert(machine, service);
                }
            }
        } catch (const PassAbandoned&) {
            throw;
        } catch (const std::exception& error) {
            ++failures;
            host.ReportRowError(error.what());
        } catch (...) {
            ++failures;
            host.ReportRowError("Unknown error");
        }

        if (failures > 0)
            host.ShowAlarm();
        else
            host.ShowAllClear();
        if (htmlOutput) Append(page, StatusPageRow(machine, service, status));
        host.Record().RowChecked(index, OutcomeOf(status, readState));
    }
    EndOfWalk(host);

    if (htmlOutput) {
        Append(page, StatusPageFoot(host.Now()));
        try {
            host.WriteStatusPage(pagePath, page);
        } catch (const std::exception& error) {
            host.ReportRowError(error.what());
        }
    }
}

}  // namespace

}  // namespace vigilor
