// The main window's side of monitoring: what the check pass and monitoring
// control ask of the window, its controls and the system.
#include "app/main_form_win.h"

#include <commctrl.h>

#include "app/main_form_ids.h"
#include "monitor/pass_readers_win.h"
#include "monitor/status_page_writer_win.h"
#include "platform/message_pump_win.h"
#include "services/service_platform_win.h"

namespace vigilor {

using namespace main_form;

// ----- the check pass -----

ServiceSession& TMainForm::PassServices() {
    // The restart wait handles the window's messages, so that the window
    // stays alive while a service starts.
    if (!passServices_)
        passServices_ = std::make_unique<ServiceSession>(SystemServices(), StartWaitLimits{}, PauseHandlingMessages);
    return *passServices_;
}

std::string TMainForm::ServiceKeyName(const std::string& machine, const std::string& displayName) {
    return PassServices().KeyName(machine, displayName);
}

bool TMainForm::ServiceStartAndWait(const std::string& machine, const std::string& keyName) {
    return PassServices().StartAndWait(machine, keyName);
}

void TMainForm::ReleasePassResources() { passServices_.reset(); }

void TMainForm::ClearFailureReports() { SetWindowTextW(Control(kMemo1), L""); }

void TMainForm::ShowProgress(int rows) {
    const HWND bar = Control(kP7);
    SendMessageW(bar, PBM_SETRANGE32, 0, rows - 1);
    SendMessageW(bar, PBM_SETPOS, 0, 0);
    ShowWindow(bar, SW_SHOWNA);
    UpdateWindow(bar);
}

void TMainForm::SetProgress(int row) { SendMessageW(Control(kP7), PBM_SETPOS, row, 0); }

void TMainForm::HideProgress() { ShowWindow(Control(kP7), SW_HIDE); }

void TMainForm::SendFailureAlert(const std::string& machine, const std::string& service) {
    alerts_->SendFailureAlert(machine, service);
}

void TMainForm::SendRestartNotice(const std::string& machine, const std::string& service) {
    alerts_->SendRestartNotice(machine, service);
}

void TMainForm::SendScreenMessage(const std::string& message, const std::string& recipient) {
    channels_->SendScreenMessage(message, recipient);
}

void TMainForm::SendAlert(const AlertMessage& alert) { alerts_->SendAlert(alert); }

std::int64_t TMainForm::MonotonicSeconds() { return static_cast<std::int64_t>(GetTickCount64() / 1000); }

LocalTime TMainForm::Now() { return CurrentLocalTime(); }

void TMainForm::WriteStatusPage(const std::string& path, const std::vector<std::string>& lines) {
    vigilor::WriteStatusPage(path, lines);
}

// ----- monitoring control -----

bool TMainForm::MailSettingsComplete() {
    alerts_->ValidateMailSettings();
    return alerts_->MailSettingsValid();
}

void TMainForm::DisableEmail() { alerts_->DisableEmail(); }

void TMainForm::SetLight(ActiveLight light, bool blinking) {
    light_->SetActiveLight(light);
    if (blinking)
        glTimer_->Start(300);
    else
        glTimer_->Stop();
}

void TMainForm::SetMonitoringControls(bool monitoring) {
    for (int id : {kSvcMonitorList, kPZBox1, kLogonCheckBox1, kCmbName, kResetBtn, kStartBtn, kSettingsBtn})
        EnableWindow(Control(id), !monitoring);
    EnableWindow(Control(kStopBtn), monitoring);
    SetMenuBarEnabled(!monitoring);
}

void TMainForm::SetMonitorTimer(bool on) { monitorTimer_->SetEnabled(on); }

void TMainForm::RunCheckPass(Attendance attendance) {
    const PassAttendance scope(*alerts_, attendance);
    MonitorBtnClick();
}

void TMainForm::MonitorBtnClick() {
    // The rows are read ahead by workers while the window waits for them
    // with its messages handled; the restarts run here, in their rows' turn.
    SystemRowReaders readers(SystemServices());
    PumpingReadsWait wait;
    vigilor::RunCheckPass(*this, monitored_.Rows(), readers, wait);
}

void TMainForm::RepeatClose() { PostMessageW(window_, WM_CLOSE, 0, 0); }

void TMainForm::ReportTimedPassError(const std::string& text) {
    AppendFailureReport(text);
    ShowAlarm();
    try {
        channels_->LogAppEvent(text);
    } catch (const std::exception&) {
        // The memo holds the report; a refused event entry must not bring
        // up the box that an unattended monitor cannot answer.
    }
}

}  // namespace vigilor
