#include "notify/save_dialog_win.h"

#include <commdlg.h>

#include "platform/file_chooser_win.h"

namespace vigilor {

std::string SystemSaveDialog::ChooseSaveFile(const SaveFileRequest& request) {
    const DWORD flags =
        (request.promptOverwrite ? OFN_OVERWRITEPROMPT : 0) | (request.pathMustExist ? OFN_PATHMUSTEXIST : 0);
    return RunFileDialog(owner_, {request.filter, "", "", request.defaultExtension, flags}, true);
}

}  // namespace vigilor
