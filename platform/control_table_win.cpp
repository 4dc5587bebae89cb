#include "platform/control_table_win.h"

#include <vector>

#include "platform/wide_win.h"

namespace vigilor {

HWND CreateControl(HWND parent, const ControlEntry& entry, HFONT font) {
    const HWND control = CreateWindowExW(entry.exStyle, entry.className, Wide(entry.text).c_str(), WS_CHILD | entry.style,
                                         entry.x, entry.y, entry.width, entry.height, parent,
                                         reinterpret_cast<HMENU>(static_cast<INT_PTR>(entry.id)),
                                         GetModuleHandleW(nullptr), nullptr);
    if (control && font) SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    return control;
}

void CreateControls(HWND parent, std::span<const ControlEntry> entries, HFONT font) {
    for (const ControlEntry& entry : entries) CreateControl(parent, entry, font);
}

HFONT CreateTahoma(int pixelHeight, bool bold, bool underline) {
    return CreateFontW(-pixelHeight, 0, 0, 0, bold ? FW_BOLD : FW_NORMAL, FALSE, underline, FALSE, DEFAULT_CHARSET,
                       OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_SWISS, L"Tahoma");
}

std::string WindowText(HWND window) {
    const int length = GetWindowTextLengthW(window);
    std::vector<wchar_t> text(static_cast<size_t>(length) + 1);
    const int got = GetWindowTextW(window, text.data(), length + 1);
    return Narrow(std::wstring_view(text.data(), static_cast<size_t>(got)));
}

void SetWindowTextUtf8(HWND window, const std::string& text) { SetWindowTextW(window, Wide(text).c_str()); }

std::vector<std::string> ComboItems(HWND combo) {
    std::vector<std::string> items;
    const LRESULT count = SendMessageW(combo, CB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
        const LRESULT length = SendMessageW(combo, CB_GETLBTEXTLEN, i, 0);
        if (length < 0) continue;
        std::vector<wchar_t> text(static_cast<size_t>(length) + 1);
        const LRESULT got = SendMessageW(combo, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text.data()));
        items.push_back(Narrow(std::wstring_view(text.data(), static_cast<size_t>(got < 0 ? 0 : got))));
    }
    return items;
}

SIZE OuterSizeForClient(DWORD style, DWORD exStyle, bool hasMenu, int clientWidth, int clientHeight) {
    RECT rect{0, 0, clientWidth, clientHeight};
    AdjustWindowRectEx(&rect, style, hasMenu, exStyle);
    return {rect.right - rect.left, rect.bottom - rect.top};
}

void CenterOnScreen(HWND window) {
    RECT rect;
    GetWindowRect(window, &rect);
    const int width = rect.right - rect.left;
    const int height = rect.bottom - rect.top;
    RECT work;
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    SetWindowPos(window, nullptr, work.left + (work.right - work.left - width) / 2,
                 work.top + (work.bottom - work.top - height) / 2, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace vigilor
