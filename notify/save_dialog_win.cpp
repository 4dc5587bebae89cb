#include "notify/save_dialog_win.h"

#include <commdlg.h>

#include <vector>

#include "platform/wide_win.h"

namespace vigilor {

std::string SystemSaveDialog::ChooseSaveFile(const SaveFileRequest& request) {
    // "Name|pattern|..." becomes the NUL-separated, doubly terminated list.
    std::wstring filter = Wide(request.filter);
    for (wchar_t& c : filter)
        if (c == L'|') c = L'\0';
    filter.append(2, L'\0');
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
