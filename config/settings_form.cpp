#include "config/settings_form.h"

#include <algorithm>
#include <string_view>
#include <utility>

#include "platform/text.h"

namespace vigilor {

SettingsForm ReadSettingsForm(SettingsStore& store, const std::string& currentUser, ProgramSettings& memory) {
    SettingsForm form;
    form.notifyByMail = store.ReadBool("NotifybyMail", true);
    form.screenMethod = store.ReadBool("ScreenNotify", true);
    form.scanInterval = store.ReadInteger("ScanInterval", 1);
    if (form.scanInterval < 1 || form.scanInterval > 60) form.scanInterval = 1;
    form.restartAlertCount = ReadRestartAlertCount(store);
    form.restartAlertWindow = ReadRestartAlertWindow(store);
    form.smtpHost = store.ReadString("EMailSMTPHost", "");
    form.port = std::to_string(store.ReadInteger("EMailSMTPPort", 25));
    form.security = ParseSmtpSecurity(store.ReadString(kSmtpSecurityValue, ""));
    form.userId = store.ReadString("EMailSMTPID", "");
    form.password = ScramblePassword(store.ReadString("EMailSMTPPwd", ""));
    form.senderName = store.ReadString("EMailLocalName", "");
    form.senderAddress = store.ReadString("EMailLocalAddr", "");
    form.to = store.ReadString("EMailTo", "");
    form.cc = store.ReadString("EMailcc", "");
    form.bcc = store.ReadString("EMailBcc", "");
    form.notifyLogin = store.ReadString("NotifyLogin", currentUser);
    form.launchAppActive = store.ReadBool("LaunchAppActive", false);
    form.launchApp = store.ReadString("LaunchApp", "");
    form.execAndWait = store.ReadBool("ExecAndWait", true);
    form.htmlOutputEnabled = store.ReadBool("HTMLOutputEnabled", false);
    form.htmlOutput = store.ReadString("HTMLOutput", kHtmlNotDefined);
    form.metricsOutputEnabled = store.ReadBool("MetricsOutputEnabled", false);
    form.metricsOutput = store.ReadString("MetricsOutput", "");
    memory.screenNotify = form.screenMethod;
    memory.emailTo = Trim(form.to);
    memory.notifyLogin = form.notifyLogin;
    return form;
}

SettingsTab TabOfField(SettingsField field) {
    return field == SettingsField::MetricsOutput ? SettingsTab::HtmlOutput : SettingsTab::InternetEmail;
}

namespace {

std::optional<ApplyRefusal> CheckMail(const SettingsForm& form) {
    if (!form.notifyByMail || form.screenMethod) return std::nullopt;
    const struct {
        const std::string& text;
        SettingsField field;
        const char* message;
    } required[] = {
        {form.smtpHost, SettingsField::SmtpHost, "No SMTP host defined! Please check your parameters."},
        {form.port, SettingsField::Port, "No Port defined! Please check your parameters."},
        {form.userId, SettingsField::UserId, "No User ID defined! Please check your parameters."},
        {form.senderName, SettingsField::SenderName, "No Sender Name defined! Please check your parameters."},
        {form.senderAddress, SettingsField::SenderAddress, "No Sender e-mail defined! Please check your parameters."},
        {form.to, SettingsField::Recipient, "No Recipient (TO) defined! Please check your parameters."},
    };
    for (const auto& entry : required)
        if (Trim(entry.text).empty()) return ApplyRefusal{entry.field, entry.message};
    const PortField port = ReadPortField(form.port);
    if (!port.number) return ApplyRefusal{SettingsField::Port, port.refusal};
    return std::nullopt;
}

// In lower case: the exporters match the ending exactly, whatever the file
// system makes of it.
bool EndsWithProm(const std::string& path) { return std::string_view(path).ends_with(".prom"); }

}  // namespace

std::optional<ApplyRefusal> CheckApply(const SettingsForm& form) {
    if (auto refusal = CheckMail(form)) return refusal;
    if (form.metricsOutputEnabled && !EndsWithProm(form.metricsOutput))
        return ApplyRefusal{SettingsField::MetricsOutput,
                            "The metrics file must end in \".prom\"! Please check your parameters."};
    return std::nullopt;
}

PortField ReadPortField(const std::string& text) {
    const std::optional<int> number = ParseDecimal(Trim(text));
    if (!number) return {std::nullopt, "'" + text + "' is not a valid integer value"};
    if (*number < 1 || *number > 65535)
        return {std::nullopt, "'" + text + "' is not a valid port: give a number from 1 to 65535"};
    return {number, ""};
}

void WriteSettingsForm(SettingsStore& store, const SettingsForm& form, ProgramSettings& memory) {
    memory.notifyByMail = form.notifyByMail;
    memory.screenNotify = form.screenMethod;
    memory.scanInterval = form.scanInterval;
    memory.restartAlertCount = form.restartAlertCount;
    memory.restartAlertWindow = form.restartAlertWindow;
    memory.notifyLogin = form.notifyLogin;
    memory.emailTo = Trim(form.to);

    store.WriteBool("ScreenNotify", memory.screenNotify);
    store.WriteString("NotifyLogin", form.notifyLogin);
    store.WriteString("HTMLOutput", form.htmlOutput);
    store.WriteBool("HTMLOutputEnabled", form.htmlOutputEnabled);
    store.WriteString("MetricsOutput", form.metricsOutput);
    store.WriteBool("MetricsOutputEnabled", form.metricsOutputEnabled);
    store.WriteString(kSmtpSecurityValue, form.security.Text());
    store.WriteString("EMailSMTPHost", form.smtpHost);
    if (const std::optional<int> port = ReadPortField(form.port).number) store.WriteInteger("EMailSMTPPort", *port);
    store.WriteString("EMailSMTPID", form.userId);
    store.WriteBool("NotifybyMail", memory.notifyByMail);
    store.WriteString("EMailSMTPPwd", ScramblePassword(form.password));
    store.WriteString("EMailTo", form.to);
    store.WriteString("EMailCc", form.cc);
    store.WriteString("EMailBcc", form.bcc);
    store.WriteString("LaunchApp", form.launchApp);
    store.WriteBool("LaunchAppActive", form.launchAppActive);
    store.WriteBool("ExecAndWait", form.execAndWait);
    store.WriteString("EMailLocalName", form.senderName);
    store.WriteString("EMailLocalAddr", form.senderAddress);
    store.WriteInteger("ScanInterval", memory.scanInterval);
    store.WriteInteger("RestartAlertCount", memory.restartAlertCount);
    store.WriteInteger("RestartAlertWindow", memory.restartAlertWindow);
}

std::string PortAfterSecurityChange(const std::string& port, const SmtpSecurityChoice& from, SmtpSecurity to) {
    // A stored text that names no security has no usual port.
    if (!from.Known() || Trim(port) != std::to_string(UsualSmtpPort(from.ToConnect()))) return port;
    return std::to_string(UsualSmtpPort(to));
}

bool TestCommandGate::Hold(const Command& command) {
    if (!running_) return false;
    if (std::find(held_.begin(), held_.end(), command) == held_.end()) held_.push_back(command);
    return true;
}

std::vector<TestCommandGate::Command> TestCommandGate::TestEnded() {
    running_ = false;
    return std::exchange(held_, {});
}

void SettingsDialogClosed(SettingsDialogHost& host, bool applied, const SettingsForm& form) {
    if (applied) {
        {
            const std::unique_ptr<KeyValueStore> raw = host.OpenStore();
            SettingsStore store(*raw);
            WriteSettingsForm(store, form, host.Settings());
        }
        host.SetLightHint();
    }
    if (host.Settings().notifyByMail && !host.MailSettingsComplete()) {
        host.ShowError("Missing e-mail parameters. Please use the settings button to update them.");
        host.DisableEmail();
        return;
    }
    // The dialog does not choose the computer: the one chosen on the window
    // stays, whatever the store still holds.
    const std::string chosen = host.Settings().selectedComputer;
    host.ReloadSettings();
    host.Settings().selectedComputer = chosen;
}

SettingsTab TabForMethod(bool screenMethod) {
    return screenMethod ? SettingsTab::ScreenNotification : SettingsTab::InternetEmail;
}

bool MayLeaveTab(SettingsTab current, bool notifyByMail) {
    if (notifyByMail) return true;
    return current == SettingsTab::MonitoringFrequency || current == SettingsTab::HtmlOutput;
}

}  // namespace vigilor
