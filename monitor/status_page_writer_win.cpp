#include "monitor/status_page_writer_win.h"

#include <windows.h>
#include <aclapi.h>

#include <atomic>
#include <optional>

#include "monitor/status_page.h"
#include "platform/app_error.h"
#include "platform/handles_win.h"
#include "platform/wide_win.h"

namespace vigilor {

namespace {

// A web server reading the page blocks the replace for a moment only.
constexpr DWORD kReplacePauseMs = 50;
constexpr int kReplaceAttempts = 40;
// The longest path the plain wide calls take, without its closing zero.
constexpr size_t kPathLimit = MAX_PATH - 1;
// What a draft can take over of the page's attributes; read-only pages are
// not replaced at all.
constexpr DWORD kCarriedAttributes = FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM |
                                     FILE_ATTRIBUTE_NOT_CONTENT_INDEXED | FILE_ATTRIBUTE_OFFLINE |
                                     FILE_ATTRIBUTE_TEMPORARY;

// Process and call count: no two writers, here or in another instance,
// share a draft.
std::wstring UniqueSuffix() {
    static std::atomic<unsigned> drafts{0};
    return L".~" + std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(++drafts);
}

bool BlockedByReader(DWORD error) {
    return error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION || error == ERROR_UNABLE_TO_REMOVE_REPLACED;
}

// A reader that has the page open without sharing its deletion blocks
// the replace. Asked before each attempt: Wine's ReplaceFileW leaves a
// temporary file in the folder for every attempt that fails so.
bool HeldByReader(const std::wstring& page) {
    const FileHandle probe(CreateFileW(page.c_str(), DELETE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                       nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    return !probe && BlockedByReader(GetLastError());
}

// The draft is deleted unless it has become the page.
class PageDraft {
public:
    explicit PageDraft(std::wstring path) : path_(std::move(path)) {}
    PageDraft(const PageDraft&) = delete;
    PageDraft& operator=(const PageDraft&) = delete;
    ~PageDraft() {
        if (!path_.empty()) DeleteFileW(path_.c_str());
    }

    const std::wstring& Path() const { return path_; }

    // ReplaceFileW keeps the page's identity, its access list and owner
    // among them; a page that is not there yet has none to keep.
    bool ReplaceWaitingForReaders(const std::wstring& page) {
        for (int attempt = 1;; ++attempt) {
            if (!HeldByReader(page)) {
                if (ReplaceFileW(page.c_str(), path_.c_str(), nullptr, REPLACEFILE_WRITE_THROUGH, nullptr, nullptr) ||
                    (GetLastError() == ERROR_FILE_NOT_FOUND &&
                     MoveFileExW(path_.c_str(), page.c_str(), MOVEFILE_WRITE_THROUGH))) {
                    path_.clear();
                    return true;
                }
                if (!BlockedByReader(GetLastError())) return false;
            }
            if (attempt == kReplaceAttempts) return false;
            Sleep(kReplacePauseMs);
        }
    }

private:
    std::wstring path_;
};

// ReplaceFileW merges the page's access list and attributes into the draft
// on Windows; Wine's only moves the draft over the page. So the draft takes
// them over itself. A part that cannot be taken over is left to
// ReplaceFileW.
void TakeOverAccessList(const std::wstring& page, HANDLE draft) {
    PACL dacl = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (GetNamedSecurityInfoW(page.c_str(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr, nullptr, &dacl,
                              nullptr, &descriptor) != ERROR_SUCCESS)
        return;
    const LocalMemory owned(descriptor);
    SECURITY_DESCRIPTOR_CONTROL control = 0;
    DWORD revision = 0;
    if (!GetSecurityDescriptorControl(descriptor, &control, &revision)) return;
    const SECURITY_INFORMATION inheritance =
        (control & SE_DACL_PROTECTED) ? PROTECTED_DACL_SECURITY_INFORMATION : UNPROTECTED_DACL_SECURITY_INFORMATION;
    SetSecurityInfo(draft, SE_FILE_OBJECT, DACL_SECURITY_INFORMATION | inheritance, nullptr, nullptr, dacl, nullptr);
}

void TakeOverAttributes(const std::wstring& draft, DWORD pageAttributes) {
    const DWORD carried = pageAttributes & kCarriedAttributes;
    SetFileAttributesW(draft.c_str(), carried ? carried : FILE_ATTRIBUTE_NORMAL);
}

void WriteAll(HANDLE file, const std::string& bytes) {
    DWORD written = 0;
    if (!WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) || written != bytes.size())
        throw AppError("Stream write error");
}

void Flush(HANDLE file) {
    if (!FlushFileBuffers(file)) throw AppError("Stream write error");
}

// A folder that lets us write the page but not add a file to it: the page
// is rewritten where it is, its security untouched.
void WriteInPlace(const std::wstring& page, const std::string& path, const std::string& text) {
    const FileHandle file(
        CreateFileW(page.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) throw AppError("Cannot create file " + path);
    WriteAll(file.Get(), text);
    if (!SetEndOfFile(file.Get())) throw AppError("Stream write error");
    Flush(file.Get());
}

}  // namespace

void ReplaceWholeFile(const std::string& path, const std::string& text, WithoutDraft withoutDraft) {
    const std::wstring page = Wide(path);
    const DWORD attributes = GetFileAttributesW(page.c_str());
    const bool pageExists = attributes != INVALID_FILE_ATTRIBUTES;
    // Made read-only by its owner: a refusal, not a reader to wait for.
    if (pageExists && (attributes & FILE_ATTRIBUTE_READONLY)) throw AppError("Cannot create file " + path);

    const std::optional<std::wstring> draftPath = StatusPageDraftPath(page, UniqueSuffix(), kPathLimit);
    FileHandle file;
    if (draftPath)
        file = FileHandle(CreateFileW(draftPath->c_str(), GENERIC_WRITE | READ_CONTROL | WRITE_DAC, 0, nullptr,
                                      CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
        if (withoutDraft == WithoutDraft::Refuse) throw AppError("Cannot create file " + path);
        return WriteInPlace(page, path, text);
    }

    PageDraft draft(*draftPath);
    {
        // Closed before the draft is deleted on an error, so that it can be.
        const FileHandle written = std::move(file);
        WriteAll(written.Get(), text);
        Flush(written.Get());
        if (pageExists) TakeOverAccessList(page, written.Get());
    }
    if (pageExists) TakeOverAttributes(draft.Path(), attributes);
    if (!draft.ReplaceWaitingForReaders(page)) throw AppError("Cannot create file " + path);
}

void WriteStatusPage(const std::string& path, const std::vector<std::string>& lines) {
    ReplaceWholeFile(path, StatusPageText(lines), WithoutDraft::WriteInPlace);
}

}  // namespace vigilor
