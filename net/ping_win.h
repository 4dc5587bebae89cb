#pragma once
// TPing: resolves a computer's name without blocking the thread and sends
// one echo request through its engine.
#include <windows.h>

#include <exception>
#include <functional>
#include <memory>
#include <string>

#include "net/host_lookup_win.h"
#include "net/icmp_engine_win.h"

namespace vigilor {

class TPing {
public:
    // The completion of a look-up, posted to the component's hidden window.
    static constexpr UINT kLookupDoneMessage = WM_USER + 2;

    TPing();  // raises TICMPException when the engine cannot be set up
    ~TPing();
    TPing(const TPing&) = delete;
    TPing& operator=(const TPing&) = delete;

    std::string Address;
    int Size = 56;
    int Timeout = 4000;
    int TTL = 64;
    std::string ResolvedAddress;

    std::function<void(const std::string&)> OnDisplay;
    std::function<void()> OnEchoRequest;
    std::function<void(int replies)> OnEchoReply;
    std::function<void(int error)> OnDnsLookupDone;

    // Reports through OnDnsLookupDone: at once for a dotted address, else
    // when the answer arrives as a message (the thread must dispatch them).
    void LookupHost(const std::string& name);
    // Gives up a pending look-up and reports error 10004 (interrupted).
    void CancelLookup();
    bool LookupPending() const { return static_cast<bool>(pending_); }
    int SendEcho();

    // An error raised by a handler run from the hidden window, handed to
    // the code that waits for it.
    void RethrowHandlerError();

private:
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    void LookupDone(WPARAM request);
    void ReportLookup(int error);

    TICMP engine_;
    HWND window_ = nullptr;
    std::unique_ptr<HostLookupRequest> pending_;
    WPARAM requestId_ = 0;
    std::exception_ptr handlerError_;
};

}  // namespace vigilor
