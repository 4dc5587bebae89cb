#pragma once
// TICMP: one ICMP echo request through the system's echo service, bound
// at run time: IPv4 from "icmp.dll", IPv6 (ICMPv6) from "iphlpapi.dll".
#include <winsock2.h>
#include <ws2tcpip.h>
#include <windows.h>
#include <ipexport.h>

#include <functional>
#include <vector>
#include <string>

#include "platform/app_error.h"
#include "platform/socket_win.h"

namespace vigilor {

class TICMPException : public AppError {
public:
    using AppError::AppError;
};

// The fixed part of the last reply.
struct EchoReplyHeader {
    std::string address;  // dotted, or the IPv6 text
    unsigned long status = 0;
    unsigned long roundTripMs = 0;
    unsigned dataSize = 0;
};

// The echo service's calls. The IPv6 pair may be missing: only an IPv6
// echo needs it.
struct IcmpCalls {
    using CreateFn = HANDLE(WINAPI*)();
    using CloseFn = BOOL(WINAPI*)(HANDLE);
    using SendEchoFn = DWORD(WINAPI*)(HANDLE, ULONG, LPVOID, WORD, void*, LPVOID, DWORD, DWORD);
    // Icmp6SendEcho2 without event or completion routine: it waits.
    using SendEcho6Fn = DWORD(WINAPI*)(HANDLE, HANDLE, void*, void*, sockaddr_in6*, sockaddr_in6*, LPVOID, WORD,
                                       void*, LPVOID, DWORD, DWORD);
    CreateFn create = nullptr;
    CloseFn close = nullptr;
    SendEchoFn sendEcho = nullptr;
    CreateFn create6 = nullptr;
    SendEcho6Fn sendEcho6 = nullptr;
};

// The reply of Icmp6SendEcho2 (ICMPV6_ECHO_REPLY), before the echoed data.
struct Icmpv6EchoReply {
    IPV6_ADDRESS_EX Address;
    ULONG Status;
    unsigned int RoundTripTime;
};

class TICMP {
public:
    // Starts the socket library (1.1), loads the echo library and opens an
    // echo handle; raises TICMPException with the step's text on failure.
    // The library name is a parameter so that its failures can be tried.
    explicit TICMP(const wchar_t* library = L"icmp.dll");
    // The same over the given calls.
    explicit TICMP(const IcmpCalls& calls);
    ~TICMP();
    TICMP(const TICMP&) = delete;
    TICMP& operator=(const TICMP&) = delete;

    std::string Address;
    int Size = 56;
    int TTL = 64;
    int Timeout = 4000;

    std::function<void(const std::string&)> OnDisplay;
    std::function<void()> OnEchoRequest;

    // Sends one echo to Address and waits for it (up to Timeout): ICMPv6
    // to an IPv6 address, or to a name that resolves to IPv6 alone. The
    // number of replies, 0 when none came or the address did not resolve.
    int Ping();

    unsigned long LastError() const { return lastError_; }
    const EchoReplyHeader& LastReply() const { return lastReply_; }

private:
    void Open();
    bool Resolve();
    DWORD SendEcho6(std::vector<char>& request, IP_OPTION_INFORMATION& options);
    void Display(const std::string& text);

    struct LibraryTraits {
        using Handle = HMODULE;
        static Handle Empty() { return nullptr; }
        static void Close(Handle h) { FreeLibrary(h); }
    };

    WinsockSession winsock_{0x0101};
    UniqueHandle<LibraryTraits> library_;
    UniqueHandle<LibraryTraits> library6_;
    IcmpCalls calls_;
    HANDLE handle_ = INVALID_HANDLE_VALUE;
    HANDLE handle6_ = INVALID_HANDLE_VALUE;  // opened at the first IPv6 echo
    std::string resolvedFor_;
    unsigned long resolved_ = 0;  // network order
    bool ipv6_ = false;
    sockaddr_in6 resolved6_{};
    bool haveAddress_ = false;
    unsigned long lastError_ = 0;
    EchoReplyHeader lastReply_;
};

}  // namespace vigilor
