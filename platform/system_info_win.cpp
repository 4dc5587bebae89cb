#include "platform/system_info_win.h"

#include <windows.h>
#include <ntsecapi.h>
#include <winspool.h>

#include <vector>

#include "platform/wide_win.h"

namespace vigilor {

bool IsWindowsNT() {
    OSVERSIONINFOW info{};
    info.dwOSVersionInfoSize = sizeof info;
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    if (!GetVersionExW(&info)) return false;
#pragma GCC diagnostic pop
    return info.dwPlatformId == VER_PLATFORM_WIN32_NT;
}

bool IsRunningUnderWine() {
    const HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    return ntdll && GetProcAddress(ntdll, "wine_get_version");
}

std::string LocalComputerName() {
    wchar_t name[MAX_COMPUTERNAME_LENGTH + 1];
    DWORD size = MAX_COMPUTERNAME_LENGTH + 1;
    return GetComputerNameW(name, &size) ? Narrow(std::wstring_view(name, size)) : std::string();
}

std::string CurrentUserName() {
    wchar_t name[257];
    DWORD size = 257;
    return GetUserNameW(name, &size) ? Narrow(name) : std::string();
}

bool DirectoryExists(const std::string& path) {
    const DWORD attributes = GetFileAttributesW(Wide(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::string PrimaryDomainName() {
    LSA_OBJECT_ATTRIBUTES attributes{};
    LSA_HANDLE policy = nullptr;
    if (LsaOpenPolicy(nullptr, &attributes, POLICY_VIEW_LOCAL_INFORMATION, &policy) != 0) return {};
    std::string name;
    void* buffer = nullptr;
    if (LsaQueryInformationPolicy(policy, PolicyPrimaryDomainInformation, &buffer) == 0 && buffer) {
        const auto* info = static_cast<POLICY_PRIMARY_DOMAIN_INFO*>(buffer);
        name = Narrow(std::wstring_view(info->Name.Buffer, info->Name.Length / sizeof(wchar_t)));
        LsaFreeMemory(buffer);
    }
    LsaClose(policy);
    return name;
}

std::string DefaultPrinterName() {
    DWORD size = 0;
    GetDefaultPrinterW(nullptr, &size);
    if (size == 0) return {};
    std::vector<wchar_t> name(size);
    if (!GetDefaultPrinterW(name.data(), &size)) return {};
    return Narrow(name.data());
}

std::string ProgramFilePath() {
    std::vector<wchar_t> path(MAX_PATH);
    for (;;) {
        const DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length < path.size()) return Narrow(std::wstring_view(path.data(), length));
        path.resize(path.size() * 2);
    }
}

}  // namespace vigilor
