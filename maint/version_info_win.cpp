#include "maint/version_info_win.h"

#include <windows.h>

#include <vector>

#include "platform/wide_win.h"

namespace vigilor {

VersionRecord ReadVersionRecord(const std::string& path) {
    const std::wstring file = Wide(path);
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeW(file.c_str(), &ignored);
    if (size <= 1) return {};
    std::vector<BYTE> block(size, 0);
    if (!GetFileVersionInfoW(file.c_str(), 0, size, block.data())) return {};
    VS_FIXEDFILEINFO* info = nullptr;
    UINT length = 0;
    if (!VerQueryValueW(block.data(), L"\\", reinterpret_cast<void**>(&info), &length) || !info ||
        length < sizeof(VS_FIXEDFILEINFO))
        return {};
    return VersionFromFileVersion(info->dwFileVersionMS, info->dwFileVersionLS);
}

}  // namespace vigilor
