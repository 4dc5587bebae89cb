#pragma once
// The status light: a small control that paints one bitmap of the
// program's resources for its colour and brightness.
#include <windows.h>

#include "monitor/graphic_light.h"

namespace vigilor {

class TGraphicLight {
public:
    // Creates the control as a child of parent; 17 by 17 unless given.
    TGraphicLight(HWND parent, int id, int x, int y, int width = 17, int height = 17);
    ~TGraphicLight();
    TGraphicLight(const TGraphicLight&) = delete;
    TGraphicLight& operator=(const TGraphicLight&) = delete;

    HWND Handle() const { return window_; }
    const LightState& State() const { return state_; }
    // A different value repaints; the same value does nothing.
    void SetActiveLight(ActiveLight light);
    void SetDarkLite(bool dark);
    void SetHeavyLite(bool heavy);
    // How often a change asked for a repaint.
    int RepaintRequests() const { return repaints_; }

private:
    void Change(const LightState& next);
    void Paint(HDC dc);
    static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    HWND window_ = nullptr;
    LightState state_;
    int repaints_ = 0;
};

}  // namespace vigilor
