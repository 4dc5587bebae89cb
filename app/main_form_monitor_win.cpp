// The main window's side of monitoring: the commands it sends the engine
// and the events of the engine it shows.
#include "app/main_form_win.h"

#include <commctrl.h>
#include <shellapi.h>

#include "app/main_form_ids.h"
#include "monitor/metrics_text.h"
#include "notify/email_alerts.h"
#include "notify/failure_reports.h"
#include "platform/system_info_win.h"

namespace vigilor {

using namespace main_form;

void TMainForm::StartMonitoring(Attendance attendance) {
    const StartAnswer answer = monitoring_->Start(attendance);
    if (answer.emailDisabled) settings_.notifyByMail = false;
    ShowMonitoringState();
    for (const std::string& text : answer.refusals) ShowError(text);
}

void TMainForm::STARTBtn1Click() { StartMonitoring(Attendance::Attended); }

void TMainForm::StopBtn1Click() {
    monitoring_->Stop();
    ShowMonitoringState();
}

void TMainForm::ResetBtn1Click() {
    if (IsMonitoring()) return;
    monitoring_->Reset();
}

void TMainForm::Forcechecknow1Click() {
    if (!monitoring_->ForceCheck()) ShowStatus("A check is running");
}

void TMainForm::ShowMonitoringState() {
    const bool monitoring = IsMonitoring();
    // The light as the state table has it: red and blinking while monitoring.
    SetLight(monitoring ? ActiveLight::alRed : ActiveLight::alGreen, monitoring);
    SetMonitoringControls(monitoring);
}

bool TMainForm::MailSettingsComplete() {
    const std::unique_ptr<KeyValueStore> raw = context_.openStore();
    SettingsStore store(*raw);
    const std::optional<std::string> missing = FirstMissingMailSetting(store);
    if (missing) ShowError(*missing);
    return !missing;
}

void TMainForm::DisableEmail() {
    settings_.notifyByMail = false;
    monitoring_->SettingsChanged(settings_);
}

void TMainForm::SetLight(ActiveLight light, bool blinking) {
    light_->SetActiveLight(light);
    if (blinking)
        glTimer_->Start(300);
    else
        glTimer_->Stop();
}

void TMainForm::SetMonitoringControls(bool monitoring) {
    // The service takes an edit between its passes: as its console, the
    // window keeps the lists and the settings open.
    const bool locked = monitoring && !console_;
    for (int id : {kSvcMonitorList, kPZBox1, kLogonCheckBox1, kCmbName, kSettingsBtn}) EnableWindow(Control(id), !locked);
    for (int id : {kResetBtn, kStartBtn}) EnableWindow(Control(id), !monitoring);
    EnableWindow(Control(kStopBtn), monitoring);
    SetMenuBarEnabled(!locked);
}

// The window's own engine, or the service's when it is the console.
void TMainForm::CreateMonitoring() {
    if (context_.serviceConsole) {
        console_ = std::make_unique<ServiceConsole>(window_, kReloadServiceMessage);
        monitoring_ = console_.get();
        // The service's pass shows here within a few seconds of its end.
        SetTimer(window_, kConsoleTimer, 2000, nullptr);
        return;
    }
    engineView_ = std::make_unique<WindowEngineView>(window_, kEngineEventsMessage);
    engineSystem_ = std::make_unique<WindowsEngineSystem>(context_.openStore);
    const EngineIdentity identity{context_.versionText, MonitoredBy(context_.system.LocalComputerName(),
                                                                    context_.system.CurrentUserName())};
    engine_ = std::make_unique<MonitorEngine>(*engineSystem_, *engineView_, identity, settings_, monitored_.Rows());
    monitoring_ = engine_.get();
}

// A close while a pass runs comes back once the pass has ended, or once it
// has been given up after the bound.
bool TMainForm::CloseWaitsForPass() {
    if (!PassRunning()) return false;
    if (!closeAfterPass_) {
        closeAfterPass_ = true;
        SetTimer(window_, kCloseWaitTimer, static_cast<UINT>(EngineLimits{}.closeBound.count()), nullptr);
    }
    return true;
}

void TMainForm::OnMonitoringTimer(WPARAM id) {
    if (id == kCloseWaitTimer) {
        // The pass the close waits for has had its time.
        KillTimer(window_, kCloseWaitTimer);
        if (engine_) engine_->AbandonPass();
    }
    if (id == kConsoleTimer && console_ && console_->Poll()) ShowConsoleState();
}

void TMainForm::OnMonitoringMessage(UINT message) {
    if (message == kEngineEventsMessage) OnEngineEvents();
    if (message == kReloadServiceMessage && console_) console_->SendReload();
}

void TMainForm::MonitoredListEdited() {
    RefreshMonitoredView();
    monitoring_->ListChanged(monitored_.Rows());
}

void TMainForm::OnEngineEvents() {
    // The boxes come after the rest of what came with them, so that the
    // window does not show the pass as it was while a box waits for a click.
    // The reports go into the memo together, as each change of the control
    // costs what it already holds.
    std::vector<std::string> errors, reports;
    for (EngineEvent& event : WithoutOverwritten(engineView_->Take())) {
        if (event.kind == EngineEvent::Kind::Error) {
            errors.push_back(std::move(event.text));
            continue;
        }
        if (event.kind == EngineEvent::Kind::ReportLine) {
            reports.push_back(std::move(event.text));
            continue;
        }
        if (event.kind == EngineEvent::Kind::ReportsCleared) reports.clear();
        ShowEngineEvent(event);
    }
    AppendStampedReports(*memo_, reports);
    for (const std::string& text : errors) ShowEngineError(text);
}

void TMainForm::ShowEngineEvent(const EngineEvent& event) {
    using Kind = EngineEvent::Kind;
    switch (event.kind) {
        case Kind::ReportsCleared: memo_->Clear(); break;
        case Kind::ReportLine: break;  // gathered by OnEngineEvents
        case Kind::Status: ShowStatus(event.text); break;
        case Kind::Alarm: ShowAlarm(); break;
        case Kind::AllClear: ShowAllClear(); break;
        case Kind::AlarmsCleared: ClearAlarms(); break;
        case Kind::Light: SetLight(event.light, event.blinking); break;
        case Kind::ProgressShown: {
            const HWND bar = Control(kP7);
            SendMessageW(bar, PBM_SETRANGE32, 0, event.number - 1);
            SendMessageW(bar, PBM_SETPOS, 0, 0);
            ShowWindow(bar, SW_SHOWNA);
            UpdateWindow(bar);
            break;
        }
        case Kind::Progress: SendMessageW(Control(kP7), PBM_SETPOS, event.number, 0); break;
        case Kind::ProgressHidden: ShowWindow(Control(kP7), SW_HIDE); break;
        case Kind::PassEnded:
            ++passesShown_;
            if (closeAfterPass_) {
                closeAfterPass_ = false;
                KillTimer(window_, kCloseWaitTimer);
                PostMessageW(window_, WM_CLOSE, 0, 0);
            }
            break;
        case Kind::Error: break;  // shown by OnEngineEvents, after the others
        case Kind::EmailDisabled: settings_.notifyByMail = false; break;
        case Kind::ServicesChanged:
            if (HasComputer()) LoadAllSvcBtnClick();
            break;
    }
}

void TMainForm::ShowConsoleState() {
    const ConsoleState& state = console_->Shown();
    memo_->Clear();
    AppendStampedReports(*memo_, state.reports);
    if (state.reports.empty())
        ShowAllClear();
    else
        ShowAlarm();
    ShowMonitoringState();
}

void TMainForm::OfferElevatedStart() {
    ShowNotice(kConsoleReadOnly);
    if (context_.dialogs.Show(std::string(kConsoleReadOnly) + ". Start Vigilor again as an administrator?",
                              "Vigilor", BoxIcon::Question, BoxButtons::YesNo, true) != BoxAnswer::Yes)
        return;
    wchar_t program[MAX_PATH];
    GetModuleFileNameW(nullptr, program, MAX_PATH);
    if (reinterpret_cast<INT_PTR>(ShellExecuteW(window_, L"runas", program, nullptr, nullptr, SW_SHOWNORMAL)) > 32)
        PostMessageW(window_, WM_CLOSE, 0, 0);
}

void TMainForm::ShowEngineError(const std::string& text) {
    engineErrors_.push_back(text);
    // A box already open runs its own loop, which brings the next events
    // here: they wait for it.
    if (showingEngineError_) return;
    showingEngineError_ = true;
    while (!engineErrors_.empty()) {
        const std::string next = engineErrors_.front();
        engineErrors_.pop_front();
        try {
            ShowError(next);
        } catch (...) {
            showingEngineError_ = false;
            throw;
        }
    }
    showingEngineError_ = false;
}

}  // namespace vigilor
