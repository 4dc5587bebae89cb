#include "net/icmp_engine_win.h"

#include <algorithm>
#include <cstring>

#include "net/host_lookup_win.h"
#include "net/ipv4_address.h"

namespace vigilor {

namespace {

// Written at the start of the echo data, so that a capture shows who sent it.
constexpr char kIdentification[] = "Vigilor service monitor - machine alive check";
static_assert(sizeof kIdentification - 1 == 45);

template <typename Fn>
Fn Bound(HMODULE library, const char* name) {
    return library ? reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(library, name))) : nullptr;
}

std::string Dotted(unsigned long networkOrder) {
    const auto* b = reinterpret_cast<const std::uint8_t*>(&networkOrder);
    return DottedIPv4({b[0], b[1], b[2], b[3]});
}

std::string Ipv6Text(const USHORT (&words)[8]) {
    in6_addr address{};
    std::memcpy(&address, words, sizeof address);
    char text[INET6_ADDRSTRLEN] = {};
    return inet_ntop(AF_INET6, &address, text, sizeof text) ? text : "";
}

}  // namespace

TICMP::TICMP(const wchar_t* library) {
    if (!winsock_.Ok()) throw TICMPException("Error initialising Winsock");
    library_.Reset(LoadLibraryW(library));
    if (!library_) throw TICMPException("Unable to register icmp.dll");
    calls_.create = Bound<IcmpCalls::CreateFn>(library_.Get(), "IcmpCreateFile");
    calls_.close = Bound<IcmpCalls::CloseFn>(library_.Get(), "IcmpCloseHandle");
    calls_.sendEcho = Bound<IcmpCalls::SendEchoFn>(library_.Get(), "IcmpSendEcho");
    library6_.Reset(LoadLibraryW(L"iphlpapi.dll"));
    calls_.create6 = Bound<IcmpCalls::CreateFn>(library6_.Get(), "Icmp6CreateFile");
    calls_.sendEcho6 = Bound<IcmpCalls::SendEcho6Fn>(library6_.Get(), "Icmp6SendEcho2");
    Open();
}

TICMP::TICMP(const IcmpCalls& calls) : calls_(calls) {
    if (!winsock_.Ok()) throw TICMPException("Error initialising Winsock");
    Open();
}

void TICMP::Open() {
    if (!calls_.create || !calls_.close || !calls_.sendEcho) throw TICMPException("Error loading dll functions");
    handle_ = calls_.create();
    if (handle_ == INVALID_HANDLE_VALUE) throw TICMPException("Unable to get ping handle");
}

TICMP::~TICMP() {
    if (handle_ != INVALID_HANDLE_VALUE) calls_.close(handle_);
    if (handle6_ != INVALID_HANDLE_VALUE) calls_.close(handle6_);
}

void TICMP::Display(const std::string& text) {
    if (OnDisplay) OnDisplay(text);
}

bool TICMP::Resolve() {
    if (haveAddress_ && resolvedFor_ == Address) return true;
    haveAddress_ = false;
    resolvedFor_ = Address;
    if (const auto dotted = ParseDottedIPv4(Address)) {
        std::memcpy(&resolved_, dotted->data(), 4);
        ipv6_ = false;
        haveAddress_ = true;
        return true;
    }
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    addrinfo* found = nullptr;
    const int error = getaddrinfo(Address.c_str(), nullptr, &hints, &found);
    const addrinfo* chosen = error == 0 ? PreferredAddress(found) : nullptr;
    if (chosen) {
        ipv6_ = chosen->ai_family == AF_INET6;
        if (ipv6_)
            std::memcpy(&resolved6_, chosen->ai_addr, sizeof resolved6_);
        else
            resolved_ = reinterpret_cast<const sockaddr_in*>(chosen->ai_addr)->sin_addr.s_addr;
        haveAddress_ = true;
    } else {
        lastError_ = static_cast<unsigned long>(error ? error : WSAHOST_NOT_FOUND);
        Display("Unable to resolve " + Address);
    }
    if (found) freeaddrinfo(found);
    return haveAddress_;
}

DWORD TICMP::SendEcho6(std::vector<char>& request, IP_OPTION_INFORMATION& options) {
    if (!calls_.create6 || !calls_.sendEcho6) throw TICMPException("Error loading dll functions");
    if (handle6_ == INVALID_HANDLE_VALUE) handle6_ = calls_.create6();
    if (handle6_ == INVALID_HANDLE_VALUE) throw TICMPException("Unable to get ping handle");
    sockaddr_in6 source{};
    source.sin6_family = AF_INET6;
    // Room for the reply, its data, an ICMP error message and the status
    // block the call writes, as the echo service asks.
    std::vector<unsigned char> reply(sizeof(Icmpv6EchoReply) + request.size() + 8 + 32, 0);
    const DWORD replies =
        calls_.sendEcho6(handle6_, nullptr, nullptr, nullptr, &source, &resolved6_, request.data(),
                         static_cast<WORD>(request.size()), &options, reply.data(), static_cast<DWORD>(reply.size()),
                         static_cast<DWORD>(Timeout));
    lastError_ = GetLastError();
    Icmpv6EchoReply header;
    std::memcpy(&header, reply.data(), sizeof header);
    lastReply_ = {Ipv6Text(header.Address.sin6_addr), header.Status, header.RoundTripTime,
                  replies ? static_cast<unsigned>(request.size()) : 0u};
    return replies;
}

int TICMP::Ping() {
    if (!Resolve()) {
        lastError_ = IP_BAD_DESTINATION;  // 11018
        Display("Invalid host address");
        return 0;
    }
    const size_t size = static_cast<size_t>(Size > 0 ? Size : 0);
    std::vector<char> request(size, ' ');
    std::memcpy(request.data(), kIdentification, std::min(size, sizeof kIdentification - 1));
    if (OnEchoRequest) OnEchoRequest();

    IP_OPTION_INFORMATION options{};
    options.Ttl = static_cast<UCHAR>(TTL);
    if (ipv6_) return static_cast<int>(SendEcho6(request, options));
    // Room for one reply, its data and an ICMP error message, as the echo
    // service asks.
    std::vector<unsigned char> reply(sizeof(ICMP_ECHO_REPLY) + size + 8, 0);
    const DWORD replies = calls_.sendEcho(handle_, resolved_, request.data(), static_cast<WORD>(size), &options,
                                          reply.data(), static_cast<DWORD>(reply.size()), static_cast<DWORD>(Timeout));
    lastError_ = GetLastError();
    const auto* header = reinterpret_cast<const ICMP_ECHO_REPLY*>(reply.data());
    lastReply_ = {Dotted(header->Address), header->Status, header->RoundTripTime, header->DataSize};
    return static_cast<int>(replies);
}

}  // namespace vigilor
