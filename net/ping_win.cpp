#include "net/ping_win.h"

#include "net/ipv4_address.h"
#include "platform/app_error.h"

namespace vigilor {

namespace {

constexpr wchar_t kWindowClass[] = L"VigilorPingLookup";

void RegisterWindowClass(WNDPROC procedure) {
    static const bool registered = [procedure] {
        WNDCLASSW windowClass{};
        windowClass.lpfnWndProc = procedure;
        windowClass.hInstance = GetModuleHandleW(nullptr);
        windowClass.lpszClassName = kWindowClass;
        return RegisterClassW(&windowClass) != 0;
    }();
    (void)registered;
}

}  // namespace

TPing::TPing() {
    RegisterWindowClass(&TPing::WindowProc);
    window_ = CreateWindowExW(0, kWindowClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, GetModuleHandleW(nullptr),
                              nullptr);
    if (!window_) throw AppError("Cannot create the look-up window, error #" + std::to_string(GetLastError()));
    SetWindowLongPtrW(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
}

TPing::~TPing() {
    // A pending request is simply forgotten: its worker finishes on its own
    // and its message finds no window.
    pending_.reset();
    DestroyWindow(window_);
}

LRESULT CALLBACK TPing::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == kLookupDoneMessage) {
        auto* self = reinterpret_cast<TPing*>(GetWindowLongPtrW(window, GWLP_USERDATA));
        if (self) {
            try {
                self->LookupDone(wParam);
            } catch (...) {
                self->handlerError_ = std::current_exception();
            }
        }
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

void TPing::LookupHost(const std::string& name) {
    pending_.reset();
    ++requestId_;
    ResolvedAddress.clear();
    if (ParseDottedIPv4(name)) {
        ResolvedAddress = DottedIPv4(*ParseDottedIPv4(name));
        ReportLookup(0);
        return;
    }
    const HWND window = window_;
    const WPARAM id = requestId_;
    pending_ = std::make_unique<HostLookupRequest>(
        name, [window, id] { PostMessageW(window, kLookupDoneMessage, id, 0); }, LookupFamily::IPv4ElseIPv6);
}

void TPing::LookupDone(WPARAM request) {
    if (!pending_ || request != requestId_) return;
    const HostLookupOutcome outcome = pending_->Outcome();
    pending_.reset();
    if (outcome.error == 0) ResolvedAddress = outcome.address;
    ReportLookup(outcome.error);
}

void TPing::CancelLookup() {
    if (!pending_) return;
    pending_.reset();
    ++requestId_;
    ReportLookup(WSAEINTR);
}

void TPing::ReportLookup(int error) {
    if (OnDnsLookupDone) OnDnsLookupDone(error);
}

int TPing::SendEcho() {
    engine_.Address = Address;
    engine_.Size = Size;
    engine_.Timeout = Timeout;
    engine_.TTL = TTL;
    engine_.OnDisplay = OnDisplay;
    engine_.OnEchoRequest = OnEchoRequest;
    const int replies = engine_.Ping();
    if (OnEchoReply) OnEchoReply(replies);
    return replies;
}

void TPing::RethrowHandlerError() {
    if (handlerError_) std::rethrow_exception(std::exchange(handlerError_, nullptr));
}

}  // namespace vigilor
