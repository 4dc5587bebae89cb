#include "monitor/graphic_light_win.h"

#include "platform/handles_win.h"
#include "platform/report_error_win.h"
#include "platform/wide_win.h"

namespace vigilor {

namespace {

constexpr wchar_t kClassName[] = L"TGraphicLight";
constexpr COLORREF kTransparentKey = RGB(1, 2, 3);  // the bitmaps' see-through colour

void RegisterLightClass(WNDPROC procedure) {
    static const bool registered = [procedure] {
        WNDCLASSW wc{};
        wc.lpfnWndProc = procedure;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = kClassName;
        wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        wc.cbWndExtra = sizeof(void*);
        return RegisterClassW(&wc) != 0;
    }();
    (void)registered;
}

}  // namespace

TGraphicLight::TGraphicLight(HWND parent, int id, int x, int y, int width, int height) {
    RegisterLightClass(Procedure);
    window_ = CreateWindowExW(0, kClassName, L"", WS_CHILD | WS_VISIBLE, x, y, width, height, parent,
                              reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleW(nullptr), nullptr);
    SetWindowLongPtrW(window_, 0, reinterpret_cast<LONG_PTR>(this));
}

TGraphicLight::~TGraphicLight() {
    if (IsWindow(window_)) SetWindowLongPtrW(window_, 0, 0);
}

void TGraphicLight::SetActiveLight(ActiveLight light) {
    LightState next = state_;
    next.activeLight = light;
    Change(next);
}

void TGraphicLight::SetDarkLite(bool dark) {
    LightState next = state_;
    next.darkLite = dark;
    Change(next);
}

void TGraphicLight::SetHeavyLite(bool heavy) {
    LightState next = state_;
    next.heavyLite = heavy;
    Change(next);
}

void TGraphicLight::Change(const LightState& next) {
    if (next == state_) return;
    state_ = next;
    ++repaints_;
    InvalidateRect(window_, nullptr, TRUE);
}

void TGraphicLight::Paint(HDC dc) {
    RECT client;
    GetClientRect(window_, &client);
    FillRect(dc, &client, GetSysColorBrush(COLOR_BTNFACE));
    const std::wstring name = Wide(LightBitmapName(state_));
    GdiObject bitmap(LoadImageW(GetModuleHandleW(nullptr), name.c_str(), IMAGE_BITMAP, 0, 0, LR_DEFAULTCOLOR));
    if (!bitmap) return;
    BITMAP info;
    GetObjectW(bitmap.Get(), sizeof info, &info);
    const HDC source = CreateCompatibleDC(dc);
    const HGDIOBJ old = SelectObject(source, bitmap.Get());
    TransparentBlt(dc, 1, 1, info.bmWidth, info.bmHeight, source, 0, 0, info.bmWidth, info.bmHeight, kTransparentKey);
    SelectObject(source, old);
    DeleteDC(source);
}

LRESULT CALLBACK TGraphicLight::Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return ReportingErrors(window, LRESULT{0}, [&]() -> LRESULT {
        auto* self = reinterpret_cast<TGraphicLight*>(GetWindowLongPtrW(window, 0));
        if (self && message == WM_PAINT) {
            PAINTSTRUCT paint;
            const HDC dc = BeginPaint(window, &paint);
            // Painted or not, the region is validated, so a failure cannot
            // repeat itself with every paint.
            struct EndPaintAtExit {
                HWND window;
                PAINTSTRUCT& paint;
                ~EndPaintAtExit() { EndPaint(window, &paint); }
            } endPaint{window, paint};
            self->Paint(dc);
            return 0;
        }
        if (message == WM_ERASEBKGND) return 1;
        return DefWindowProcW(window, message, wParam, lParam);
    });
}

}  // namespace vigilor
