#include "monitor/check_pass.h"

#include "monitor/monitored_service.h"
#include "monitor/status_page.h"
#include "notify/email_alerts.h"

namespace vigilor {

namespace {

std::string Quoted(const std::string& name) { return "\"" + name + "\""; }

bool HtmlOutputOn(const ProgramSettings& settings) {
    return settings.htmlOutputEnabled && !settings.htmlOutput.empty();
}

void Append(std::vector<std::string>& page, std::vector<std::string> lines) {
    page.insert(page.end(), std::make_move_iterator(lines.begin()), std::make_move_iterator(lines.end()));
}

void EndOfWalk(CheckPassHost& host) {
    host.HideProgress();
    host.ShowStatus("");
}

// Releases what the pass kept open however the pass ends, and leaves the
// progress bar and the status line as after a walk when an error ends it.
class PassScope {
public:
    explicit PassScope(CheckPassHost& host) : host_(host), errors_(std::uncaught_exceptions()) {}
    ~PassScope() {
        host_.ReleasePassResources();
        if (std::uncaught_exceptions() > errors_) EndOfWalk(host_);
    }
    PassScope(const PassScope&) = delete;
    PassScope& operator=(const PassScope&) = delete;

private:
    CheckPassHost& host_;
    int errors_;
};

}  // namespace

bool AutoRestartService(CheckPassHost& host, const std::string& service, const std::string& machine) {
    const std::string keyName = host.ServiceKeyName(machine, service);
    host.SetCursor(ScreenCursor::Hourglass);
    const bool restarted = host.ServiceStartAndWait(machine, keyName);
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
        host.SetProgress(static_cast<int>(index));
        const MonitoredService row = MonitoredService::FromRow(rows[index]);
        const std::string& machine = row.server;
        const std::string& service = row.service;
        const std::string keyName = host.ServiceKeyName(machine, service);
        host.ShowStatus("Checking " + service + " on " + machine);

        if (!host.IsMachineAlive(machine)) {
            host.AppendFailureReport("The computer " + machine + " is no longer responding !");
            host.ShowAlarm();
            host.SendFailureAlert(machine, kMachineDownMarker);
            EndOfWalk(host);
            return;
        }

        if (host.ServiceIsRunning(machine, keyName)) status = kStatusRunning;
        const bool stopped = host.ServiceIsStopped(machine, keyName);
        host.ServiceQueriesDone();
        if (stopped) {
            if (row.AutoRestartOn() && AutoRestartService(host, service, machine)) {
                if (row.EmailOn()) host.SendRestartNotice(machine, service);
                status = kStatusRestarted;
                EndOfWalk(host);
            }
            if (status != kStatusRestarted) {
                ++failures;
                host.AppendFailureReport(Quoted(service) + " on " + machine + " is stopped");
                status = kStatusStopped;
                host.SendFailureAlert(machine, service);
            }
        }

        if (failures > 0)
            host.ShowAlarm();
        else
            host.ShowAllClear();
        if (htmlOutput) Append(page, StatusPageRow(machine, service, status));
    }
    EndOfWalk(host);

    if (htmlOutput) {
        Append(page, StatusPageFoot(host.Now()));
        host.WriteStatusPage(pagePath, page);
    }
}

}  // namespace vigilor
