#pragma once
// The program's own check of a mail server's certificate: the platform's
// TLS layer is asked to leave it to us (and Wine's does none at all).
#include <windows.h>
#include <wincrypt.h>

#include <string>

namespace vigilor {

// Returns when the certificate leads to a trusted root, is valid now, is
// meant for a server and is issued for hostName; else throws AppError
// with the reason.
void CheckServerCertificate(PCCERT_CONTEXT certificate, const std::string& hostName);

}  // namespace vigilor
