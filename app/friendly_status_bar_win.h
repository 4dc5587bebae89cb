#pragma once
// The main window's status bar: panels of fixed widths that take child
// controls (the status light sits on it).
#include <windows.h>

#include <span>
#include <string>

namespace vigilor {

class TFriendlyStatusBar {
public:
    // widths: of each panel but the last, which takes the rest.
    TFriendlyStatusBar(HWND parent, int id, RECT place, std::span<const int> widths, HFONT font);

    HWND Handle() const { return window_; }
    // Panel 0 is left-aligned, the others centred. repaintNow draws at once
    // instead of at the next idle paint.
    void SetPanelText(int panel, const std::string& text, bool repaintNow = false);
    std::string PanelText(int panel) const;

private:
    HWND window_ = nullptr;
};

}  // namespace vigilor
