#include "notify/save_dialog_win.h"

#include <commdlg.h>

#include <vector>

#include "platform/file_chooser_win.h"
#include "platform/wide_win.h"

namespace vigilor {

std::string SystemSaveDialog::ChooseSaveFile(const SaveFileRequest& request) {
    const std::wstring filter = DialogFilter(request.filter);
    const std::wstring extension = Wide(request.defaultExtension);
    std::vector<wchar_t> path(32768, L'\0');
    OPENFILENAMEW dialog{};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = owner_;
    dialog.lpstrFilter = filter.c_str();
    dialog.lpstrFile = path.data();
    dialog.nMaxFile = static_cast<DWORD>(path.size());
    dialog.lpstrDefExt = extension.c_str();
    dialog.Flags = OFN_HIDEREADONLY | OFN_EXPLORER | (request.promptOverwrite ? OFN_OVERWRITEPROMPT : 0) |
                   (request.pathMustExist ? OFN_PATHMUSTEXIST : 0);
    if (!GetSaveFileNameW(&dialog)) return {};
    return Narrow(path.data());
}

}  // namespace vigilor
