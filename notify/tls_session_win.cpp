#include "notify/tls_session_win.h"

#include <algorithm>
#include <cstring>

#include "notify/server_certificate_win.h"
#include "notify/tls_texts.h"
#include "platform/app_error.h"
#include "platform/handles_win.h"
#include "platform/wide_win.h"

namespace vigilor {

namespace {

constexpr ULONG kContextFlags = ISC_REQ_SEQUENCE_DETECT | ISC_REQ_REPLAY_DETECT | ISC_REQ_CONFIDENTIALITY |
                                ISC_REQ_ALLOCATE_MEMORY | ISC_REQ_STREAM | ISC_REQ_USE_SUPPLIED_CREDS;

// A handshake needs a few kilobytes, a long certificate chain some tens; a
// server sending far more, or answering round after round, is not making
// one.
constexpr size_t kMaxHandshakeBytes = 96 * 1024;
constexpr int kMaxHandshakeRounds = 32;
// One record at most, with room for its header and trailer.
constexpr size_t kMaxRecordBytes = 64 * 1024;

struct ContextBufferTraits {
    using Handle = void*;
    static Handle Empty() { return nullptr; }
    static void Close(Handle h) { FreeContextBuffer(h); }
};
using ContextBuffer = UniqueHandle<ContextBufferTraits>;

[[noreturn]] void FailHandshake(const std::string& reason) { throw AppError("TLS handshake failed: " + reason); }

// The server's first bytes open a TLS record of a handshake or an alert
// (version 3.x), as far as they have come. A plain-text server is told
// apart at once: the security package may take its text for the start of
// a long record and wait for the rest until the time runs out.
bool StartsLikeTlsRecord(const std::string& bytes) {
    constexpr unsigned char kAlert = 21, kHandshake = 22, kMajorVersion = 3;
    const auto byte = [&bytes](size_t i) { return static_cast<unsigned char>(bytes[i]); };
    if (!bytes.empty() && byte(0) != kAlert && byte(0) != kHandshake) return false;
    return bytes.size() < 2 || byte(1) == kMajorVersion;
}

int MillisecondsLeft(ULONGLONG deadline) {
    const ULONGLONG now = GetTickCount64();
    return now >= deadline ? 0 : static_cast<int>(std::min<ULONGLONG>(deadline - now, 0x7FFFFFFF));
}

Credentials AcquireCredentials() {
    // The program checks the server's certificate itself, and offers none
    // of its own.
    constexpr DWORD kFlags = SCH_CRED_MANUAL_CRED_VALIDATION | SCH_CRED_NO_DEFAULT_CREDS;
    SecurityHandle handle;
    TimeStamp expiry{};
    // Current Windows takes the newer record, which lets it offer TLS 1.3;
    // older Windows know only the classic one, limited here to TLS 1.2.
    // SSL and TLS before 1.2 are broken or withdrawn (RFC 8996): never
    // offered, whatever the system's defaults.
    TLS_PARAMETERS withdrawn{};
    withdrawn.grbitDisabledProtocols = SP_PROT_SSL2 | SP_PROT_SSL3 | SP_PROT_TLS1_0 | SP_PROT_TLS1_1;
    SCH_CREDENTIALS current{};
    current.dwVersion = SCH_CREDENTIALS_VERSION;
    current.dwFlags = kFlags;
    current.cTlsParameters = 1;
    current.pTlsParameters = &withdrawn;
    SECURITY_STATUS status = AcquireCredentialsHandleW(nullptr, const_cast<wchar_t*>(UNISP_NAME_W),
                                                       SECPKG_CRED_OUTBOUND, nullptr, &current, nullptr, nullptr,
                                                       &handle.value, &expiry);
    if (status != SEC_E_OK) {
        SCHANNEL_CRED classic{};
        classic.dwVersion = SCHANNEL_CRED_VERSION;
        classic.dwFlags = kFlags;
        classic.grbitEnabledProtocols = SP_PROT_TLS1_2_CLIENT;
        status = AcquireCredentialsHandleW(nullptr, const_cast<wchar_t*>(UNISP_NAME_W), SECPKG_CRED_OUTBOUND,
                                           nullptr, &classic, nullptr, nullptr, &handle.value, &expiry);
    }
    if (status != SEC_E_OK) throw AppError(HandshakeFailure(static_cast<uint32_t>(status)));
    handle.held = true;
    return Credentials(handle);
}

}  // namespace

TlsSession::TlsSession(RawStream& stream, const std::string& serverName, int timeoutMs)
    : stream_(stream), serverName_(Wide(serverName)), credentials_(AcquireCredentials()) {
    const ULONGLONG deadline = GetTickCount64() + static_cast<ULONGLONG>(std::max(timeoutMs, 0));
    // The first call makes the context and the client's hello.
    SecBuffer out{0, SECBUFFER_TOKEN, nullptr};
    SecBufferDesc outDesc{SECBUFFER_VERSION, 1, &out};
    SecurityHandle context;
    ULONG attributes = 0;
    SecHandle credentials = credentials_.Get().value;
    const SECURITY_STATUS status =
        InitializeSecurityContextW(&credentials, nullptr, serverName_.data(), kContextFlags, 0, 0, nullptr, 0,
                                   &context.value, &outDesc, &attributes, nullptr);
    const ContextBuffer hello(out.pvBuffer);
    if (status != SEC_I_CONTINUE_NEEDED) throw AppError(HandshakeFailure(static_cast<uint32_t>(status)));
    context.held = true;
    context_ = SecurityContext(context);
    const std::string clientHello(static_cast<const char*>(out.pvBuffer), out.cbBuffer);
    if (!stream_.SendRaw(clientHello, MillisecondsLeft(deadline))) FailHandshake("Connection Failed");
    Negotiate({}, true, deadline);

    if (QueryContextAttributesW(&context.value, SECPKG_ATTR_STREAM_SIZES, &sizes_) != SEC_E_OK)
        FailHandshake("no record sizes");
    // Checked as well as asked for: not every security package honours
    // the protocols withdrawn above (Wine's does not).
    SecPkgContext_ConnectionInfo connection{};
    if (QueryContextAttributesW(&context.value, SECPKG_ATTR_CONNECTION_INFO, &connection) != SEC_E_OK ||
        !(connection.dwProtocol & (SP_PROT_TLS1_2 | SP_PROT_TLS1_3)))
        FailHandshake("the server offers only TLS 1.1 or older");
    PCCERT_CONTEXT remote = nullptr;
    if (QueryContextAttributesW(&context.value, SECPKG_ATTR_REMOTE_CERT_CONTEXT, &remote) != SEC_E_OK || !remote)
        throw AppError("Server certificate not trusted: the server sent none");
    const CertificateContext certificate(remote);
    CheckServerCertificate(certificate.Get(), serverName);
}

void TlsSession::Negotiate(std::string incoming, bool readFirst, ULONGLONG deadline) {
    SecHandle credentials = credentials_.Get().value;
    SecHandle context = context_.Get().value;
    // Rounds that got a whole record; reads of a record in pieces are
    // bounded by the bytes and the deadline instead.
    int rounds = 0;
    size_t received = 0;
    if (readFirst) {
        ReadForHandshake(incoming, received, deadline);
        if (!StartsLikeTlsRecord(incoming))
            throw AppError(HandshakeFailure(static_cast<uint32_t>(SEC_E_ILLEGAL_MESSAGE)));
    }
    for (;;) {
        SecBuffer in[2] = {{static_cast<ULONG>(incoming.size()), SECBUFFER_TOKEN, incoming.data()},
                           {0, SECBUFFER_EMPTY, nullptr}};
        SecBufferDesc inDesc{SECBUFFER_VERSION, 2, in};
        SecBuffer out{0, SECBUFFER_TOKEN, nullptr};
        SecBufferDesc outDesc{SECBUFFER_VERSION, 1, &out};
        ULONG attributes = 0;
        const SECURITY_STATUS status = InitializeSecurityContextW(
            &credentials, &context, serverName_.data(), kContextFlags, 0, 0, &inDesc, 0, nullptr, &outDesc,
            &attributes, nullptr);
        const ContextBuffer token(out.pvBuffer);
        if (status == SEC_E_INCOMPLETE_MESSAGE) {
            ReadForHandshake(incoming, received, deadline);
            continue;
        }
        if (++rounds > kMaxHandshakeRounds) FailHandshake("the server keeps on negotiating");
        const bool goingOn = status == SEC_E_OK || status == SEC_I_CONTINUE_NEEDED;
        // On failure the token is an alert telling the server why; it may
        // not arrive.
        if (out.cbBuffer > 0 && out.pvBuffer) {
            const bool sent = stream_.SendRaw(std::string(static_cast<const char*>(out.pvBuffer), out.cbBuffer),
                                              MillisecondsLeft(deadline));
            if (!sent && goingOn) FailHandshake("Connection Failed");
        }
        if (status == SEC_I_INCOMPLETE_CREDENTIALS) continue;  // asked for a client certificate: go on without
        if (!goingOn) throw AppError(HandshakeFailure(static_cast<uint32_t>(status)));
        // What the context did not take belongs to the next step: the
        // server's next handshake record, or already its first reply.
        if (in[1].BufferType == SECBUFFER_EXTRA && in[1].cbBuffer > 0 && in[1].cbBuffer <= incoming.size())
            incoming.erase(0, incoming.size() - in[1].cbBuffer);
        else
            incoming.clear();
        if (status == SEC_E_OK) {
            encrypted_ = std::move(incoming);
            return;
        }
        if (incoming.empty()) ReadForHandshake(incoming, received, deadline);
    }
}

void TlsSession::ReadForHandshake(std::string& incoming, size_t& received, ULONGLONG deadline) {
    const int left = MillisecondsLeft(deadline);
    if (left <= 0) FailHandshake("Server reply Timed out");
    const size_t before = incoming.size();
    switch (stream_.ReceiveRaw(incoming, left)) {
        case WaitOutcome::Done: break;
        case WaitOutcome::TimedOut: FailHandshake("Server reply Timed out");
        case WaitOutcome::Canceled:
        case WaitOutcome::Failed: FailHandshake("Connection closed by server");
    }
    received += incoming.size() - before;
    if (received > kMaxHandshakeBytes) FailHandshake("the server sends too much");
}

bool TlsSession::Send(const std::string& plain, int timeoutMs) {
    const ULONGLONG deadline = GetTickCount64() + static_cast<ULONGLONG>(std::max(timeoutMs, 0));
    SecHandle context = context_.Get().value;
    for (size_t done = 0; done < plain.size();) {
        const size_t n = std::min<size_t>(plain.size() - done, sizes_.cbMaximumMessage);
        std::string record(sizes_.cbHeader + n + sizes_.cbTrailer, '\0');
        std::memcpy(record.data() + sizes_.cbHeader, plain.data() + done, n);
        SecBuffer buffers[4] = {
            {sizes_.cbHeader, SECBUFFER_STREAM_HEADER, record.data()},
            {static_cast<ULONG>(n), SECBUFFER_DATA, record.data() + sizes_.cbHeader},
            {sizes_.cbTrailer, SECBUFFER_STREAM_TRAILER, record.data() + sizes_.cbHeader + n},
            {0, SECBUFFER_EMPTY, nullptr}};
        SecBufferDesc desc{SECBUFFER_VERSION, 4, buffers};
        if (EncryptMessage(&context, 0, &desc, 0) != SEC_E_OK) return false;
        record.resize(buffers[0].cbBuffer + buffers[1].cbBuffer + buffers[2].cbBuffer);
        if (!stream_.SendRaw(record, MillisecondsLeft(deadline))) return false;
        done += n;
    }
    return true;
}

WaitOutcome TlsSession::Receive(std::string& into, int timeoutMs) {
    const ULONGLONG deadline = GetTickCount64() + static_cast<ULONGLONG>(std::max(timeoutMs, 0));
    SecHandle context = context_.Get().value;
    for (;;) {
        if (closedByServer_) return WaitOutcome::Failed;
        if (!encrypted_.empty()) {
            SecBuffer buffers[4] = {{static_cast<ULONG>(encrypted_.size()), SECBUFFER_DATA, encrypted_.data()},
                                    {0, SECBUFFER_EMPTY, nullptr},
                                    {0, SECBUFFER_EMPTY, nullptr},
                                    {0, SECBUFFER_EMPTY, nullptr}};
            SecBufferDesc desc{SECBUFFER_VERSION, 4, buffers};
            const SECURITY_STATUS status = DecryptMessage(&context, &desc, 0, nullptr);
            if (status == SEC_E_OK || status == SEC_I_RENEGOTIATE || status == SEC_I_CONTEXT_EXPIRED) {
                // The plain text and what follows it both lie inside
                // encrypted_: copy them out before it changes.
                std::string plain, rest;
                for (const SecBuffer& buffer : buffers) {
                    if (buffer.BufferType == SECBUFFER_DATA && buffer.pvBuffer)
                        plain.append(static_cast<const char*>(buffer.pvBuffer), buffer.cbBuffer);
                    if (buffer.BufferType == SECBUFFER_EXTRA && buffer.cbBuffer <= encrypted_.size())
                        rest = encrypted_.substr(encrypted_.size() - buffer.cbBuffer);
                }
                encrypted_ = std::move(rest);
                into += plain;
                if (status == SEC_I_CONTEXT_EXPIRED) closedByServer_ = true;
                // After the handshake the server may send more of it (TLS
                // 1.3 session tickets): the context takes it as a new round.
                if (status == SEC_I_RENEGOTIATE) {
                    try {
                        Negotiate(std::move(encrypted_), false, deadline);
                    } catch (const AppError&) {
                        return WaitOutcome::Failed;
                    }
                }
                if (!plain.empty()) return WaitOutcome::Done;
                continue;
            }
            if (status != SEC_E_INCOMPLETE_MESSAGE) return WaitOutcome::Failed;
            if (encrypted_.size() > kMaxRecordBytes) return WaitOutcome::Failed;
        }
        const int left = MillisecondsLeft(deadline);
        if (left <= 0) return WaitOutcome::TimedOut;
        const WaitOutcome outcome = stream_.ReceiveRaw(encrypted_, left);
        if (outcome != WaitOutcome::Done) return outcome;
    }
}

}  // namespace vigilor
