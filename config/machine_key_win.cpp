#include "config/machine_key_win.h"

#include <windows.h>
#include <sddl.h>

#include <vector>

#include "config/machine_key_access.h"
#include "config/registry_store_win.h"
#include "platform/app_error.h"
#include "platform/handles_win.h"
#include "platform/system_error_win.h"
#include "platform/wide_win.h"

namespace vigilor {

namespace {

std::string ErrorText(unsigned long code) {
    Win32SystemErrors errors;
    return SystemErrorText(errors, code);
}

RegistryKey CreateMachineKey(REGSAM access) {
    HKEY key = nullptr;
    const LONG result = RegCreateKeyExW(HKEY_LOCAL_MACHINE, Wide(kMachineKeyPath).c_str(), 0, nullptr, 0, access,
                                        nullptr, &key, nullptr);
    if (result != ERROR_SUCCESS)
        throw AppError("Cannot open HKEY_LOCAL_MACHINE\\" + std::string(kMachineKeyPath) + ": " +
                       ErrorText(static_cast<unsigned long>(result)));
    return RegistryKey(key);
}

std::string AccessListOf(HKEY key) {
    DWORD bytes = 0;
    RegGetKeySecurity(key, DACL_SECURITY_INFORMATION, nullptr, &bytes);
    std::vector<BYTE> descriptor(bytes ? bytes : 1);
    if (RegGetKeySecurity(key, DACL_SECURITY_INFORMATION, descriptor.data(), &bytes) != ERROR_SUCCESS) return {};
    LPWSTR text = nullptr;
    if (!ConvertSecurityDescriptorToStringSecurityDescriptorW(descriptor.data(), SDDL_REVISION_1,
                                                              DACL_SECURITY_INFORMATION, &text, nullptr))
        return {};
    const LocalMemory owner(text);
    return Narrow(text);
}

}  // namespace

std::unique_ptr<KeyValueStore> OpenMachineStore() {
    return std::make_unique<RegistryStore>(kMachineKeyPath, HKEY_LOCAL_MACHINE, RegistryStore::Numbers::AsText);
}

std::string MachineKeyAccessListNow() { return AccessListOf(CreateMachineKey(READ_CONTROL).Get()); }

bool RestrictMachineKey() {
    const RegistryKey key = CreateMachineKey(READ_CONTROL | WRITE_DAC);
    if (OnlySystemAndAdministrators(AccessListOf(key.Get()))) return false;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (!ConvertStringSecurityDescriptorToSecurityDescriptorW(Wide(MachineKeyAccessList()).c_str(), SDDL_REVISION_1,
                                                              &descriptor, nullptr))
        throw AppError("Cannot build the access list of the settings key: " + ErrorText(GetLastError()));
    const LocalMemory owner(descriptor);
    const LONG result = RegSetKeySecurity(key.Get(), DACL_SECURITY_INFORMATION, descriptor);
    if (result != ERROR_SUCCESS)
        throw AppError("Cannot set the access list of the settings key: " +
                       ErrorText(static_cast<unsigned long>(result)));
    return true;
}

}  // namespace vigilor
