#pragma once
// How the connection to the mail server is protected, as stored in
// "EMailSMTPSecurity" and chosen in the settings dialog.
#include <string>

namespace vigilor {

enum class SmtpSecurity {
    None,      // plain SMTP, HELO, no authentication
    StartTls,  // EHLO, STARTTLS, handshake, EHLO again
    Tls,       // handshake right after connecting, then EHLO
};

constexpr const char* kSmtpSecurityValue = "EMailSMTPSecurity";

// "None", "STARTTLS" or "TLS", in the dialog's order.
const char* SmtpSecurityName(SmtpSecurity security);

// The choice as stored: one of the three, or a text that names none of
// them. Such a text is never taken for None, which would send the mail and
// the password in plain text: it is kept to be named in the refusal to
// connect and written back as it was.
class SmtpSecurityChoice {
public:
    SmtpSecurityChoice(SmtpSecurity security = SmtpSecurity::None) : security_(security) {}

    bool Known() const { return unknown_.empty(); }
    // The security to connect with; throws AppError naming the stored text
    // when it is none of the three.
    SmtpSecurity ToConnect() const;
    // What is stored and shown: the name, or the unknown text as it was.
    std::string Text() const;

    friend bool operator==(const SmtpSecurityChoice&, const SmtpSecurityChoice&) = default;

private:
    friend SmtpSecurityChoice ParseSmtpSecurity(const std::string& stored);
    SmtpSecurity security_;
    std::string unknown_;
};

// The stored text, ignoring letter case and blanks around it. An absent
// or empty value is None: the versions before the choice stored nothing.
SmtpSecurityChoice ParseSmtpSecurity(const std::string& stored);

// The port a server usually listens on for this security: 25, 587, 465.
int UsualSmtpPort(SmtpSecurity security);

}  // namespace vigilor
