#include "notify/email_alerts.h"

#include "config/settings.h"
#include "config/settings_store.h"
#include "platform/text.h"

namespace vigilor {

namespace {

std::string Quoted(const std::string& name) { return "\"" + name + "\""; }

bool IsMachineDown(const std::string& service) { return service == kMachineDownMarker; }

// Restores the status line, the cursor and closes the store when an alert
// mail is done, whichever way it ends.
class MailScope {
public:
    MailScope(AlertHost& host, ScreenCursor after) : host_(host), after_(after), raw_(host.OpenStore()), store_(*raw_) {}
    ~MailScope() {
        host_.ShowStatus(" ");
        raw_.reset();
        host_.SetCursor(after_);
    }
    SettingsStore& Store() { return store_; }

private:
    AlertHost& host_;
    ScreenCursor after_;
    std::unique_ptr<KeyValueStore> raw_;
    SettingsStore store_;
};

}  // namespace

std::string AlertLine(const std::string& machine, const std::string& service) {
    if (IsMachineDown(service)) return machine + " has stopped responding!";
    return "The service " + Quoted(service) + " on " + machine + " has stopped responding !";
}

std::string RestartLine(const std::string& machine, const std::string& service) {
    return "The service " + Quoted(service) + " on " + machine + " was successsfully restarted !";
}

EmailAlerts::EmailAlerts(AlertHost& host, NotificationChannels& channels, TNMSMTP& client)
    : host_(host), channels_(channels), client_(client) {
    client_.OnSuccess = [this] { NMSMTP1Success(); };
    client_.OnFailure = [this] { NMSMTP1Failure(); };
    client_.OnConnectionFailed = [this] { NMSMTP1ConnectionFailed(); };
    client_.OnRecipientNotFound = [this] { NMSMTP1RecipientNotFound(); };
    client_.OnInvalidHost = [this](bool& handled) { NMSMTP1InvalidHost(handled); };
    client_.OnAuthenticationFailed = [this](bool& handled) { NMSMTP1AuthenticationFailed(handled); };
}

void EmailAlerts::BeginPass(Attendance attendance) {
    attendance_ = attendance;
    toldThisPass_.clear();
    inPass_ = true;
    validatedThisPass_ = false;
}

void EmailAlerts::EndPass() {
    attendance_ = Attendance::Attended;
    inPass_ = false;
}

void EmailAlerts::ValidateForAlert() {
    // Once a pass: what it says is told once a pass anyway, and a pass of
    // many failed rows would read the store for every one of them.
    if (inPass_ && validatedThisPass_) return;
    ValidateMailSettings();
    validatedThisPass_ = inPass_;
}

void EmailAlerts::Tell(const std::string& text) {
    if (attendance_ == Attendance::Attended) {
        host_.ShowError(text);
        return;
    }
    if (!toldThisPass_.insert(text).second) return;
    Report(text);
    channels_.WriteEvent(MessageNotShownEvent(text));
}

std::optional<std::string> FirstMissingMailSetting(SettingsStore& store) {
    const struct {
        bool missing;
        const char* message;
    } tests[] = {
        {Trim(store.ReadString("EMailSMTPHost", "")).empty(), "No SMTP host defined! Please check your parameters."},
        {Trim(store.ReadString("EMailLocalName", "")).empty(),
         "No Sender (FROM) defined! Please check your email parameters."},
        {Trim(store.ReadString("EMailTo", "")).empty(),
         "No Recipient (TO) defined! Please check your email parameters."},
        {store.ReadInteger("EMailSMTPPort", 25) == 0, "No SMTP port defined! Please check your email parameters."},
        {Trim(store.ReadString("EMailSMTPID", "")).empty(), "No SMTP ID defined! Please check your email parameters."},
        {Trim(store.ReadString("EMailLocalAddr", "")).empty(),
         "No Sender information (Local Address) defined! Please check your email parameters."},
    };
    for (const auto& test : tests)
        if (test.missing) return test.message;
    return std::nullopt;
}

void EmailAlerts::ValidateMailSettings() {
    const auto raw = host_.OpenStore();
    SettingsStore store(*raw);
    const std::optional<std::string> missing = FirstMissingMailSetting(store);
    mailSettingsValid_ = !missing;
    if (missing) Tell(*missing);
}

void EmailAlerts::DisableEmail() { host_.Settings().notifyByMail = false; }

void EmailAlerts::SendFailureAlert(const std::string& machine, const std::string& service) {
    const bool down = IsMachineDown(service);
    SendAlert({AlertKey(machine, service), AlertEvent(AlertLine(machine, service)),
               down ? "** NT SERVER IS DOWN ** " : "** NT SERVICE FAULT ** ",
               down ? "NT Server is DOWN!" : "NT Service Failure Alert!", down ? AlertKind::Down : AlertKind::Failure});
}

void EmailAlerts::SendAlert(const AlertMessage& alert) {
    ValidateForAlert();
    if (host_.Alerted().Contains(alert.key)) return;
    host_.Alerted().Add(alert.key);
    ++(alert.kind == AlertKind::Down ? raised_.down : raised_.failure);

    const std::string& line = alert.entry.text;
    ProgramSettings& settings = host_.Settings();
    if (!settings.notifyByMail) channels_.WriteEvent(alert.entry);

    if (settings.notifyByMail && !settings.screenNotify) {
        host_.SetCursor(ScreenCursor::Hourglass);
        MailScope scope(host_, ScreenCursor::Default);
        host_.ShowStatus(" Sending e-mail to " + settings.emailTo);
        host_.RepaintNow();
        ComposeMail(alert.heading, line);
        if (!PrepareClient(scope.Store())) {
            channels_.WriteEvent(alert.entry);
            return;
        }
        FillMessage(scope.Store(), alert.subject);
        try {
            Deliver();
        } catch (...) {
            channels_.WriteEvent(alert.entry);
            throw;
        }
        channels_.WriteEvent(alert.entry);
    }

    if (settings.notifyByMail && settings.screenNotify) channels_.SendScreenMessage(line, settings.notifyLogin);
    LaunchApplication();
}

void EmailAlerts::SendRestartNotice(const std::string& machine, const std::string& service) {
    ValidateForAlert();
    host_.Alerted().Add(AlertKey(machine, service));
    ++raised_.restart;
    const std::string line = RestartLine(machine, service);
    channels_.LogAppEvent(line);

    const ProgramSettings& settings = host_.Settings();
    if (!settings.notifyByMail || settings.screenNotify) return;
    const ScreenCursor remembered = host_.CurrentCursor();
    host_.SetCursor(ScreenCursor::Hourglass);
    MailScope scope(host_, remembered);
    host_.ShowStatus(" Sending e-mail to " + settings.emailTo);
    host_.RepaintNow();
    ComposeMail("** NT SERVICE AUTO-RESTART ** ", line);
    if (!PrepareClient(scope.Store())) return;
    FillMessage(scope.Store(), "NT Service Auto-Restart successful");
    Deliver();
}

void EmailAlerts::ComposeMail(const std::string& heading, const std::string& line) {
    const std::string program = "Vigilor v." + host_.VersionText();
    mailText_ = {heading, "", line, "", program};
    TPostMessage& message = client_.PostMessage;
    message.LocalProgram = program;
    message.ToAddress.clear();
    message.ToCarbonCopy.clear();
    message.ToBlindCarbonCopy.clear();
    message.Attachments.clear();
}

bool EmailAlerts::PrepareClient(SettingsStore& store) {
    client_.Host = store.ReadString("EMailSMTPHost", "");
    const char* missing = nullptr;
    if (Trim(client_.Host).empty())
        missing = "No SMTP host defined! Please check your parameters.";
    else if (Trim(store.ReadString("EMailLocalName", "")).empty())
        missing = "No Sender (FROM) defined! Please check your parameters.";
    else if (Trim(store.ReadString("EMailTo", "")).empty())
        missing = "No Recipient (TO) defined! Please check your parameters.";
    if (missing) Tell(missing);
    return missing == nullptr;
}

void EmailAlerts::FillMessage(SettingsStore& store, const std::string& subject) {
    client_.Port = store.ReadInteger("EMailSMTPPort", 25);
    client_.UserID = store.ReadString("EMailSMTPID", "");
    client_.Security = ParseSmtpSecurity(store.ReadString(kSmtpSecurityValue, ""));
    client_.Password = ScramblePassword(store.ReadString("EMailSMTPPwd", ""));
    TPostMessage& message = client_.PostMessage;
    message.Date = MailDate(channels_.Now());
    message.FromName = store.ReadString("EMailLocalName", "");
    message.FromAddress = store.ReadString("EMailLocalAddr", "");
    message.Subject = subject;
    message.ToAddress.push_back(store.ReadString("EMailTo", ""));
    const std::string cc = store.ReadString("EMailcc", "");
    if (!Trim(cc).empty()) message.ToCarbonCopy.push_back(cc);
    const std::string bcc = store.ReadString("EMailBcc", "");
    if (!Trim(bcc).empty()) message.ToBlindCarbonCopy.push_back(bcc);
    message.Body = mailText_;
}

void EmailAlerts::Deliver() {
    client_.SmtpConnect();
    client_.SendPost();
    client_.SmtpQuit();
}

void EmailAlerts::LaunchApplication() {
    const ProgramSettings& settings = host_.Settings();
    if (!settings.launchAppActive || !channels_.FileExists(settings.launchApp)) return;
    if (settings.execAndWait) {
        if (channels_.RunAndWait(settings.launchApp, kShowNormally).end == RunResult::End::StillRunning)
            Report(Quoted(settings.launchApp) + " still runs after " + std::to_string(kLaunchWaitMs / 60000) +
                   " minutes; the check goes on without waiting for it");
    } else {
        channels_.ShellLaunch(settings.launchApp, "", DirectoryPart(settings.launchApp), kShowNormally);
    }
}

void EmailAlerts::Report(const std::string& message) { AppendFailureReport(host_.Memo(), channels_.Now(), message); }

void EmailAlerts::Warn(const std::string& message) {
    DisableEmail();
    host_.ShowAlarm();
    Report(message);
}

void EmailAlerts::NMSMTP1Success() { Report("EMAIL SENT TO " + host_.Settings().emailTo); }

void EmailAlerts::NMSMTP1Failure() { Warn("WARNING --> SMTP *Sendmail* failed to " + host_.Settings().emailTo); }

void EmailAlerts::NMSMTP1ConnectionFailed() { Warn("WARNING --> SMTP Connection failed"); }

void EmailAlerts::NMSMTP1RecipientNotFound() { Warn("WARNING --> SMTP Recipient not found on specified Host"); }

void EmailAlerts::NMSMTP1InvalidHost(bool& handled) {
    handled = false;
    Warn("WARNING --> Invalid SMTP host specified");
}

void EmailAlerts::NMSMTP1AuthenticationFailed(bool& handled) {
    handled = false;
    Warn("WARNING --> SMTP authentication has failed specified Host");
}

}  // namespace vigilor
