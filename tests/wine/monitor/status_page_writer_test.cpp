// The status page writer on the real file system.
#include <gtest/gtest.h>

#include <windows.h>

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

}  // namespace
}  // namespace vigilor
