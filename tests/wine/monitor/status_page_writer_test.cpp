// The status page writer on the real file system.
#include <gtest/gtest.h>

#include <windows.h>
#include <aclapi.h>
#include <sddl.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "monitor/status_page_writer_win.h"
#include "platform/handles_win.h"
#include "platform/wide_win.h"
#include "tests/support/error_of.h"
#include "tests/support/wine_paths.h"

namespace vigilor {
namespace {

using test::ErrorOf;

// A fresh folder under the temporary path for each test, with a page name
// outside ASCII so that the wide calls are the ones in use.
class StatusPageWriter : public ::testing::Test {
protected:
    void SetUp() override {
        wchar_t temp[MAX_PATH];
        ASSERT_NE(GetTempPathW(MAX_PATH, temp), 0u);
        static int count = 0;
        folder = std::filesystem::path(temp) /
                 ("vigilor-page-" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(++count));
        std::filesystem::remove_all(folder);
        ASSERT_TRUE(std::filesystem::create_directories(folder));
        page = Narrow((folder / L"Status \u00FC.html").wstring());
    }
    void TearDown() override {
        std::error_code error;
        std::filesystem::remove_all(folder, error);
        EXPECT_FALSE(error) << error.message();
    }

    std::string ReadPage() const {
        std::ifstream in(std::filesystem::path(Wide(page)), std::ios::binary);
        std::stringstream bytes;
        bytes << in.rdbuf();
        return bytes.str();
    }
    std::vector<std::wstring> FolderEntries() const {
        std::vector<std::wstring> names;
        for (const auto& entry : std::filesystem::directory_iterator(folder))
            names.push_back(entry.path().filename().wstring());
        return names;
    }
    // Opened as a web server might: others may read, not delete or rename.
    FileHandle OpenAsReader() const {
        return FileHandle(CreateFileW(Wide(page).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                      FILE_ATTRIBUTE_NORMAL, nullptr));
    }

