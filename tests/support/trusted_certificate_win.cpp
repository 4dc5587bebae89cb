#include "tests/support/trusted_certificate_win.h"

#include <windows.h>
#include <wincrypt.h>

#include <vector>

#include "platform/handles_win.h"
#include "tests/support/wine_paths.h"

namespace vigilor::test {

namespace {

std::string Failed(const char* call) {
    const DWORD code = GetLastError();
    return std::string(call) + " failed: " + std::to_string(code);
}

}  // namespace

bool TrustInRootStore(const std::string& derPath, std::string& error) {
    if (!FileThere(derPath)) {
        error = "no certificate file " + derPath;
        return false;
    }
    const std::string text = ReadWholeFile(derPath);
    const std::vector<BYTE> der(text.begin(), text.end());
    CertificateContext certificate(
        CertCreateCertificateContext(X509_ASN_ENCODING, der.data(), static_cast<DWORD>(der.size())));
    if (!certificate) {
        error = Failed("CertCreateCertificateContext") + " for " + derPath;
        return false;
    }
    CertificateStore root(CertOpenStore(CERT_STORE_PROV_SYSTEM_W, 0, 0, CERT_SYSTEM_STORE_LOCAL_MACHINE, L"ROOT"));
    if (!root) {
        error = Failed("CertOpenStore");
        return false;
    }
    if (!CertAddCertificateContextToStore(root.Get(), certificate.Get(), CERT_STORE_ADD_REPLACE_EXISTING, nullptr)) {
        error = Failed("CertAddCertificateContextToStore");
        return false;
    }
    return true;
}

}  // namespace vigilor::test
