#pragma once
// The "FTP Update" dialog: a table of controls over the logic of TfrmFTP.
#include <windows.h>

#include <functional>
#include <memory>
#include <string>

#include "config/key_value_store.h"
#include "platform/user_dialogs.h"

namespace vigilor {

// Shows the update dialog modally, created for this one use. The settings
// key may name another update host ("UpdateHost").
void ShowUpdateDialog(HWND owner, UserDialogs& dialogs, const std::string& versionText,
                      const std::function<std::unique_ptr<KeyValueStore>()>& openStore);

}  // namespace vigilor
