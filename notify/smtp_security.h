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

// The stored text, ignoring letter case and blanks around it; anything
// else is None.
SmtpSecurity ParseSmtpSecurity(const std::string& stored);

// The port a server usually listens on for this security: 25, 587, 465.
int UsualSmtpPort(SmtpSecurity security);

}  // namespace vigilor
