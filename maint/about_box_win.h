#pragma once
// The About box: artwork, product name and version.
#include <string>

#include "platform/modal_dialog_win.h"

namespace vigilor {

class TAboutBox : public ModalDialog {
public:
    enum ControlId : int { kPicture = 3101, kIconPanel, kProgramIcon, kProductName, kVersion, kHint };

    explicit TAboutBox(const std::string& versionText) : version_("Version " + versionText) {}

protected:
    Frame DialogFrame() const override { return {"About", 420, 386}; }
    void OnInit(HWND dialog) override;
    INT_PTR OnMessage(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    std::string version_;
    HFONT productFont_ = nullptr;
    HFONT hintFont_ = nullptr;
    HBRUSH hintBrush_ = nullptr;
};

}  // namespace vigilor
