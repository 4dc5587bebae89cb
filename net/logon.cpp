#include "net/logon.h"

#include "config/settings_store.h"
#include "platform/text.h"

namespace vigilor {

void TNTPrivilege::SetMachineName(const std::string& name) {
    if (EqualsIgnoringAsciiCase(name, MachineName())) return;
    TNTPersistent::SetMachineName(name);
}

void Logon(const std::string& name, KeyValueStore& raw, LogonDialog& dialog, TNTPrivilege& holder) {
    SettingsStore store(raw);
    const LogonCredentials credentials = dialog.Ask(name, store.ReadString("User", ""));
    if (!Trim(credentials.userName).empty()) store.WriteString("User", credentials.userName);
    holder.LogonAs().UserName = credentials.userName;
    holder.LogonAs().Password = credentials.password;
    holder.SetMachineName(name);
}

}  // namespace vigilor
