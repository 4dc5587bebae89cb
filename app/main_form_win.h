#pragma once
// The main window: the two service lists, the failure-report memo, the
// buttons, menus, status bar, clock and status light, and the operations
// every other part of the program uses on it.
#include <windows.h>

#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/friendly_status_bar_win.h"
#include "config/key_value_store.h"
#include "config/settings.h"
#include "config/settings_form.h"
#include "app/engine_view_win.h"
#include "app/service_console_win.h"
#include "monitor/graphic_light_win.h"
#include "monitor/long_timer_win.h"
#include "monitor/engine_system_win.h"
#include "monitor/monitored_list.h"
#include "monitor/monitor_engine.h"
#include "maint/printed_report.h"
#include "net/logon.h"
#include "platform/file_chooser.h"
#include "platform/handles_win.h"
#include "platform/user_dialogs.h"
#include "notify/alert_host.h"
#include "notify/failure_memo_win.h"
#include "notify/notification_channels_win.h"
#include "services/nt_service.h"
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
    // The Windows service monitors here: the window is its console, and
    // openStore opens the machine's settings key.
    bool serviceConsole = false;
};

constexpr const char* kWebSiteAddress = "https://vigilor.example.org/";

class TMainForm : private ServiceBrowserHost,
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
    void ShowAlarm();
    void ShowAllClear();
    void ClearAlarms();
    void AppendMemoLine(const std::string& line) { memo_->AppendLine(line); }
    std::string MemoText() const;
    // A time-stamped line in the failure-report memo.
    void AppendFailureReport(const std::string& message);
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
    void GLTimerTimer();
    void DateTimerTimer();

    // Loads the all-services list of the selected computer.
    void LoadAllSvcBtnClick();
    void tmrWaitTimer();
    void AddtoMonitorList1Click();
    // The monitored list changed: shown, and the engine told.
    void MonitoredListEdited();
    void RemovefromMonitorList1Click();
    void Options1Click();
    void PZBox1Click();
    void UpdatePZBox1();
    void About1Click();
    void VisitWebSite();
    // The shut-down rules; true when the window is to close. A close asked
    // for during a check pass is made again when the pass has ended, which
    // is abandoned if it has not ended within the engine's close bound.
    bool FormClose();
    // Windows ends the session, or an installer closes the program (reason
    // ENDSESSION_CLOSEAPP): what the window holds is stored, without a
    // question, and for the installer the window closes.
    void FormEndSession(LPARAM reason);

    // The engine comes after the settings' first load; its notices reach
    // the window before it.
    bool IsMonitoring() const { return monitoring_ && monitoring_->State().monitoring; }
    bool PassRunning() const { return monitoring_ && monitoring_->State().passRunning; }
    ServiceConsole* Console() { return console_.get(); }
    MonitorEngine& Engine() { return *engine_; }
    // Passes whose every event the window has shown.
    std::uint64_t PassesShown() const { return passesShown_; }
    bool HasComputer() const { return settings_.hasComputer; }
    bool MemoInAlarm() const { return memo_->InAlarm(); }
    bool PrintEnabled() const;
    const std::string& PrinterName() const { return printerName_; }
    // The window's settings; the engine has a copy of its own.
    ProgramSettings& Settings() override { return settings_; }
    MonitoredList& Monitored() { return monitored_; }
    TGraphicLight& Light() { return *light_; }
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

    std::string VersionText() override { return context_.versionText; }
    std::unique_ptr<KeyValueStore> OpenStore() override { return context_.openStore(); }
    bool MailSettingsComplete() override;
    void DisableEmail() override;
    void RepaintNow();
    ScreenCursor CurrentCursor() override { return cursor_; }
    void SetCursor(ScreenCursor cursor) override;

    // Monitoring is the engine's; the window sends it commands and shows
    // its events.
    void StartMonitoring(Attendance attendance);
    void ShowMonitoringState();
    void SetLight(ActiveLight light, bool blinking);
    void SetMonitoringControls(bool monitoring);
    void OnEngineEvents();
    void CreateMonitoring();
    bool CloseWaitsForPass();
    void OnMonitoringTimer(WPARAM id);
    void OnMonitoringMessage(UINT message);
    // The service's state and last reports, as its console shows them.
    void ShowConsoleState();
    void OfferElevatedStart();
    void ShowEngineEvent(const EngineEvent& event);
    // The engine's errors one box after another, never one over another.
    void ShowEngineError(const std::string& text);

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
    ScreenCursor cursor_ = ScreenCursor::Default;
    std::unique_ptr<WindowsNotificationChannels> channels_;
    std::string printerName_;
    std::unique_ptr<TGraphicLight> light_;
    TNTService ntService_;
    TNTPrivilege NTPrivilege1_;
    std::string computerListNotice_;
    std::unique_ptr<ServiceBrowserController> serviceBrowser_;
    bool waitTimerRunning_ = false;
    std::unique_ptr<WindowTimer> glTimer_;
    std::string lightHint_;
    HWND hintControl_ = nullptr;
    bool noticeUnseen_ = false;
    GdiObject font_;
    GdiObject labelFont_;
    std::unique_ptr<FailureMemoControl> memo_;
    HICON greenIcon_ = nullptr;
    HICON redIcon_ = nullptr;
    MenuHandle popups_;
    HACCEL mainKeys_ = nullptr;
    HACCEL serviceKeys_ = nullptr;
    HACCEL monitoredKeys_ = nullptr;
    // Declared last: the engine goes first, while what it posts to is there.
    std::unique_ptr<WindowEngineView> engineView_;
    std::unique_ptr<WindowsEngineSystem> engineSystem_;
    std::unique_ptr<MonitorEngine> engine_;
    std::unique_ptr<ServiceConsole> console_;
    Monitoring* monitoring_ = nullptr;  // the engine or the console
    std::uint64_t passesShown_ = 0;
    bool closeAfterPass_ = false;
    bool showingEngineError_ = false;
    std::deque<std::string> engineErrors_;
};

}  // namespace vigilor
