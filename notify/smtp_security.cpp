#include "notify/smtp_security.h"

#include "platform/app_error.h"
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

SmtpSecurity SmtpSecurityChoice::ToConnect() const {
    if (!Known())
        throw AppError("Unknown mail security \"" + unknown_ + "\" in " + kSmtpSecurityValue +
                       ": choose None, STARTTLS or TLS in the settings");
    return security_;
}

std::string SmtpSecurityChoice::Text() const { return Known() ? SmtpSecurityName(security_) : unknown_; }

SmtpSecurityChoice ParseSmtpSecurity(const std::string& stored) {
    const std::string text = Trim(stored);
    if (text.empty()) return SmtpSecurity::None;
    for (SmtpSecurity security : {SmtpSecurity::None, SmtpSecurity::StartTls, SmtpSecurity::Tls})
        if (EqualsIgnoringAsciiCase(text, SmtpSecurityName(security))) return security;
    SmtpSecurityChoice unknown;
    unknown.unknown_ = stored;
    return unknown;
}

SmtpSecurityChoice ReadSmtpSecurity(KeyValueStore& store) {
    if (const std::optional<std::string> text = store.Read(kSmtpSecurityValue)) return ParseSmtpSecurity(*text);
    if (!store.Exists(kSmtpSecurityValue)) return SmtpSecurity::None;
    SmtpSecurityChoice notText;
    notText.unknown_ = "(a value that is not text)";
    notText.notText_ = true;
    return notText;
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
