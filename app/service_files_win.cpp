#include "app/service_files_win.h"

#include <windows.h>
#include <sddl.h>
#include <shlobj.h>

namespace vigilor {

namespace {

std::filesystem::path Folder() {
    PWSTR programData = nullptr;
    std::filesystem::path folder;
    if (SUCCEEDED(SHGetKnownFolderPath(FOLDERID_ProgramData, 0, nullptr, &programData)))
        folder = std::filesystem::path(programData) / "Vigilor";
    CoTaskMemFree(programData);
    return folder.empty() ? std::filesystem::path("C:\\ProgramData\\Vigilor") : folder;
}

}  // namespace

std::filesystem::path ServiceDataFolder() {
    const std::filesystem::path folder = Folder();
    if (std::filesystem::exists(folder)) return folder;
    SECURITY_ATTRIBUTES attributes{sizeof attributes, nullptr, FALSE};
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (ConvertStringSecurityDescriptorToSecurityDescriptorW(L"D:P(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)(A;OICI;FR;;;IU)",
                                                             SDDL_REVISION_1, &descriptor, nullptr))
        attributes.lpSecurityDescriptor = descriptor;
    CreateDirectoryW(folder.c_str(), &attributes);
    LocalFree(descriptor);
    return folder;
}

std::string ConsoleStatePath() {
    const std::u8string path = (Folder() / "service-state.txt").u8string();
    return std::string(path.begin(), path.end());
}

}  // namespace vigilor
