#pragma once
// The dialog that edits a monitored row's restart and e-mail options.
#include <string>

#include "monitor/failure_options.h"
#include "platform/modal_dialog_win.h"

namespace vigilor {

class TFrmFailureOptions : public ModalDialog {
public:
    enum ControlId : int { kQuestion = 3001, kGroup, kRestartBox, kEmailBox };

    TFrmFailureOptions(std::string caption, FailureOptions options)
        : caption_(std::move(caption)), options_(options) {}
    // The boxes' state when the dialog was closed with OK.
    FailureOptions Options() const { return options_; }

protected:
    Frame DialogFrame() const override { return {caption_, 300, 150}; }
    void OnInit(HWND dialog) override;
    bool OnCommand(HWND dialog, int id, int code) override;

private:
    std::string caption_;
    FailureOptions options_;
};

}  // namespace vigilor
