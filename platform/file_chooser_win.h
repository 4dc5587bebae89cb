#pragma once
// The system's open-file dialog behind FileChooser.
#include <windows.h>

#include <string>

#include "platform/file_chooser.h"

namespace vigilor {

// "Name|pattern|..." as the file dialogs take it: NUL-separated, ended by
// two NULs.
std::wstring DialogFilter(const std::string& filter);

class SystemFileChooser : public FileChooser {
public:
    explicit SystemFileChooser(HWND owner) : owner_(owner) {}
    std::string ChooseOpenFile(const OpenFileRequest& request) override;

private:
    HWND owner_;
};

}  // namespace vigilor
