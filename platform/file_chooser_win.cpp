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

std::string RunFileDialog(HWND owner, const FileDialogRequest& request, bool save) {
    const std::wstring filter = DialogFilter(request.filter);
    const std::wstring directory = Wide(request.initialDirectory);
    const std::wstring extension = Wide(request.defaultExtension);
    std::vector<wchar_t> path(32768, L'\0');
    const std::wstring proposed = Wide(request.fileName).substr(0, path.size() - 1);
    std::copy(proposed.begin(), proposed.end(), path.begin());
    OPENFILENAMEW dialog{};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = owner;
    dialog.lpstrFilter = filter.c_str();
    dialog.lpstrFile = path.data();
    dialog.nMaxFile = static_cast<DWORD>(path.size());
    dialog.lpstrInitialDir = directory.empty() ? nullptr : directory.c_str();
    dialog.lpstrDefExt = extension.empty() ? nullptr : extension.c_str();
    dialog.Flags = OFN_HIDEREADONLY | OFN_EXPLORER | request.flags;
    if (!(save ? GetSaveFileNameW(&dialog) : GetOpenFileNameW(&dialog))) return {};
    return Narrow(path.data());
}

std::string SystemFileChooser::ChooseOpenFile(const OpenFileRequest& request) {
    return RunFileDialog(owner_, {request.filter, request.initialDirectory, request.fileName, "", OFN_PATHMUSTEXIST},
                         false);
}

}  // namespace vigilor
