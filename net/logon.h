#pragma once
// The logon to the selected computer: the user name and password asked in
// the logon dialog, the last user name kept in the settings, and the
// connection holder NTPrivilege1.
#include <string>

#include "config/key_value_store.h"
#include "net/nt_persistent.h"

namespace vigilor {

// The holder of the one logon connection. A name equal to the current one
// but for letter case names the same computer: nothing happens, not even
// with new credentials.
class TNTPrivilege : public TNTPersistent {
public:
    using TNTPersistent::TNTPersistent;
    void SetMachineName(const std::string& name) override;
};

struct LogonCredentials {
    std::string userName;
    std::string password;
};

// The logon dialog: both values when OK closed it, both empty after Cancel.
class LogonDialog {
public:
    virtual ~LogonDialog() = default;
    virtual LogonCredentials Ask(const std::string& serverName, const std::string& storedUser) = 0;
};

// Asks for the credentials (offering the stored user name), keeps a
// non-blank user name as "User", and hands both to the holder for name.
void Logon(const std::string& name, KeyValueStore& store, LogonDialog& dialog, TNTPrivilege& holder);

}  // namespace vigilor
