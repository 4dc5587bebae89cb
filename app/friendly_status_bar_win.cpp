#include "app/friendly_status_bar_win.h"

#include <commctrl.h>

#include <vector>

#include "platform/control_table_win.h"
#include "platform/wide_win.h"

namespace vigilor {

TFriendlyStatusBar::TFriendlyStatusBar(HWND parent, int id, RECT place, std::span<const int> widths, HFONT font) {
    window_ = CreateControl(parent,
                            {id, STATUSCLASSNAMEW,
                             WS_VISIBLE | WS_CLIPCHILDREN | CCS_NOPARENTALIGN | CCS_NORESIZE | CCS_NODIVIDER, place.left,
                             place.top, place.right - place.left, place.bottom - place.top, ""},
                            font);
    std::vector<int> edges;
    int edge = 0;
    for (const int width : widths) edges.push_back(edge += width);
    edges.push_back(-1);
    SendMessageW(window_, SB_SETPARTS, edges.size(), reinterpret_cast<LPARAM>(edges.data()));
}

void TFriendlyStatusBar::SetPanelText(int panel, const std::string& text, bool repaintNow) {
    // One tab before the text centres it in its panel.
    const std::wstring shown = Wide((panel == 0 ? "" : "\t") + text);
    SendMessageW(window_, SB_SETTEXTW, panel, reinterpret_cast<LPARAM>(shown.c_str()));
    if (repaintNow) UpdateWindow(window_);
}

std::string TFriendlyStatusBar::PanelText(int panel) const {
    const auto length = LOWORD(SendMessageW(window_, SB_GETTEXTLENGTHW, panel, 0));
    std::vector<wchar_t> text(static_cast<size_t>(length) + 1);
    SendMessageW(window_, SB_GETTEXTW, panel, reinterpret_cast<LPARAM>(text.data()));
    std::string value = Narrow(text.data());
    if (panel != 0 && !value.empty() && value.front() == '\t') value.erase(0, 1);
    return value;
}

}  // namespace vigilor
