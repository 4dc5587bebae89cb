#include "net/icmp_engine_win.h"

#include <ws2tcpip.h>
#include <ipexport.h>

#include <cstring>
#include <vector>

#include "net/ipv4_address.h"

namespace vigilor {

namespace {

// Written at the start of the echo data, so that a capture shows who sent it.
constexpr char kIdentification[] = "Vigilor service monitor - machine alive check";
static_assert(sizeof kIdentification - 1 == 45);

template <typename Fn>
Fn Bound(HMODULE library, const char* name) {
    return reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(library, name)));
}

std::string Dotted(unsigned long networkOrder) {
    const auto* b = reinterpret_cast<const std::uint8_t*>(&networkOrder);
    return DottedIPv4({b[0], b[1], b[2], b[3]});
}

}  // namespace

TICMP::TICMP(const wchar_t* library) {
    if (!winsock_.Ok()) throw TICMPException("Error initialising Winsock");
    library_.Reset(LoadLibraryW(library));
    if (!library_) throw TICMPException("Unable to register icmp.dll");
    const auto create = Bound<CreateFn>(library_.Get(), "IcmpCreateFile");
    close_ = Bound<CloseFn>(library_.Get(), "IcmpCloseHandle");
    sendEcho_ = Bound<SendEchoFn>(library_.Get(), "IcmpSendEcho");
    if (!create || !close_ || !sendEcho_) throw TICMPException("Error loading dll functions");
    handle_ = create();
    if (handle_ == INVALID_HANDLE_VALUE) throw TICMPException("Unable to get ping handle");
}

TICMP::~TICMP() {
    if (handle_ != INVALID_HANDLE_VALUE) close_(handle_);
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
        haveAddress_ = true;
        return true;
    }
    addrinfo hints{};
    hints.ai_family = AF_INET;
    addrinfo* found = nullptr;
    const int error = getaddrinfo(Address.c_str(), nullptr, &hints, &found);
    if (error == 0 && found) {
        resolved_ = reinterpret_cast<const sockaddr_in*>(found->ai_addr)->sin_addr.s_addr;
        haveAddress_ = true;
    } else {
        lastError_ = static_cast<unsigned long>(error);
        Display("Unable to resolve " + Address);
    }
    if (found) freeaddrinfo(found);
    return haveAddress_;
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
    // Room for one reply, its data and an ICMP error message, as the echo
    // service asks.
    std::vector<unsigned char> reply(sizeof(ICMP_ECHO_REPLY) + size + 8, 0);
    if (OnEchoRequest) OnEchoRequest();

    IP_OPTION_INFORMATION options{};
    options.Ttl = static_cast<UCHAR>(TTL);
    const DWORD replies = sendEcho_(handle_, resolved_, request.data(), static_cast<WORD>(size), &options, reply.data(),
                                    static_cast<DWORD>(reply.size()), static_cast<DWORD>(Timeout));
    lastError_ = GetLastError();
    const auto* header = reinterpret_cast<const ICMP_ECHO_REPLY*>(reply.data());
    lastReply_ = {Dotted(header->Address), header->Status, header->RoundTripTime, header->DataSize};
    return static_cast<int>(replies);
}

}  // namespace vigilor
