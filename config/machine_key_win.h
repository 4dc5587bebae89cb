#pragma once
// The machine's settings key, HKEY_LOCAL_MACHINE\SOFTWARE\Vigilor1: the
// service's settings and list, in the layout of the user's key.
#include <memory>

#include "config/key_value_store.h"

namespace vigilor {

constexpr const char* kMachineKeyPath = "SOFTWARE\\Vigilor1";

// The key, opened for one operation; numbers may be REG_DWORD.
std::unique_ptr<KeyValueStore> OpenMachineStore();

// Creates the key if need be and gives it the access list that keeps
// everybody but SYSTEM and the Administrators out (it holds the mail
// password). True when the list had to be set; raises AppError when that
// fails.
bool RestrictMachineKey();

// The key's access list as the system has it now (SDDL), for the check.
std::string MachineKeyAccessListNow();

}  // namespace vigilor
