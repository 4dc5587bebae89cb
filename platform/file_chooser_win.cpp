#include "platform/file_chooser_win.h"

#include <commdlg.h>

#include <vector>

#include "platform/wide_win.h"

namespace vigilor {

std::wstring DialogFilter(const std::string& filter) {
    std::wstring list = Wide(filter);
    for (wchar_t& c : list)
        if (c == L'|') c = L'\0';
    list.append(2, L'\0');
    return list;
}

std::string SystemFileChooser::ChooseOpenFile(const OpenFileRequest& request) {
    const std::wstring filter = DialogFilter(request.filter);
    const std::wstring directory = Wide(request.initialDirectory);
    std::vector<wchar_t> path(32768, L'\0');
    const std::wstring proposed = Wide(request.fileName).substr(0, path.size() - 1);
    std::copy(proposed.begin(), proposed.end(), path.begin());
    OPENFILENAMEW dialog{};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = owner_;
    dialog.lpstrFilter = filter.c_str();
    dialog.lpstrFile = path.data();
    dialog.nMaxFile = static_cast<DWORD>(path.size());
    dialog.lpstrInitialDir = directory.empty() ? nullptr : directory.c_str();
    dialog.Flags = OFN_HIDEREADONLY | OFN_EXPLORER | OFN_PATHMUSTEXIST;
    if (!GetOpenFileNameW(&dialog)) return {};
    return Narrow(path.data());
}

}  // namespace vigilor
