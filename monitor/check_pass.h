#pragma once
// The check pass: one walk over the monitored rows that makes sure each
// row's computer answers, reads the service's state, restarts a stopped
// service where the row asks for it, reports and alerts, keeps the alarm
// display up to date and, with HTML output on, writes the status page.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "config/settings.h"
#include "monitor/pass_reads.h"
#include "monitor/monitored_service.h"
#include "monitor/pass_record.h"
#include "monitor/row_memory.h"
#include "monitor/service_reading.h"
#include "monitor/status_words.h"
#include "notify/alert_host.h"
#include "notify/email_alerts.h"
#include "notify/local_time.h"

namespace vigilor {

// Passes in a row in one pending or paused state after which a service is
// reported as hung.
constexpr int kHungPasses = 3;

// What a pass uses of the program and the system, besides the reads of
// the rows; the main window implements it.
class PassHost {
public:
    virtual ~PassHost() = default;
    // Selected computer, notification switches, HTML output.
    virtual const ProgramSettings& Settings() = 0;

    // The restart's queries, made in the row's turn. What they open may be
    // kept for the rest of the pass; ReleasePassResources releases it.
    virtual std::string ServiceKeyName(const std::string& machine, const std::string& displayName) = 0;
    virtual bool ServiceStartAndWait(const std::string& machine, const std::string& keyName) = 0;
    virtual void ReleasePassResources() = 0;

    // The failure-report memo, emptied and given time-stamped lines.
    virtual void ClearFailureReports() = 0;
    virtual void AppendFailureReport(const std::string& message) = 0;
    // Seven blanks + text in the status bar, at once.
    virtual void ShowStatus(const std::string& text) = 0;
    virtual void ShowAlarm() = 0;
    virtual void ShowAllClear() = 0;
    // The progress bar: range 0 to rows - 1, shown and repainted at once.
    virtual void ShowProgress(int rows) = 0;
    virtual void SetProgress(int row) = 0;
    virtual void HideProgress() = 0;
    virtual void SetCursor(ScreenCursor cursor) = 0;
    // The all-services list of the selected computer, loaded again.
    virtual void ReloadAllServices() = 0;

    virtual void SendFailureAlert(const std::string& machine, const std::string& service) = 0;
    virtual void SendRestartNotice(const std::string& machine, const std::string& service) = 0;
    virtual void SendScreenMessage(const std::string& message, const std::string& recipient) = 0;
    // The other failures of a row, each under a key of its own kind.
    virtual void SendAlert(const AlertMessage& alert) = 0;
    // The key may be alerted again.
    virtual void WithdrawAlert(const std::string& key) = 0;
    // What monitoring remembers of the rows between passes.
    virtual RowMemory& Memory() = 0;
    // What this pass finds, for the metrics file; begun by the caller.
    virtual PassRecord& Record() = 0;
    // A clock in seconds that only moves forward, for the restart window.
    virtual std::int64_t MonotonicSeconds() = 0;

    // The row as the monitored list holds it now, which may have changed
    // since the pass began; nullopt once it has been removed. Asked before
    // the pass restarts, alerts on or launches for the row.
    virtual std::optional<MonitoredService> CurrentRow(const MonitoredService& row) = 0;
    // Whether the alert under the key has been raised already.
    virtual bool Alerted(const std::string& key) = 0;
    // An error of one row (mailing, launching, restarting, reading, writing
    // a file): reported, and the pass goes on with the next row.
    virtual void ReportRowError(const std::string& text) = 0;

    virtual LocalTime Now() = 0;
    // Replaces the page file with the lines.
    virtual void WriteStatusPage(const std::string& path, const std::vector<std::string>& lines) = 0;
};

// A host that also reads each row itself, in the row's turn.
class CheckPassHost : public PassHost, public RowReader {};

// One pass over the rows (tab-separated, as the monitored list holds them),
// taken as a copy: the list may change while the pass waits for the network.
// Every row is read in its turn, one call after another, with a liveness
// test for every row.
void RunCheckPass(CheckPassHost& host, std::vector<std::string> rows);

// The same pass with the rows' reads made ahead by workers, one per
// computer (PassReads). What the pass shows, reports, sends, restarts and
// writes is the same, in the same order. A row read ahead as stopped is
// read once more in its turn before it is restarted or alerted on: it may
// have been started meanwhile. Raises PassAbandoned when limits.abandon is
// requested while the pass waits.
void RunCheckPass(PassHost& host, std::vector<std::string> rows, RowReaderFactory& readers, ReadLimits limits = {});

// Starts one stopped service and reports how that went; true when it runs.
bool AutoRestartService(PassHost& host, const std::string& service, const std::string& machine);

}  // namespace vigilor
