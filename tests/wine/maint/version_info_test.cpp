#include <gtest/gtest.h>

#include <windows.h>

#include <fstream>

#include "maint/version_info_win.h"
#include "platform/system_info_win.h"
#include "platform/wide_win.h"

namespace vigilor {
namespace {

TEST(VersionRecord, ReadFromTheProgramsOwnFile) {
    // Test programs carry the same version record as the program.
    const VersionRecord record = ReadVersionRecord(ProgramFilePath());
    ASSERT_TRUE(record.valid);
    EXPECT_EQ(VersionText(record), VIGILOR_EXPECTED_VERSION);
}

TEST(VersionRecord, FilesWithoutOneGiveAnEmptyText) {
    wchar_t folder[MAX_PATH];
    GetTempPathW(MAX_PATH, folder);
    const std::string plain = Narrow(folder) + "vigilor-no-version.txt";
    std::ofstream(Wide(plain).c_str()) << "not a program";
    EXPECT_FALSE(ReadVersionRecord(plain).valid);
    EXPECT_EQ(VersionText(ReadVersionRecord(plain)), "");
    DeleteFileW(Wide(plain).c_str());
    EXPECT_FALSE(ReadVersionRecord("C:\\no\\such\\file.exe").valid);
    // A system library of Wine's own has a record; it must read as valid.
    EXPECT_TRUE(ReadVersionRecord("C:\\windows\\system32\\kernel32.dll").valid);
}

}  // namespace
}  // namespace vigilor
