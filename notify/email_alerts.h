#pragma once
// The alerts of a check pass: which notifications go out for a failure or
// a restart, the alert mails, and the main window's reactions to the mail
// client's events.
#include <string>
#include <vector>

#include "notify/alert_host.h"
#include "notify/smtp_client.h"

namespace vigilor {

constexpr const char* kMachineDownMarker = "IsNotAlive";

// The text of one failure alert.
std::string AlertLine(const std::string& machine, const std::string& service);
// The text of a restart notice and of its event entry.
std::string RestartLine(const std::string& machine, const std::string& service);

class EmailAlerts {
public:
    // Wires the client's events to the handlers below; host, channels and
    // client must outlive this object.
    EmailAlerts(AlertHost& host, NotificationChannels& channels, TNMSMTP& client);

    void ValidateMailSettings();
    void DisableEmail();
    void SendFailureAlert(const std::string& machine, const std::string& service);
    void SendRestartNotice(const std::string& machine, const std::string& service);

    bool MailSettingsValid() const { return mailSettingsValid_; }
    // The body of the last mail composed.
    const std::vector<std::string>& MailText() const { return mailText_; }

    void NMSMTP1Success();
    void NMSMTP1Failure();
    void NMSMTP1ConnectionFailed();
    void NMSMTP1RecipientNotFound();
    void NMSMTP1InvalidHost(bool& handled);
    void NMSMTP1AuthenticationFailed(bool& handled);

private:
    void Report(const std::string& message);
    void Warn(const std::string& message);
    void ComposeMail(const std::string& heading, const std::string& line);
    // Reads the server and the three required values; false after the
    // message box of the first one missing.
    bool PrepareClient(SettingsStore& store);
    void FillMessage(SettingsStore& store, const std::string& subject);
    void Deliver();
    void LaunchApplication();

    AlertHost& host_;
    NotificationChannels& channels_;
    TNMSMTP& client_;
    bool mailSettingsValid_ = false;
    std::vector<std::string> mailText_;
};

}  // namespace vigilor
