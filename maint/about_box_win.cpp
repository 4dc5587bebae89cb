#include "maint/about_box_win.h"

#include "app/artwork_win.h"
#include "platform/control_table_win.h"
#include "resources/resource_ids.h"

namespace vigilor {

namespace {
constexpr COLORREF kNavy = RGB(0, 0, 128);
constexpr COLORREF kYellow = RGB(255, 255, 0);
}  // namespace

void TAboutBox::OnInit(HWND dialog) {
    const ControlEntry controls[] = {
        {kPicture, L"STATIC", WS_VISIBLE | SS_OWNERDRAW, 8, 8, 403, 236, "", "", WS_EX_STATICEDGE},
        {kIconPanel, L"STATIC", WS_VISIBLE | SS_LEFT, 8, 252, 403, 70, "", "", WS_EX_STATICEDGE},
        {kProgramIcon, L"STATIC", WS_VISIBLE | SS_ICON, 20, 265, 32, 32, ""},
        {kProductName, L"STATIC", WS_VISIBLE | SS_LEFT, 70, 262, 300, 20, "Vigilor"},
        {kVersion, L"STATIC", WS_VISIBLE | SS_LEFT, 70, 290, 300, 16, version_.c_str()},
        {IDOK, L"BUTTON", WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON, 172, 330, 75, 25, "OK"},
        {kHint, L"STATIC", WS_VISIBLE | SS_CENTER | SS_CENTERIMAGE, 0, 364, 420, 22, "Hint: Launch Vigilor with the /A for auto-start"},
    };
    CreateControls(dialog, controls, Font());
    SendDlgItemMessageW(dialog, kProgramIcon, STM_SETICON,
                        reinterpret_cast<WPARAM>(LoadIconW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDI_MAIN))), 0);
    productFont_ = CreateTahoma(13, true);
    hintFont_ = CreateTahoma(11, true);
    hintBrush_ = CreateSolidBrush(kNavy);
    SendDlgItemMessageW(dialog, kProductName, WM_SETFONT, reinterpret_cast<WPARAM>(productFont_), FALSE);
    SendDlgItemMessageW(dialog, kHint, WM_SETFONT, reinterpret_cast<WPARAM>(hintFont_), FALSE);
}

INT_PTR TAboutBox::OnMessage(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_DRAWITEM: {
            const auto& item = *reinterpret_cast<DRAWITEMSTRUCT*>(lParam);
            if (item.CtlID != kPicture) return FALSE;
            PaintArtwork(item.hDC, item.rcItem);
            return TRUE;
        }
        case WM_CTLCOLORSTATIC: {
            const auto control = reinterpret_cast<HWND>(lParam);
            const int id = GetDlgCtrlID(control);
            if (id != kProductName && id != kHint) return FALSE;
            const auto dc = reinterpret_cast<HDC>(wParam);
            if (id == kHint) {
                // Yellow reads on a dark strip only.
                SetTextColor(dc, kYellow);
                SetBkColor(dc, kNavy);
                return reinterpret_cast<INT_PTR>(hintBrush_);
            }
            SetTextColor(dc, kNavy);
            SetBkMode(dc, TRANSPARENT);
            return reinterpret_cast<INT_PTR>(GetSysColorBrush(COLOR_BTNFACE));
        }
        case WM_DESTROY:
            DeleteObject(productFont_);
            DeleteObject(hintFont_);
            DeleteObject(hintBrush_);
            productFont_ = hintFont_ = nullptr;
            hintBrush_ = nullptr;
            return FALSE;
        default:
            (void)dialog;
            return FALSE;
    }
}

}  // namespace vigilor