    DWORD Attributes() const { return GetFileAttributesW(Wide(page).c_str()); }
    // The page's access list in the system's text form; Wine keeps it as
    // the file's permission bits.
    std::wstring AccessList() const {
        PSECURITY_DESCRIPTOR descriptor = nullptr;
        if (GetNamedSecurityInfoW(Wide(page).c_str(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr, nullptr,
                                  nullptr, nullptr, &descriptor) != ERROR_SUCCESS)
            return L"(unreadable)";
        const LocalMemory owned(descriptor);
        wchar_t* text = nullptr;
        if (!ConvertSecurityDescriptorToStringSecurityDescriptorW(descriptor, SDDL_REVISION_1,
                                                                  DACL_SECURITY_INFORMATION, &text, nullptr))
            return L"(unreadable)";
        const LocalMemory ownedText(text);
        return text;
    }
    DWORD SetAccessList(const wchar_t* sddl) const {
        PSECURITY_DESCRIPTOR descriptor = nullptr;
        if (!ConvertStringSecurityDescriptorToSecurityDescriptorW(sddl, SDDL_REVISION_1, &descriptor, nullptr))
            return GetLastError();
        const LocalMemory owned(descriptor);
        BOOL present = FALSE;
        BOOL defaulted = FALSE;
        PACL dacl = nullptr;
        GetSecurityDescriptorDacl(descriptor, &present, &dacl, &defaulted);
        std::wstring path = Wide(page);
        return SetNamedSecurityInfoW(path.data(), SE_FILE_OBJECT,
                                     DACL_SECURITY_INFORMATION | PROTECTED_DACL_SECURITY_INFORMATION, nullptr, nullptr,
                                     dacl, nullptr);
    }

    std::filesystem::path folder;
    std::string page;
};

TEST_F(StatusPageWriter, EveryLineEndsWithCrLfAndTheBytesAreKept) {
    WriteStatusPage(page, {"<html>", "", "Dienst f\xC3\xBCr Drucker", "</html>"});
    EXPECT_EQ(ReadPage(), "<html>\r\n\r\nDienst f\xC3\xBCr Drucker\r\n</html>\r\n");
}

TEST_F(StatusPageWriter, ASecondWriteReplacesTheWholePageAndLeavesNoDraftBehind) {
    WriteStatusPage(page, {std::string(5000, 'a'), std::string(5000, 'b')});
    WriteStatusPage(page, {"short"});
    EXPECT_EQ(ReadPage(), "short\r\n");
    EXPECT_EQ(FolderEntries(), std::vector<std::wstring>{L"Status \u00FC.html"});
}

TEST_F(StatusPageWriter, AFolderThatDoesNotExistCannotTakeThePage) {
    const std::string missing = Narrow((folder / "no such folder" / "status.html").wstring());
    EXPECT_EQ(ErrorOf([&] { WriteStatusPage(missing, {"<html>"}); }), "Cannot create file " + missing);
    EXPECT_TRUE(FolderEntries().empty());
}

TEST_F(StatusPageWriter, AReaderThatLetsGoSoonIsWaitedFor) {
    WriteStatusPage(page, {"old"});
    FileHandle reader = OpenAsReader();
    ASSERT_TRUE(reader);
    std::thread release([&reader] {
        Sleep(300);
        reader.Reset();
    });
    const std::string error = ErrorOf([&] { WriteStatusPage(page, {"new"}); });
    release.join();
    EXPECT_EQ(error, "(no error)");
    EXPECT_EQ(ReadPage(), "new\r\n");
    EXPECT_EQ(FolderEntries(), std::vector<std::wstring>{L"Status \u00FC.html"});
}

TEST_F(StatusPageWriter, AReaderThatHoldsOnFailsTheWriteAndTheOldPageStays) {
    WriteStatusPage(page, {"old"});
    const FileHandle reader = OpenAsReader();
    ASSERT_TRUE(reader);
    EXPECT_EQ(ErrorOf([&] { WriteStatusPage(page, {"new"}); }), "Cannot create file " + page);
    EXPECT_EQ(ReadPage(), "old\r\n");
    EXPECT_EQ(FolderEntries(), std::vector<std::wstring>{L"Status \u00FC.html"});
}

TEST_F(StatusPageWriter, APageKeepsItsAttributesAndAccessListThroughARewrite) {
    WriteStatusPage(page, {"old"});
    ASSERT_TRUE(SetFileAttributesW(Wide(page).c_str(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_ARCHIVE));
    // Everyone may write it: not what a new file in the folder gets.
    ASSERT_EQ(SetAccessList(L"D:P(A;;FA;;;WD)"), static_cast<DWORD>(ERROR_SUCCESS));
    const std::wstring accessList = AccessList();
    WriteStatusPage(page, {"new"});
    EXPECT_EQ(ReadPage(), "new\r\n");
    EXPECT_EQ(Attributes(), static_cast<DWORD>(FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_ARCHIVE));
    EXPECT_EQ(AccessList(), accessList);
    EXPECT_EQ(FolderEntries(), std::vector<std::wstring>{L"Status \u00FC.html"});
}

TEST_F(StatusPageWriter, AReadOnlyPageIsRefusedAtOnceAndKept) {
    WriteStatusPage(page, {"old"});
    ASSERT_TRUE(SetFileAttributesW(Wide(page).c_str(), FILE_ATTRIBUTE_READONLY));
    // Writable again soon after: a writer that waited would get through.
    std::thread release([this] {
        Sleep(500);
        SetFileAttributesW(Wide(page).c_str(), FILE_ATTRIBUTE_NORMAL);
    });
    const std::string error = ErrorOf([&] { WriteStatusPage(page, {"new"}); });
    release.join();
    EXPECT_EQ(error, "Cannot create file " + page);
    EXPECT_EQ(ReadPage(), "old\r\n");
    EXPECT_EQ(FolderEntries(), std::vector<std::wstring>{L"Status \u00FC.html"});
}

TEST(StatusPageWriterSealedFolder, APageInAFolderThatTakesNoNewFileIsWrittenInPlace) {
    const char* sealed = std::getenv("VIGILOR_SEALED_FOLDER");
    ASSERT_TRUE(sealed) << "VIGILOR_SEALED_FOLDER is not set";
    const std::string folder = test::WinePath(sealed);
    const std::string page = folder + "\\status.html";
    if (FileHandle(CreateFileW(Wide(folder + "\\probe").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                               FILE_ATTRIBUTE_NORMAL, nullptr)))
        GTEST_SKIP() << "the folder takes new files: sealing it needs root and a file system with chattr +i";
    ASSERT_EQ(test::ReadWholeFile(page), "old\r\n");
    WriteStatusPage(page, {"<html>", "new"});
    EXPECT_EQ(test::ReadWholeFile(page), "<html>\r\nnew\r\n");
    WriteStatusPage(page, {"x"});
    EXPECT_EQ(test::ReadWholeFile(page), "x\r\n") << "the rest of the longer page cut off";
}

}  // namespace
}  // namespace vigilor
