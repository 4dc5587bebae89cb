#pragma once
// The main window: the two service lists, the failure-report memo, the
// buttons, menus, status bar, clock and status light, and the operations
// every other part of the program uses on it.
#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/friendly_status_bar_win.h"
#include "config/key_value_store.h"
#include "config/settings.h"
#include "config/settings_form.h"
#include "monitor/check_pass.h"
#include "monitor/graphic_light_win.h"
#include "monitor/long_timer_win.h"
#include "monitor/metrics_output_win.h"
#include "monitor/monitored_list.h"
#include "monitor/monitoring_control.h"
#include "maint/printed_report.h"
#include "net/logon.h"
#include "platform/file_chooser.h"
#include "platform/handles_win.h"
#include "platform/user_dialogs.h"
#include "notify/alert_host.h"
#include "notify/email_alerts.h"
#include "notify/notification_channels_win.h"
#include "notify/smtp_client.h"
#include "services/nt_service.h"
#include "services/service_session.h"
#include "services/service_browser_win.h"

namespace vigilor {

// What the main window asks of the system; tests replace parts of it.
class MainFormSystem {
public:
    virtual ~MainFormSystem() = default;
    virtual std::string LocalComputerName();
    virtual std::string CurrentUserName();
    virtual bool DirectoryExists(const std::string& path);
    virtual std::string PrimaryDomainName();
    virtual std::string DefaultPrinterName();
    // The shell's "open" of a document or address; its result code.
    virtual long long ShellOpen(HWND owner, const std::string& target);
    // The open-file dialog, over the window that is active.
    virtual std::string ChooseOpenFile(const OpenFileRequest& request);
    // The service managers that the window's lists and commands reach.
    virtual ServicePlatform& Services();
};

struct MainFormContext {
    UserDialogs& dialogs;
    MainFormSystem& system;
    std::function<std::unique_ptr<KeyValueStore>()> openStore;
    std::string versionText;
    std::vector<std::string> arguments;
    bool quitOnDestroy = true;  // end the message loop when the window goes
};

constexpr const char* kWebSiteAddress = "https://vigilor.example.org/";

class TMainForm : private ServiceBrowserHost,
                  private AlertHost,
                  private FailureMemo,
                  private PassHost,
                  private MonitoringHost,
                  private SettingsDialogHost,
                  private ReportHost {
public:
    explicit TMainForm(MainFormContext context);
    ~TMainForm();
    TMainForm(const TMainForm&) = delete;
    TMainForm& operator=(const TMainForm&) = delete;

    // Makes the window and its controls and loads the settings (the window
    // stays hidden); Show then shows it and runs the first-show steps.
    void Create();
    void Show(int showCommand);
    HWND Handle() const { return window_; }
    HWND Control(int id) const;
    // Keys of the window and of the focused list; true when consumed.
    bool PreTranslateMessage(MSG& message);

    void ShowStatus(const std::string& text) override;
    // ShowStatus for a text the user must get to see: the hints of the
    // controls under the mouse leave it until the next click or key.
    void ShowNotice(const std::string& text);
    void ShowError(const std::string& text) override;
    void ShowAlarm() override;
    void ShowAllClear() override;
    void ClearAlarms() override;
    void AppendMemoLine(const std::string& line);
    std::string MemoText() const;
    // A time-stamped line in the failure-report memo.
    void AppendFailureReport(const std::string& message) override;
    // A failure-report line and an event entry, for what would otherwise
    // need a box that nobody at an unattended start would answer.
    void ReportUnattended(const std::string& text);
    void SaveFailureReportsToDisk();

    // The start-up load: every setting and the monitored list.
    void LoadSettings();
    void ReloadSettings() override;
    void SaveSettings();
    // The settings dialog, then the writes and the reload after it.
    void Settings1Click();

    // The computer list at start-up, and a change of computer by a pick
    // from it or by a typed name. A typed name that is already the selected
    // computer is chosen again only when chosenAgain (Enter) says so.
    void RefreshSrvListBtnClick();
    void cmbNameChange();
    void ComputerTyped(bool chosenAgain);
    void ChooseComputer(const std::string& computer);
    // The logon dialog for name, then the connection of NTPrivilege1.
    void Logon(const std::string& name);
    TNTPrivilege& NTPrivilege1() { return NTPrivilege1_; }

    void STARTBtn1Click();
    void StopBtn1Click();
    void ResetBtn1Click();
    void Forcechecknow1Click();
    void MonitorBtnClick();
    void MonitorTimerTimer();
    void GLTimerTimer();
    void DateTimerTimer();

    // Loads the all-services list of the selected computer.
    void LoadAllSvcBtnClick();
    void tmrWaitTimer();
    void AddtoMonitorList1Click();
    void RemovefromMonitorList1Click();
    void Options1Click();
    void PZBox1Click();
    void UpdatePZBox1();
    void About1Click();
    void VisitWebSite();
    // The shut-down rules; true when the window is to close. A close asked
    // for during a check pass is made again when the pass has ended.
    bool FormClose();
    // Windows ends the session, and the process with it, without a close:
    // what the window holds is stored, without a question.
    void FormEndSession();

    bool IsMonitoring() const { return monitoring_.Monitoring(); }
    bool PassRunning() const { return monitoring_.PassRunning(); }
    bool HasComputer() const { return settings_.hasComputer; }
    bool MemoInAlarm() const { return memoAlarm_; }
    bool PrintEnabled() const;
    const std::string& PrinterName() const { return printerName_; }
    // The in-memory settings, as the alerts and the check pass read them.
    ProgramSettings& Settings() override { return settings_; }
    MonitoredList& Monitored() { return monitored_; }
    vigilor::AlertedList& AlertedList() { return alertedList_; }
    EmailAlerts& Alerts() { return *alerts_; }
    TNMSMTP& NMSMTP1() { return *NMSMTP1_; }
    TGraphicLight& Light() { return *light_; }
    TLongTimer& MonitorTimer() { return *monitorTimer_; }
    WindowTimer& GLTimer() { return *glTimer_; }
    std::string StatusPanelText(int panel) const;
    std::string HintOf(HWND control) const;
    ServiceBrowserController& ServiceBrowser() { return *serviceBrowser_; }
    TNTService& NTService() { return ntService_; }

private:
    // What the service browser asks of the window.
    std::string SelectedComputer() override { return settings_.selectedComputer; }
    void ShowStatusQuietly(const std::string& text) override;
    void ShowLoadAnimation(LoadClip clip, bool running) override;
    void StartWaitAnimation() override;

    // What the e-mail alerts ask of the window.
    vigilor::AlertedList& Alerted() override { return alertedList_; }
    FailureMemo& Memo() override { return *this; }
    std::string VersionText() override { return context_.versionText; }
    std::unique_ptr<KeyValueStore> OpenStore() override { return context_.openStore(); }
    void RepaintNow() override;
    ScreenCursor CurrentCursor() override { return cursor_; }
    void SetCursor(ScreenCursor cursor) override;

    // What the check pass asks of the window and the system.
    std::string ServiceKeyName(const std::string& machine, const std::string& displayName) override;
    bool ServiceStartAndWait(const std::string& machine, const std::string& keyName) override;
    ServiceSession& PassServices();
    void ReleasePassResources() override;
    void ClearFailureReports() override;
    void ShowProgress(int rows) override;
    void SetProgress(int row) override;
    void HideProgress() override;
    void ReloadAllServices() override { LoadAllSvcBtnClick(); }
    void SendFailureAlert(const std::string& machine, const std::string& service) override;
    void SendRestartNotice(const std::string& machine, const std::string& service) override;
    void SendScreenMessage(const std::string& message, const std::string& recipient) override;
    void SendAlert(const AlertMessage& alert) override;
    void WithdrawAlert(const std::string& key) override { alertedList_.Remove(key); }
    RowMemory& Memory() override { return monitoring_.Memory(); }
    PassRecord& Record() override { return metrics_->Record(); }
    std::int64_t MonotonicSeconds() override;
    LocalTime Now() override;
    void WriteStatusPage(const std::string& path, const std::vector<std::string>& lines) override;

    // What monitoring control asks of the window.
    std::size_t MonitoredCount() override { return monitored_.Count(); }
    bool NotifyByMail() override { return settings_.notifyByMail; }
    bool MailSettingsComplete() override;
    void DisableEmail() override;
    void SetLight(ActiveLight light, bool blinking) override;
    void SetMonitoringControls(bool monitoring) override;
    void SetMonitorTimer(bool on) override;
    void RunCheckPass(Attendance attendance) override;
    void ClearAlertedList() override { alertedList_.Clear(); }
    void ReportTimedPassError(const std::string& text) override;
    void RepeatClose() override;

    // The memo as the failure reports see it.
    int DisplayedLineCount() override;
    void AppendLine(const std::string& line) override { AppendMemoLine(line); }
    std::vector<std::string> Lines() override;

    // What the printed report asks of the window.
    std::vector<std::string> ComputerList() override;
    std::vector<std::string> MonitoredRows() override { return monitored_.Rows(); }

    static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    void CreateChildren();
    void FormCreate();
    void FormShow();
    // "/A" starts the program with nobody at the screen, as at a logon.
    Attendance StartAttendance() const;
    void LoadServicesAtFirstShow();
    void OnCommand(int id, int code, HWND from);
    LRESULT OnNotify(NMHDR& header);
    void OnContextMenu(HWND target, POINT screen);
    LRESULT OnControlColour(HDC dc, HWND control);
    void OnMouseOver(POINT screen);
    void ShowPopup(int index, POINT screen);
    void SetStatusPanel(int panel, const std::string& text, bool repaintNow);
    void RefreshMonitoredView();
    int SelectedIndex(int listId) const;
    void SetAppIcon(bool red);
    void SetMenuBarEnabled(bool enabled);
    void SetLightHint() override;

    MainFormContext context_;
    HWND window_ = nullptr;
    std::unique_ptr<TFriendlyStatusBar> statusBar1_;
    HWND statusBar_ = nullptr;
    ProgramSettings settings_;
    MonitoredList monitored_;
    vigilor::AlertedList alertedList_;
    ScreenCursor cursor_ = ScreenCursor::Default;
    std::unique_ptr<TNMSMTP> NMSMTP1_;
    std::unique_ptr<WindowsNotificationChannels> channels_;
    std::unique_ptr<EmailAlerts> alerts_;
    std::unique_ptr<MetricsOutput> metrics_;
    std::string printerName_;
    std::unique_ptr<TGraphicLight> light_;
    TNTService ntService_;
    MonitoringControl monitoring_{static_cast<MonitoringHost&>(*this)};
    TNTPrivilege NTPrivilege1_;
    std::string computerListNotice_;
    std::unique_ptr<ServiceSession> passServices_;
    std::unique_ptr<ServiceBrowserController> serviceBrowser_;
    bool waitTimerRunning_ = false;
    std::unique_ptr<WindowTimer> monitorSystemTimer_;
    std::unique_ptr<TLongTimer> monitorTimer_;
    std::unique_ptr<WindowTimer> glTimer_;
    std::string lightHint_;
    HWND hintControl_ = nullptr;
    bool noticeUnseen_ = false;
    bool memoAlarm_ = false;
    GdiObject font_;
    GdiObject labelFont_;
    GdiObject memoBlueBrush_;
    GdiObject memoRedBrush_;
    HICON greenIcon_ = nullptr;
    HICON redIcon_ = nullptr;
    MenuHandle popups_;
    HACCEL mainKeys_ = nullptr;
    HACCEL serviceKeys_ = nullptr;
    HACCEL monitoredKeys_ = nullptr;
};

}  // namespace vigilor
