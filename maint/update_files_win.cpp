#include "maint/update_files_win.h"

#include <windows.h>

#include "platform/app_error.h"
#include "platform/handles_win.h"
#include "platform/system_error_win.h"
#include "platform/text.h"
#include "platform/wide_win.h"

namespace vigilor {

namespace {

constexpr DWORD kReplace = MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH;
constexpr DWORD kFirstLineLimit = 4096;

std::wstring DirectoryOf(const std::wstring& path) {
    const size_t slash = path.find_last_of(L"\\/");
    if (slash == std::wstring::npos) return L".";
    return slash == 0 ? path.substr(0, 1) : path.substr(0, slash);
}

class TemporaryDownload : public DownloadFile {
public:
    TemporaryDownload(FileHandle file, std::wstring temporary, std::string target)
        : file_(std::move(file)), temporary_(std::move(temporary)), target_(std::move(target)) {}

    ~TemporaryDownload() override {
        file_.Reset();
        if (!placed_) DeleteFileW(temporary_.c_str());
    }

    bool Write(std::string_view bytes) override {
        while (!bytes.empty()) {
            DWORD written = 0;
            const DWORD chunk = static_cast<DWORD>(std::min<size_t>(bytes.size(), 1 << 20));
            if (!WriteFile(file_.Get(), bytes.data(), chunk, &written, nullptr) || written == 0) return false;
            bytes.remove_prefix(written);
        }
        return true;
    }

    void Commit() override {
        Win32SystemErrors system;
        if (!FlushFileBuffers(file_.Get()))
            throw AppError(target_ + " could not be written (" + Trim(SystemErrorText(system, GetLastError())) + ")");
        file_.Reset();
        const std::wstring target = Wide(target_);
        if (MoveFileExW(temporary_.c_str(), target.c_str(), kReplace)) {
            placed_ = true;
            return;
        }
        const std::string reason =
            target_ + " could not be replaced (" + Trim(SystemErrorText(system, GetLastError())) + ")";
        // A running program cannot be replaced; what came is kept for the
        // user to put in place once it has ended.
        const std::wstring kept = target + L".new";
        if (MoveFileExW(temporary_.c_str(), kept.c_str(), kReplace)) {
            placed_ = true;
            throw AppError(reason + "; the download is in " + target_ + ".new");
        }
        throw AppError(reason);
    }

private:
    FileHandle file_;
    std::wstring temporary_;
    std::string target_;
    bool placed_ = false;
};

}  // namespace

std::unique_ptr<DownloadFile> WindowsUpdateFiles::BeginDownload(const std::string& name) {
    wchar_t temporary[MAX_PATH];
    if (!GetTempFileNameW(DirectoryOf(Wide(name)).c_str(), L"vgl", 0, temporary)) return nullptr;
    FileHandle file(
        CreateFileW(temporary, GENERIC_WRITE, 0, nullptr, TRUNCATE_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
        DeleteFileW(temporary);
        return nullptr;
    }
    return std::make_unique<TemporaryDownload>(std::move(file), temporary, name);
}

std::optional<std::string> WindowsUpdateFiles::ReadFirstLine(const std::string& name) {
    const FileHandle file(CreateFileW(Wide(name).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                      OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return std::nullopt;
    std::string text(kFirstLineLimit, '\0');
    DWORD read = 0;
    if (!ReadFile(file.Get(), text.data(), kFirstLineLimit, &read, nullptr)) return std::nullopt;
    text.resize(read);
    // An editor may have put a byte-order mark in front.
    if (text.starts_with("\xEF\xBB\xBF")) text.erase(0, 3);
    return text.substr(0, text.find_first_of("\r\n"));
}

}  // namespace vigilor
