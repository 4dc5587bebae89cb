#pragma once
// The settings dialog's fields as values: read from the store when the
// dialog opens, checked by Apply, written back after it closes; and the
// dialog's rules for its tabs. The dialog itself is settings_dialog_win.h.
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "config/settings.h"
#include "config/settings_store.h"
#include "notify/smtp_security.h"

namespace vigilor {

constexpr const char* kHtmlNotDefined = "not defined";

// The dialog's tabs, in their order.
enum class SettingsTab { MonitoringFrequency, InternetEmail, ScreenNotification, ApplicationLaunch, HtmlOutput };

// The fields Apply can send the user back to.
enum class SettingsField { SmtpHost, Port, UserId, SenderName, SenderAddress, Recipient, MetricsOutput };

// The tab that holds the field.
SettingsTab TabOfField(SettingsField field);

struct SettingsForm {
    bool notifyByMail = true;    // CheckBox1
    bool screenMethod = true;    // RadioButton2 (else RadioButton1, e-mail)
    int scanInterval = 1;        // UpDown1
    int restartAlertCount = kDefaultRestartAlertCount;    // udRestartAlertCount
    int restartAlertWindow = kDefaultRestartAlertWindow;  // udRestartAlertWindow
    std::string smtpHost;        // Edit1
    std::string port = "25";     // Edit2
    SmtpSecurityChoice security;  // cmbSecurity
    std::string userId;          // Edit3
    std::string password;        // Edit4, as typed
    std::string senderName;      // Edit5
    std::string senderAddress;   // Edit6
    std::string to, cc, bcc;     // Edit7 to Edit9
    std::string notifyLogin;     // edNotifyLogin
    bool launchAppActive = false;
    std::string launchApp;
    bool execAndWait = true;
    bool htmlOutputEnabled = false;
    std::string htmlOutput;      // Edit10
    bool metricsOutputEnabled = false;  // chkMetricsOutput
    std::string metricsOutput;          // edMetricsOutput
};

// The fields as stored, with the store's defaults; currentUser is the
// default of the screen-message recipient. The in-memory method, recipient
// and screen-message user are refreshed from the store at the same time.
SettingsForm ReadSettingsForm(SettingsStore& store, const std::string& currentUser, ProgramSettings& memory);

struct ApplyRefusal {
    SettingsField field;
    std::string message;
};

// Apply's checks. With notification on by e-mail only: the first empty
// field (blanks do not count) among host, port, user, sender name, sender
// address and recipient, then the port's own rule. With the metrics file on:
// its name must end in ".prom", in lower case: the only files the exporters read.
std::optional<ApplyRefusal> CheckApply(const SettingsForm& form);

// The port field as Apply and the test e-mail read it: a whole number from
// 1 to 65535, with blanks before or after it; otherwise no number and the
// message that says why.
struct PortField {
    std::optional<int> number;
    std::string refusal;
};
PortField ReadPortField(const std::string& text);

// The writes after Apply, in their order; texts untrimmed. The security
// goes before the host, so that a write that fails half-way never leaves a
// new server with an older, weaker security. A port that is no port (it is
// checked only for e-mail) leaves the stored one. The in-memory settings
// take what is stored and held in memory.
void WriteSettingsForm(SettingsStore& store, const SettingsForm& form, ProgramSettings& memory);

// The port once another security is picked: the new one's usual port when
// the field still holds the previous one's, else the field as it is.
std::string PortAfterSecurityChange(const std::string& port, const SmtpSecurityChoice& from, SmtpSecurity to);

// While the test e-mail waits for the server the window's messages are
// handled; the dialog's commands that come meanwhile wait for the test's
// end, then run in their order, each once.
class TestCommandGate {
public:
    struct Command {
        int id;
        int code;
        bool operator==(const Command&) const = default;
    };

    void TestStarted() { running_ = true; }
    // True when the command must wait; it is kept.
    bool Hold(const Command& command);
    // The commands kept, to be carried out now; commands run at once again.
    std::vector<Command> TestEnded();

private:
    bool running_ = false;
    std::vector<Command> held_;
};

// What the main window does once the dialog has closed.
class SettingsDialogHost {
public:
    virtual ~SettingsDialogHost() = default;
    virtual ProgramSettings& Settings() = 0;
    virtual std::unique_ptr<KeyValueStore> OpenStore() = 0;
    virtual void SetLightHint() = 0;
    // Checks the stored e-mail settings, with the message of the first one
    // missing; true when complete.
    virtual bool MailSettingsComplete() = 0;
    virtual void ShowError(const std::string& text) = 0;
    virtual void DisableEmail() = 0;
    // Every setting again from the store; the monitored list stays as it
    // is in memory, where every edit of it is made.
    virtual void ReloadSettings() = 0;
};

// After Apply the fields are written; then, after Apply and Cancel alike,
// the settings are loaded again, unless notification is on with incomplete
// e-mail settings: then e-mail is switched off instead. The selected
// computer and the monitored list stay the ones on the window.
void SettingsDialogClosed(SettingsDialogHost& host, bool applied, const SettingsForm& form);

// Tab rules: where unticking the master switch or picking a method leads,
// and whether the user may leave a tab.
SettingsTab TabForMethod(bool screenMethod);
bool MayLeaveTab(SettingsTab current, bool notifyByMail);

}  // namespace vigilor
