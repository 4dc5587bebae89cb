#include "notify/tls_texts.h"

#include <cstdio>

namespace vigilor {

namespace {

std::string ErrorCode(uint32_t code) {
    char text[24];
    std::snprintf(text, sizeof text, "error 0x%08X", static_cast<unsigned>(code));
    return text;
}

// The codes by their names in the platform's headers, which portable code
// does not read.
constexpr uint32_t CERT_E_EXPIRED = 0x800B0101;
constexpr uint32_t CERT_E_PURPOSE = 0x800B0106;
constexpr uint32_t CERT_E_UNTRUSTEDROOT = 0x800B0109;
constexpr uint32_t CERT_E_CHAINING = 0x800B010A;
constexpr uint32_t CERT_E_REVOKED = 0x800B010C;
constexpr uint32_t CERT_E_CN_NO_MATCH = 0x800B010F;
constexpr uint32_t CERT_E_WRONG_USAGE = 0x800B0110;
constexpr uint32_t CRYPT_E_REVOKED = 0x80092010;
constexpr uint32_t TRUST_E_CERT_SIGNATURE = 0x80096004;
constexpr uint32_t SEC_E_UNSUPPORTED_FUNCTION = 0x80090302;
constexpr uint32_t SEC_E_WRONG_PRINCIPAL = 0x80090322;
constexpr uint32_t SEC_E_ILLEGAL_MESSAGE = 0x80090326;
constexpr uint32_t SEC_E_CERT_UNKNOWN = 0x80090327;
constexpr uint32_t SEC_E_ALGORITHM_MISMATCH = 0x80090331;

}  // namespace

std::string CertificateRefusal(uint32_t policyError, const std::string& hostName) {
    std::string reason;
    switch (policyError) {
        case 0: return "";
        case CERT_E_UNTRUSTEDROOT: reason = "its root is not a trusted certificate authority"; break;
        case CERT_E_CHAINING: reason = "it does not lead to a trusted certificate authority"; break;
        case CERT_E_EXPIRED: reason = "it has expired or is not valid yet"; break;
        case CERT_E_CN_NO_MATCH: reason = "it is issued for another name than \"" + hostName + "\""; break;
        case CERT_E_WRONG_USAGE:
        case CERT_E_PURPOSE: reason = "it is not meant for a server"; break;
        case CERT_E_REVOKED:
        case CRYPT_E_REVOKED: reason = "it has been revoked"; break;
        case TRUST_E_CERT_SIGNATURE: reason = "its signature is not valid"; break;
        default: reason = ErrorCode(policyError); break;
    }
    return "Server certificate not trusted: " + reason;
}

std::string HandshakeFailure(uint32_t status) {
    std::string reason;
    switch (status) {
        case SEC_E_ILLEGAL_MESSAGE: reason = "the server does not answer in TLS"; break;
        case SEC_E_ALGORITHM_MISMATCH:
        case SEC_E_UNSUPPORTED_FUNCTION: reason = "no TLS version or cipher in common with the server"; break;
        case SEC_E_CERT_UNKNOWN: reason = "the server refused the connection"; break;
        case SEC_E_WRONG_PRINCIPAL: reason = "the server's name does not fit"; break;
        default: reason = "the security package stopped with " + ErrorCode(status); break;
    }
    return "TLS handshake failed: " + reason;
}

}  // namespace vigilor
