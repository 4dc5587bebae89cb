#include "notify/tls_texts.h"

#include <cstdio>

namespace vigilor {

namespace {

std::string ErrorCode(uint32_t code) {
    char text[24];
    std::snprintf(text, sizeof text, "error 0x%08X", static_cast<unsigned>(code));
    return text;
}

}  // namespace

std::string CertificateRefusal(uint32_t policyError, const std::string& hostName) {
    std::string reason;
    switch (policyError) {
        case 0: return "";
        case 0x800B0109: reason = "its root is not a trusted certificate authority"; break;   // CERT_E_UNTRUSTEDROOT
        case 0x800B010A: reason = "it does not lead to a trusted certificate authority"; break;  // CERT_E_CHAINING
        case 0x800B0101: reason = "it has expired or is not valid yet"; break;                  // CERT_E_EXPIRED
        case 0x800B010F: reason = "it is issued for another name than \"" + hostName + "\""; break;  // CERT_E_CN_NO_MATCH
        case 0x800B0110:                                                                        // CERT_E_WRONG_USAGE
        case 0x800B0106: reason = "it is not meant for a server"; break;                        // CERT_E_PURPOSE
        case 0x800B010C:                                                                        // CERT_E_REVOKED
        case 0x80092010: reason = "it has been revoked"; break;                                 // CRYPT_E_REVOKED
        case 0x80096004: reason = "its signature is not valid"; break;                          // TRUST_E_CERT_SIGNATURE
        default: reason = ErrorCode(policyError); break;
    }
    return "Server certificate not trusted: " + reason;
}

std::string HandshakeFailure(uint32_t status) {
    std::string reason;
    switch (status) {
        case 0x80090326: reason = "the server does not answer in TLS"; break;  // SEC_E_ILLEGAL_MESSAGE
        case 0x80090331:                                                        // SEC_E_ALGORITHM_MISMATCH
        case 0x80090302: reason = "no TLS version or cipher in common with the server"; break;  // SEC_E_UNSUPPORTED_FUNCTION
        case 0x80090327: reason = "the server refused the connection"; break;  // SEC_E_CERT_UNKNOWN
        case 0x80090322: reason = "the server's name does not fit"; break;     // SEC_E_WRONG_PRINCIPAL
        default: reason = ErrorCode(status); break;
    }
    return "TLS handshake failed: " + reason;
}

}  // namespace vigilor
