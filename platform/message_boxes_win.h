#pragma once
// The real message boxes.
#include <windows.h>

#include "platform/user_dialogs.h"

namespace vigilor {

class MessageBoxDialogs : public UserDialogs {
public:
    void SetOwner(HWND owner) { owner_ = owner; }
    BoxAnswer Show(const std::string& text, const std::string& caption, BoxIcon icon, BoxButtons buttons,
                   bool owned) override;

private:
    HWND owner_ = nullptr;
};

}  // namespace vigilor
