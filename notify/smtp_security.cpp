#include "notify/smtp_security.h"

#include "platform/text.h"

namespace vigilor {

const char* SmtpSecurityName(SmtpSecurity security) {
    switch (security) {
        case SmtpSecurity::StartTls: return "STARTTLS";
        case SmtpSecurity::Tls: return "TLS";
        case SmtpSecurity::None: break;
    }
    return "None";
}

SmtpSecurity ParseSmtpSecurity(const std::string& stored) {
    const std::string text = Trim(stored);
    for (SmtpSecurity security : {SmtpSecurity::StartTls, SmtpSecurity::Tls})
        if (EqualsIgnoringAsciiCase(text, SmtpSecurityName(security))) return security;
    return SmtpSecurity::None;
}

int UsualSmtpPort(SmtpSecurity security) {
    switch (security) {
        case SmtpSecurity::StartTls: return 587;
        case SmtpSecurity::Tls: return 465;
        case SmtpSecurity::None: break;
    }
    return 25;
}

}  // namespace vigilor
