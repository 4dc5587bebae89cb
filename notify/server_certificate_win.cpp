#include "notify/server_certificate_win.h"

#include "notify/tls_texts.h"
#include "platform/app_error.h"
#include "platform/handles_win.h"
#include "platform/wide_win.h"

namespace vigilor {

namespace {

[[noreturn]] void Refuse(DWORD error, const std::string& hostName) {
    // A call that fails without saying why still refuses.
    throw AppError(CertificateRefusal(error != 0 ? error : static_cast<DWORD>(E_FAIL), hostName));
}

}  // namespace

void CheckServerCertificate(PCCERT_CONTEXT certificate, const std::string& hostName) {
    // Only a certificate meant for TLS servers will do.
    char serverAuth[] = szOID_PKIX_KP_SERVER_AUTH;
    LPSTR usages[] = {serverAuth};
    CERT_CHAIN_PARA para{};
    para.cbSize = sizeof para;
    para.RequestedUsage.dwType = USAGE_MATCH_TYPE_AND;
    para.RequestedUsage.Usage.cUsageIdentifier = 1;
    para.RequestedUsage.Usage.rgpszUsageIdentifier = usages;
    PCCERT_CHAIN_CONTEXT built = nullptr;
    // The chain may use the intermediate certificates the server sent, and
    // those already on this computer, but fetches none from the network:
    // the chain is built on the window's thread, which nothing may hold
    // for an unbounded download. A server must send its whole chain, as
    // the TLS rules ask of it.
    if (!CertGetCertificateChain(nullptr, certificate, nullptr, certificate->hCertStore, &para,
                                 CERT_CHAIN_CACHE_ONLY_URL_RETRIEVAL, nullptr, &built))
        Refuse(GetLastError(), hostName);
    const CertificateChain chain(built);
    // Refused here as well as by the policy below: Wine's policy lets a
    // chain that stops short of a root pass.
    if (chain.Get()->TrustStatus.dwErrorStatus & CERT_TRUST_IS_PARTIAL_CHAIN)
        Refuse(static_cast<DWORD>(CERT_E_CHAINING), hostName);

    std::wstring serverName = Wide(hostName);
    HTTPSPolicyCallbackData ssl{};
    ssl.cbStruct = sizeof ssl;
    ssl.dwAuthType = AUTHTYPE_SERVER;
    ssl.pwszServerName = serverName.data();
    CERT_CHAIN_POLICY_PARA policy{};
    policy.cbSize = sizeof policy;
    policy.pvExtraPolicyPara = &ssl;
    CERT_CHAIN_POLICY_STATUS status{};
    status.cbSize = sizeof status;
    if (!CertVerifyCertificateChainPolicy(CERT_CHAIN_POLICY_SSL, chain.Get(), &policy, &status))
        Refuse(GetLastError(), hostName);
    if (status.dwError != 0) Refuse(status.dwError, hostName);
}

}  // namespace vigilor
