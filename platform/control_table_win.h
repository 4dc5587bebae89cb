#pragma once
// Windows and dialogs are declared as tables of controls and built by one
// routine, with rectangles in pixels.
#include <windows.h>

#include <span>
#include <string>
#include <vector>

namespace vigilor {

struct ControlEntry {
    int id;
    const wchar_t* className;
    DWORD style;  // WS_CHILD is always added
    int x, y, width, height;
    const char* text;  // UTF-8
    const char* hint = "";
    DWORD exStyle = 0;
};

HWND CreateControl(HWND parent, const ControlEntry& entry, HFONT font);
void CreateControls(HWND parent, std::span<const ControlEntry> entries, HFONT font);

// The font every window of the program uses: Tahoma of the given pixel
// height, optionally bold and underlined.
HFONT CreateTahoma(int pixelHeight, bool bold = false, bool underline = false);

std::string WindowText(HWND window);
void SetWindowTextUtf8(HWND window, const std::string& text);
// The items of a combo box, in list order.
std::vector<std::string> ComboItems(HWND combo);

// The outer size of a window whose client area has the given size.
SIZE OuterSizeForClient(DWORD style, DWORD exStyle, bool hasMenu, int clientWidth, int clientHeight);
void CenterOnScreen(HWND window);

}  // namespace vigilor
