#pragma once
// The settings dialog's fields as values: read from the store when the
// dialog opens, checked by Apply, written back after it closes; and the
// dialog's rules for its tabs. The dialog itself is settings_dialog_win.h.
#include <memory>
#include <optional>
#include <string>

#include "config/settings.h"
#include "config/settings_store.h"
#include "notify/smtp_security.h"

namespace vigilor {

constexpr const char* kHtmlNotDefined = "not defined";

// The dialog's tabs, in their order.
enum class SettingsTab { MonitoringFrequency, InternetEmail, ScreenNotification, ApplicationLaunch, HtmlOutput };

// The fields Apply can send the user back to.
enum class SettingsField { SmtpHost, Port, UserId, SenderName, SenderAddress, Recipient };

struct SettingsForm {
    bool notifyByMail = true;    // CheckBox1
    bool screenMethod = true;    // RadioButton2 (else RadioButton1, e-mail)
    int scanInterval = 1;        // UpDown1
    std::string smtpHost;        // Edit1
    std::string port = "25";     // Edit2
    SmtpSecurity security = SmtpSecurity::None;  // cmbSecurity
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
};

// The fields as stored, with the store's defaults; currentUser is the
// default of the screen-message recipient. The in-memory method, recipient
// and screen-message user are refreshed from the store at the same time.
SettingsForm ReadSettingsForm(SettingsStore& store, const std::string& currentUser, ProgramSettings& memory);

struct ApplyRefusal {
    SettingsField field;
    std::string message;
};

// Apply's checks, in order: with notification on by e-mail, the first
// empty field (blanks do not count) among host, port, user, sender name,
// sender address and recipient; then, whatever the method, a port that is
// not a whole number from 1 to 65535, so that nothing is written half-way.
std::optional<ApplyRefusal> CheckApply(const SettingsForm& form);

// The port as stored: its number, once CheckApply has passed.
int PortNumber(const std::string& text);

// The writes after Apply, in their order, the security last; texts
// untrimmed. The in-memory settings take what is stored and held in memory.
void WriteSettingsForm(SettingsStore& store, const SettingsForm& form, ProgramSettings& memory);

// The port once another security is picked: the new one's usual port when
// the field still holds the previous one's, else the field as it is.
std::string PortAfterSecurityChange(const std::string& port, SmtpSecurity from, SmtpSecurity to);

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
    // Every setting and the monitored list, again from the store.
    virtual void LoadSettings() = 0;
};

// After Apply the fields are written; then, after Apply and Cancel alike,
// the settings are loaded again, unless notification is on with incomplete
// e-mail settings: then e-mail is switched off instead. The selected
// computer stays the one chosen on the window.
void SettingsDialogClosed(SettingsDialogHost& host, bool applied, const SettingsForm& form);

// Tab rules: where unticking the master switch or picking a method leads,
// and whether the user may leave a tab.
SettingsTab TabForMethod(bool screenMethod);
bool MayLeaveTab(SettingsTab current, bool notifyByMail);

}  // namespace vigilor
