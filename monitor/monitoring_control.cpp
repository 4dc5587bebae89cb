#include "monitor/monitoring_control.h"

#include <exception>

namespace vigilor {

namespace {

// Marks a pass as running for as long as it runs, however it ends, and
// then repeats a close that was asked for meanwhile.
class RunningPass {
public:
    RunningPass(bool& running, bool& closeDeferred, MonitoringHost& host)
        : running_(running), closeDeferred_(closeDeferred), host_(host) {
        running_ = true;
    }
    ~RunningPass() {
        running_ = false;
        if (!closeDeferred_) return;
        closeDeferred_ = false;
        host_.RepeatClose();
    }
    RunningPass(const RunningPass&) = delete;
    RunningPass& operator=(const RunningPass&) = delete;

private:
    bool& running_;
    bool& closeDeferred_;
    MonitoringHost& host_;
};

}  // namespace

void MonitoringControl::Start() {
    if (monitoring_) return;
    if (host_.MonitoredCount() == 0) {
        host_.ShowError("How can I start monitoring, when there are no services to monitor!");
        return;
    }
    if (host_.NotifyByMail() && !host_.MailSettingsComplete()) {
        host_.ShowError("Missing e-mail parameters. Please use the settings button to update them.");
        host_.DisableEmail();
        return;
    }
    host_.SetLight(ActiveLight::alRed, true);
    host_.SetMonitorTimer(true);
    monitoring_ = true;
    host_.SetMonitoringControls(true);
}

void MonitoringControl::Stop() {
    if (!monitoring_) return;
    host_.SetLight(ActiveLight::alGreen, false);
    host_.SetMonitorTimer(false);
    monitoring_ = false;
    host_.SetMonitoringControls(false);
}

void MonitoringControl::Reset() {
    if (monitoring_) return;
    host_.ClearAlarms();
    host_.ClearAlertedList();
    memory_.Clear();
}

bool MonitoringControl::RunOnePass(Attendance attendance) {
    if (passRunning_) return false;
    const RunningPass running(passRunning_, closeDeferred_, host_);
    host_.RunCheckPass(attendance);
    return true;
}

void MonitoringControl::ShowStateLight() {
    if (monitoring_)
        host_.SetLight(ActiveLight::alRed, true);
    else
        host_.SetLight(ActiveLight::alGreen, false);
}

void MonitoringControl::ForceCheck() {
    if (passRunning_) return;
    host_.SetLight(ActiveLight::alRed, true);
    try {
        RunOnePass(Attendance::Attended);
    } catch (...) {
        ShowStateLight();
        throw;
    }
    ShowStateLight();
}

bool MonitoringControl::DeferClose() {
    if (!passRunning_) return false;
    closeDeferred_ = true;
    return true;
}

void MonitoringControl::TimerFired() {
    host_.SetMonitorTimer(false);
    std::exception_ptr failure;
    try {
        RunOnePass(Attendance::Unattended);
    } catch (...) {
        failure = std::current_exception();
    }
    // Armed again first, so that nothing the report does can end monitoring.
    if (monitoring_) host_.SetMonitorTimer(true);
    if (!failure) return;
    try {
        std::rethrow_exception(failure);
    } catch (const std::exception& error) {
        host_.ReportTimedPassError(error.what());
    } catch (...) {
        host_.ReportTimedPassError("Unknown error");
    }
}

}  // namespace vigilor
