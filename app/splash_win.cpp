#include "app/splash_win.h"

#include <windows.h>

#include "app/artwork_win.h"
#include "platform/report_error_win.h"
#include "platform/wide_win.h"

namespace vigilor {

namespace {

constexpr wchar_t kSplashClass[] = L"Vigilor.Splash";
constexpr UINT_PTR kCloseTimer = 1;

// The window owns its picture (may be null: the built-in artwork).
LRESULT CALLBACK SplashProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return ReportingErrors(window, LRESULT{0}, [&]() -> LRESULT {
        const auto picture = reinterpret_cast<HBITMAP>(GetWindowLongPtrW(window, GWLP_USERDATA));
        switch (message) {
            case WM_PAINT: {
                PAINTSTRUCT paint;
                const HDC dc = BeginPaint(window, &paint);
                RECT client;
                GetClientRect(window, &client);
                if (picture) {
                    const HDC source = CreateCompatibleDC(dc);
                    const HGDIOBJ old = SelectObject(source, picture);
                    BitBlt(dc, 0, 0, client.right, client.bottom, source, 0, 0, SRCCOPY);
                    SelectObject(source, old);
                    DeleteDC(source);
                } else {
                    PaintArtwork(dc, client);
                }
                EndPaint(window, &paint);
                return 0;
            }
            case WM_LBUTTONDOWN:
            case WM_TIMER:
                DestroyWindow(window);
                return 0;
            case WM_DESTROY:
                KillTimer(window, kCloseTimer);
                if (picture) DeleteObject(picture);
                return 0;
            default:
                return DefWindowProcW(window, message, wParam, lParam);
        }
    });
}

}  // namespace

HWND ShowSplash(const std::string& pictureFile, unsigned milliseconds) {
    const HINSTANCE instance = GetModuleHandleW(nullptr);
    static const bool registered = [instance] {
        WNDCLASSW wc{};
        wc.lpfnWndProc = SplashProcedure;
        wc.hInstance = instance;
        wc.lpszClassName = kSplashClass;
        wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        return RegisterClassW(&wc) != 0;
    }();
    (void)registered;

    const auto picture = static_cast<HBITMAP>(
        LoadImageW(nullptr, Wide(pictureFile).c_str(), IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE | LR_CREATEDIBSECTION));
    int width = 403;
    int height = 236;
    if (picture) {
        BITMAP info;
        GetObjectW(picture, sizeof info, &info);
        width = info.bmWidth;
        height = info.bmHeight;
    }
    // A thin raised edge around the picture.
    RECT frame{0, 0, width, height};
    AdjustWindowRectEx(&frame, WS_POPUP | WS_BORDER, FALSE, WS_EX_TOPMOST | WS_EX_TOOLWINDOW);
    const int outerWidth = frame.right - frame.left;
    const int outerHeight = frame.bottom - frame.top;
    const HWND window = CreateWindowExW(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, kSplashClass, L"", WS_POPUP | WS_BORDER,
                                        (GetSystemMetrics(SM_CXSCREEN) - outerWidth) / 2,
                                        (GetSystemMetrics(SM_CYSCREEN) - outerHeight) / 2, outerWidth, outerHeight,
                                        nullptr, nullptr, instance, nullptr);
    if (!window) {
        if (picture) DeleteObject(picture);
        return nullptr;
    }
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(picture));
    SetTimer(window, kCloseTimer, milliseconds, nullptr);
    ShowWindow(window, SW_SHOWNOACTIVATE);
    UpdateWindow(window);
    return window;
}

void RaiseSplash(HWND splash) {
    if (!IsWindow(splash)) return;
    // Re-entering the topmost band restacks the window for real; asking
    // a window that is first already is taken as no change.
    constexpr UINT flags = SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE;
    SetWindowPos(splash, HWND_NOTOPMOST, 0, 0, 0, 0, flags);
    SetWindowPos(splash, HWND_TOPMOST, 0, 0, 0, 0, flags);
}

}  // namespace vigilor
