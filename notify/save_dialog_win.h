#pragma once
// The system's save dialog behind SaveFileChooser.
#include <windows.h>

#include "notify/failure_reports.h"

namespace vigilor {

class SystemSaveDialog : public SaveFileChooser {
public:
    explicit SystemSaveDialog(HWND owner) : owner_(owner) {}
    std::string ChooseSaveFile(const SaveFileRequest& request) override;

private:
    HWND owner_;
};

}  // namespace vigilor
