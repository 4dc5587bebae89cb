#pragma once
// A modal dialog whose controls come from a table in pixels: the dialog
// manager gives the modal loop, Tab, Enter (default button) and Esc.
#include <windows.h>

#include <string>

namespace vigilor {

class ModalDialog {
public:
    virtual ~ModalDialog() = default;
    // Shows the dialog and returns the code it was ended with (IDOK,
    // IDCANCEL ...).
    INT_PTR Run(HWND owner);

protected:
    struct Frame {
        std::string caption;
        int clientWidth;
        int clientHeight;
    };
    virtual Frame DialogFrame() const = 0;
    virtual void OnInit(HWND dialog) = 0;
    // A WM_COMMAND; answer true when handled. The default ends the
    // dialog on IDOK and IDCANCEL.
    virtual bool OnCommand(HWND dialog, int id, int code);
    // Any other message; answer nonzero to mark it handled.
    virtual INT_PTR OnMessage(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

    HFONT Font() const { return font_; }

private:
    static INT_PTR CALLBACK Procedure(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
    HFONT font_ = nullptr;
};

}  // namespace vigilor
