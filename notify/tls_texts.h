#pragma once
// What the user reads when a protected connection to the mail server
// cannot be made: the handshake's and the certificate check's error codes
// as sentences.
#include <cstdint>
#include <string>

namespace vigilor {

// Why the server's certificate is refused, from the error code of the
// certificate chain policy check; empty for 0 (accepted).
std::string CertificateRefusal(uint32_t policyError, const std::string& hostName);

// Why the handshake failed, from the security status it ended with.
std::string HandshakeFailure(uint32_t status);

}  // namespace vigilor
