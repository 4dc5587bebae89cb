#pragma once
// How the connection to the mail server is protected, as stored in
// "EMailSMTPSecurity" and chosen in the settings dialog.
#include <string>

#include "config/key_value_store.h"

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
    // A stored value of another type than text (a number, say): unknown,
    // and left in the store as it is.
    bool StoredAsText() const { return !notText_; }
    // The security to connect with; throws AppError naming the stored text
    // when it is none of the three.
    SmtpSecurity ToConnect() const;
    // What is stored and shown: the name, or the unknown text as it was.
    std::string Text() const;

    friend bool operator==(const SmtpSecurityChoice&, const SmtpSecurityChoice&) = default;

private:
    friend SmtpSecurityChoice ParseSmtpSecurity(const std::string& stored);
    friend SmtpSecurityChoice ReadSmtpSecurity(KeyValueStore& store);
    SmtpSecurity security_;
    std::string unknown_;
    bool notText_ = false;
};

// The stored text, ignoring letter case and blanks around it. An absent
// or empty value is None: the versions before the choice stored nothing.
SmtpSecurityChoice ParseSmtpSecurity(const std::string& stored);

// The stored choice; a value that is there but holds no text is unknown.
SmtpSecurityChoice ReadSmtpSecurity(KeyValueStore& store);

// The port a server usually listens on for this security: 25, 587, 465.
int UsualSmtpPort(SmtpSecurity security);

}  // namespace vigilor
