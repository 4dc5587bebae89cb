#include "config/settings_form.h"

#include "platform/text.h"

namespace vigilor {

SettingsForm ReadSettingsForm(SettingsStore& store, const std::string& currentUser, ProgramSettings& memory) {
    SettingsForm form;
    form.notifyByMail = store.ReadBool("NotifybyMail", true);
    form.screenMethod = store.ReadBool("ScreenNotify", true);
    form.scanInterval = store.ReadInteger("ScanInterval", 1);
    if (form.scanInterval < 1 || form.scanInterval > 60) form.scanInterval = 1;
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
    memory.screenNotify = form.screenMethod;
    memory.emailTo = Trim(form.to);
    memory.notifyLogin = form.notifyLogin;
    return form;
}

std::optional<ApplyRefusal> CheckApply(const SettingsForm& form) {
    if (form.notifyByMail && !form.screenMethod) {
        const struct {
            const std::string& text;
            SettingsField field;
            const char* message;
        } required[] = {
            {form.smtpHost, SettingsField::SmtpHost, "No SMTP host defined! Please check your parameters."},
            {form.port, SettingsField::Port, "No Port defined! Please check your parameters."},
            {form.userId, SettingsField::UserId, "No User ID defined! Please check your parameters."},
            {form.senderName, SettingsField::SenderName, "No Sender Name defined! Please check your parameters."},
            {form.senderAddress, SettingsField::SenderAddress,
             "No Sender e-mail defined! Please check your parameters."},
            {form.to, SettingsField::Recipient, "No Recipient (TO) defined! Please check your parameters."},
        };
        for (const auto& entry : required)
            if (Trim(entry.text).empty()) return ApplyRefusal{entry.field, entry.message};
    }
    const std::optional<int> port = ParseDecimal(form.port);
    if (!port || *port < 1 || *port > 65535)
        return ApplyRefusal{SettingsField::Port, "'" + form.port + "' is not a valid integer value"};
    return std::nullopt;
}

int PortNumber(const std::string& text) { return ParseDecimal(text).value_or(25); }

void WriteSettingsForm(SettingsStore& store, const SettingsForm& form, ProgramSettings& memory) {
    memory.notifyByMail = form.notifyByMail;
    memory.screenNotify = form.screenMethod;
    memory.scanInterval = form.scanInterval;
    memory.notifyLogin = form.notifyLogin;
    memory.emailTo = Trim(form.to);

    store.WriteBool("ScreenNotify", memory.screenNotify);
    store.WriteString("NotifyLogin", form.notifyLogin);
    store.WriteString("HTMLOutput", form.htmlOutput);
    store.WriteBool("HTMLOutputEnabled", form.htmlOutputEnabled);
    store.WriteString("EMailSMTPHost", form.smtpHost);
    store.WriteInteger("EMailSMTPPort", PortNumber(form.port));
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
    store.WriteString(kSmtpSecurityValue, SmtpSecurityName(form.security));
}

std::string PortAfterSecurityChange(const std::string& port, SmtpSecurity from, SmtpSecurity to) {
    if (Trim(port) != std::to_string(UsualSmtpPort(from))) return port;
    return std::to_string(UsualSmtpPort(to));
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
    host.LoadSettings();
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
