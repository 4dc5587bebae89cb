#include "monitor/monitoring_control.h"

#include <exception>

namespace vigilor {

namespace {

// Marks a pass as running for as long as it runs, however it ends.
class RunningPass {
public:
    explicit RunningPass(bool& running) : running_(running) { running_ = true; }
    ~RunningPass() { running_ = false; }
    RunningPass(const RunningPass&) = delete;
    RunningPass& operator=(const RunningPass&) = delete;

private:
    bool& running_;
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
}

bool MonitoringControl::RunOnePass() {
    if (passRunning_) return false;
    const RunningPass running(passRunning_);
    host_.RunCheckPass();
    return true;
}

void MonitoringControl::ForceCheck() {
    if (passRunning_) return;
    host_.SetLight(ActiveLight::alRed, true);
    RunOnePass();
    host_.SetLight(ActiveLight::alGreen, false);
}

void MonitoringControl::TimerFired() {
    host_.SetMonitorTimer(false);
    std::exception_ptr failure;
    try {
        RunOnePass();
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
