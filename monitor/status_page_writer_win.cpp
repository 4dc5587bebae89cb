#include "monitor/status_page_writer_win.h"

#include <windows.h>

#include <atomic>

#include "monitor/status_page.h"
#include "platform/app_error.h"
#include "platform/handles_win.h"
#include "platform/wide_win.h"

namespace vigilor {

namespace {

// A web server reading the page blocks the replace for a moment only.
constexpr DWORD kReplacePauseMs = 50;
constexpr int kReplaceAttempts = 40;

// The page is written to a draft beside it, so that the final move stays on
// one volume. The draft is deleted unless it has become the page.
class PageDraft {
public:
    explicit PageDraft(const std::wstring& target) : path_(target + L".~" + UniqueSuffix()) {}
    PageDraft(const PageDraft&) = delete;
    PageDraft& operator=(const PageDraft&) = delete;
    ~PageDraft() {
        if (!path_.empty()) DeleteFileW(path_.c_str());
    }

    const std::wstring& Path() const { return path_; }

    bool ReplaceWaitingForReaders(const std::wstring& target) {
        for (int attempt = 1;; ++attempt) {
            if (MoveFileExW(path_.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
                path_.clear();
                return true;
            }
            if (!HeldByReader(GetLastError()) || attempt == kReplaceAttempts) return false;
            Sleep(kReplacePauseMs);
        }
    }

private:
    // Process and call count: no two writers, here or in another
    // instance, share a draft.
    static std::wstring UniqueSuffix() {
        static std::atomic<unsigned> drafts{0};
        return std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(++drafts);
    }

    static bool HeldByReader(DWORD error) {
        return error == ERROR_SHARING_VIOLATION || error == ERROR_ACCESS_DENIED || error == ERROR_LOCK_VIOLATION;
    }

    std::wstring path_;
};

void WriteAndFlush(HANDLE file, const std::string& bytes) {
    DWORD written = 0;
    if (!WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) ||
        written != bytes.size() || !FlushFileBuffers(file)) {
        throw AppError("Stream write error");
    }
}

}  // namespace

void WriteStatusPage(const std::string& path, const std::vector<std::string>& lines) {
    const std::wstring target = Wide(path);
    PageDraft draft(target);
    {
        const FileHandle file(CreateFileW(draft.Path().c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                          FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file) throw AppError("Cannot create file " + path);
        WriteAndFlush(file.Get(), StatusPageText(lines));
    }
    if (!draft.ReplaceWaitingForReaders(target)) throw AppError("Cannot create file " + path);
}

}  // namespace vigilor
