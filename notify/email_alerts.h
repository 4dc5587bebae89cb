#pragma once
// The alerts of a check pass: which notifications go out for a failure or
// a restart, the alert mails, and the main window's reactions to the mail
// client's events.
#include <cstdint>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "config/settings_store.h"
#include "notify/alert_host.h"
#include "notify/smtp_client.h"

namespace vigilor {

constexpr const char* kMachineDownMarker = "IsNotAlive";

// The message for the first of the e-mail settings that is missing; nullopt
// when they are complete.
std::optional<std::string> FirstMissingMailSetting(SettingsStore& store);

// The text of one failure alert.
std::string AlertLine(const std::string& machine, const std::string& service);
// The text of a restart notice and of its event entry.
std::string RestartLine(const std::string& machine, const std::string& service);

// What an alert announces: a failure of a service or a computer that does
// not answer.
enum class AlertKind { Failure, Down };

// One alert: raised once until Reset under its key, by the channels the
// notification settings choose; its entry is its event entry, and the
// entry's text its screen message and mail text.
struct AlertMessage {
    std::string key;
    AppEvent entry;
    std::string heading;  // the mail's first line
    std::string subject;
    AlertKind kind = AlertKind::Failure;
};

// The alerts raised since the program started, by kind: the failures only
// when the alerted list let them through, and every restart notice.
struct AlertCounts {
    std::uint64_t failure = 0;
    std::uint64_t down = 0;
    std::uint64_t restart = 0;
};

class EmailAlerts {
public:
    // Wires the client's events to the handlers below; host, channels and
    // client must outlive this object.
    EmailAlerts(AlertHost& host, NotificationChannels& channels, TNMSMTP& client);

    // From here until EndPass the alerts speak to whoever the attendance
    // says is there; each pass starts with nothing told yet.
    void BeginPass(Attendance attendance);
    // Back to a user at the screen, as outside a pass.
    void EndPass();

    void ValidateMailSettings();
    void DisableEmail();
    void SendFailureAlert(const std::string& machine, const std::string& service);
    void SendAlert(const AlertMessage& alert);
    void SendRestartNotice(const std::string& machine, const std::string& service);

    bool MailSettingsValid() const { return mailSettingsValid_; }
    const AlertCounts& Raised() const { return raised_; }
    // The body of the last mail composed.
    const std::vector<std::string>& MailText() const { return mailText_; }

    void NMSMTP1Success();
    void NMSMTP1Failure();
    void NMSMTP1ConnectionFailed();
    void NMSMTP1RecipientNotFound();
    void NMSMTP1InvalidHost(bool& handled);
    void NMSMTP1AuthenticationFailed(bool& handled);

private:
    // A message for the user: the "Error" box when someone is at the
    // screen; otherwise a failure report and an event entry, once a pass.
    void Tell(const std::string& text);
    void ValidateForAlert();
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
    Attendance attendance_ = Attendance::Attended;
    std::set<std::string> toldThisPass_;
    bool inPass_ = false;
    bool validatedThisPass_ = false;
    AlertCounts raised_;
};

// Holds the alerts in the attendance of one pass for as long as it runs.
class PassAttendance {
public:
    PassAttendance(EmailAlerts& alerts, Attendance attendance) : alerts_(alerts) { alerts_.BeginPass(attendance); }
    ~PassAttendance() { alerts_.EndPass(); }
    PassAttendance(const PassAttendance&) = delete;
    PassAttendance& operator=(const PassAttendance&) = delete;

private:
    EmailAlerts& alerts_;
};

}  // namespace vigilor
