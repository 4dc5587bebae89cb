#include "net/ping_form_win.h"

#include "net/ping_target.h"
#include "platform/message_pump_win.h"
#include "platform/report_error_win.h"
#include "platform/wide_win.h"

namespace vigilor {

namespace {

constexpr wchar_t kFormClass[] = L"TPingTstForm";
constexpr int kClientWidth = 145;
constexpr int kClientHeight = 48;

void RegisterFormClass(WNDPROC procedure) {
    static const bool registered = [procedure] {
        WNDCLASSW windowClass{};
        windowClass.lpfnWndProc = procedure;
        windowClass.hInstance = GetModuleHandleW(nullptr);
        windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        windowClass.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
        windowClass.lpszClassName = kFormClass;
        return RegisterClassW(&windowClass) != 0;
    }();
    (void)registered;
}

}  // namespace

TPingTstForm::TPingTstForm(HWND owner) : owner_(owner) {
    RegisterFormClass(&TPingTstForm::WindowProc);
    const DWORD style = WS_POPUP | WS_CAPTION;
    const DWORD exStyle = WS_EX_TOOLWINDOW;
    RECT frame{0, 0, kClientWidth, kClientHeight};
    AdjustWindowRectEx(&frame, style, FALSE, exStyle);
    window_ = CreateWindowExW(exStyle, kFormClass, kPingWindowCaption, style, 0, 0, frame.right - frame.left,
                              frame.bottom - frame.top, owner, nullptr, GetModuleHandleW(nullptr), nullptr);
    if (!window_) throw AppError("Cannot create the ping window, error #" + std::to_string(GetLastError()));
    SetWindowLongPtrW(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    const HDC screen = GetDC(nullptr);
    font_ = CreateFontW(-MulDiv(8, GetDeviceCaps(screen, LOGPIXELSY), 72), 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE,
                        DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH,
                        L"Tahoma");
    ReleaseDC(nullptr, screen);
    Label1 = CreateWindowExW(0, L"STATIC", L"Checking machine status ...", WS_CHILD | WS_VISIBLE | SS_LEFT, 8, 16,
                             kClientWidth - 16, 16, window_, nullptr, GetModuleHandleW(nullptr), nullptr);
    SendMessageW(Label1, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);
    Ping1.Size = 56;
    Ping1.Timeout = 4000;
    Ping1.TTL = 64;
    Ping1.OnDnsLookupDone = [this](int error) { Ping1DnsLookupDone(error); };
    Ping1.OnEchoReply = [this](int replies) { Ping1EchoReply(replies); };
    FormCreate();
}

TPingTstForm::~TPingTstForm() {
    DestroyWindow(window_);
    if (font_) DeleteObject(font_);
}

void TPingTstForm::FormCreate() {
    // Out of sight: the window only holds the main window while it waits.
    SetWindowPos(window_, nullptr, 10000, 10000, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

LRESULT CALLBACK TPingTstForm::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return ReportingErrors(window, LRESULT{0}, [&]() -> LRESULT {
        auto* self = reinterpret_cast<TPingTstForm*>(GetWindowLongPtrW(window, GWLP_USERDATA));
        if (self && message == WM_CTLCOLORSTATIC && reinterpret_cast<HWND>(lParam) == self->Label1) {
            const HDC dc = reinterpret_cast<HDC>(wParam);
            SetTextColor(dc, RGB(255, 0, 0));
            SetBkMode(dc, TRANSPARENT);
            return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
        }
        if (self && message == WM_CLOSE) {
            self->Close();
            return 0;
        }
        return DefWindowProcW(window, message, wParam, lParam);
    });
}

void TPingTstForm::SetLabel(const std::string& text) {
    SetWindowTextW(Label1, Wide(text).c_str());
    UpdateWindow(Label1);
}

std::string TPingTstForm::LabelText() const {
    wchar_t text[256] = {};
    GetWindowTextW(Label1, text, 256);
    return Narrow(text);
}

void TPingTstForm::Ping1DnsLookupDone(int error) {
    NameResolved = error == 0;
    if (!NameResolved) {
        Close();
        return;
    }
    Ping1.Address = Ping1.ResolvedAddress;
    ++EchoesSent;
    Ping1.SendEcho();
}

void TPingTstForm::Ping1EchoReply(int replies) {
    EchoAnswered = replies != 0;
    Close();
}

void TPingTstForm::ShowModal() {
    if (closed_) return;
    const bool ownerWasEnabled = owner_ && !EnableWindow(owner_, FALSE);
    ShowWindow(window_, SW_SHOWNOACTIVATE);
    const PumpWait wait = WaitPumpingMessages(nullptr, [this] { return closed_; }, kLookupTimeOutMs);
    if (wait != PumpWait::Signaled) Ping1.CancelLookup();
    ShowWindow(window_, SW_HIDE);
    if (ownerWasEnabled) EnableWindow(owner_, TRUE);
    Ping1.RethrowHandlerError();
}

LivenessCheck TPingTstForm::Check(const std::string& name) {
    const std::string PingTarget = PingTargetOf(name);
    NameResolved = false;
    EchoAnswered = false;
    EchoesSent = 0;
    closed_ = false;
    SetLabel("Pinging " + PingTarget + "...");
    Ping1.LookupHost(PingTarget);
    ShowModal();
    return {NameResolved, EchoAnswered, EchoesSent};
}

LivenessCheck CheckMachine(const std::string& name, HWND owner) {
    TPingTstForm form(owner);
    return form.Check(name);
}

bool IsMachineAlive(const std::string& name, HWND owner) { return CheckMachine(name, owner).Alive(); }

}  // namespace vigilor
