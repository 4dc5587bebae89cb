#pragma once
// TICMP: one ICMP echo request through the system's echo service, bound
// from "icmp.dll" at run time.
#include <windows.h>

#include <functional>
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
    std::string address;  // dotted
    unsigned long status = 0;
    unsigned long roundTripMs = 0;
    unsigned dataSize = 0;
};

class TICMP {
public:
    // Starts the socket library (1.1), loads the echo library and opens an
    // echo handle; raises TICMPException with the step's text on failure.
    // The library name is a parameter so that its failures can be tried.
    explicit TICMP(const wchar_t* library = L"icmp.dll");
    ~TICMP();
    TICMP(const TICMP&) = delete;
    TICMP& operator=(const TICMP&) = delete;

    std::string Address;
    int Size = 56;
    int TTL = 64;
    int Timeout = 4000;

    std::function<void(const std::string&)> OnDisplay;
    std::function<void()> OnEchoRequest;

    // Sends one echo to Address and waits for it (up to Timeout); the
    // number of replies, 0 when none came or the address did not resolve.
    int Ping();

    unsigned long LastError() const { return lastError_; }
    const EchoReplyHeader& LastReply() const { return lastReply_; }

private:
    bool Resolve();
    void Display(const std::string& text);

    using CreateFn = HANDLE(WINAPI*)();
    using CloseFn = BOOL(WINAPI*)(HANDLE);
    using SendEchoFn = DWORD(WINAPI*)(HANDLE, ULONG, LPVOID, WORD, void*, LPVOID, DWORD, DWORD);

    struct LibraryTraits {
        using Handle = HMODULE;
        static Handle Empty() { return nullptr; }
        static void Close(Handle h) { FreeLibrary(h); }
    };

    WinsockSession winsock_{0x0101};
    UniqueHandle<LibraryTraits> library_;
    CloseFn close_ = nullptr;
    SendEchoFn sendEcho_ = nullptr;
    HANDLE handle_ = INVALID_HANDLE_VALUE;
    std::string resolvedFor_;
    unsigned long resolved_ = 0;  // network order
    bool haveAddress_ = false;
    unsigned long lastError_ = 0;
    EchoReplyHeader lastReply_;
};

}  // namespace vigilor
