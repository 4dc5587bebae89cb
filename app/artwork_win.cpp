#include "app/artwork_win.h"

#include "platform/control_table_win.h"
#include "platform/handles_win.h"
#include "resources/resource_ids.h"

namespace vigilor {

void PaintArtwork(HDC dc, const RECT& area) {
    const int height = area.bottom - area.top;
    // A vertical gradient from navy to the memo's blue.
    for (int y = 0; y < height; ++y) {
        const int t = height > 1 ? y * 255 / (height - 1) : 0;
        GdiObject brush(CreateSolidBrush(RGB(0, t / 2, 128 + t / 2)));
        RECT line{area.left, area.top + y, area.right, area.top + y + 1};
        FillRect(dc, &line, static_cast<HBRUSH>(brush.Get()));
    }
    const HICON icon =
        static_cast<HICON>(LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDI_GREEN), IMAGE_ICON, 32, 32, LR_SHARED));
    DrawIconEx(dc, area.left + 24, area.top + height / 2 - 16, icon, 32, 32, 0, nullptr, DI_NORMAL);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, RGB(255, 255, 255));
    GdiObject title(CreateTahoma(40, true));
    HGDIOBJ old = SelectObject(dc, title.Get());
    RECT text{area.left + 70, area.top, area.right, area.top + height / 2 + 20};
    DrawTextW(dc, L"Vigilor", -1, &text, DT_SINGLELINE | DT_LEFT | DT_BOTTOM);
    GdiObject subtitle(CreateTahoma(14));
    SelectObject(dc, subtitle.Get());
    RECT line{area.left + 72, area.top + height / 2 + 24, area.right, area.bottom};
    DrawTextW(dc, L"Watches the services of your Windows computers", -1, &line, DT_SINGLELINE | DT_LEFT | DT_TOP);
    SelectObject(dc, old);
}

}  // namespace vigilor
