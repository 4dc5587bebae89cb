#pragma once
// The system's open-file dialog behind FileChooser.
#include <windows.h>

#include <string>

#include "platform/file_chooser.h"

namespace vigilor {

// "Name|pattern|..." as the file dialogs take it: NUL-separated, ended by
// two NULs.
std::wstring DialogFilter(const std::string& filter);

struct FileDialogRequest {
    std::string filter;  // "Name|pattern|..."
    std::string initialDirectory;
    std::string fileName;  // proposed
    std::string defaultExtension;
    DWORD flags = 0;       // OFN_... besides OFN_HIDEREADONLY and OFN_EXPLORER
};

// The system's open (or save) dialog; the chosen path, empty when cancelled.
std::string RunFileDialog(HWND owner, const FileDialogRequest& request, bool save);

class SystemFileChooser : public FileChooser {
public:
    explicit SystemFileChooser(HWND owner) : owner_(owner) {}
    std::string ChooseOpenFile(const OpenFileRequest& request) override;

private:
    HWND owner_;
};

}  // namespace vigilor
