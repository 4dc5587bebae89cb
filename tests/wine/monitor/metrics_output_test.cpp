// The metrics file on the real file system and its failures in the memo
// and the real event log calls.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "monitor/metrics_output_win.h"
#include "notify/notification_channels_win.h"
#include "platform/handles_win.h"
#include "platform/wide_win.h"
#include "tests/support/event_log_tap_win.h"
#include "tests/support/test_alert_host.h"
#include "tests/support/wine_paths.h"
#include "tests/unit/metrics_parser.h"

namespace vigilor {
namespace {

const std::vector<std::string> kRows{"\\\\ALPHA\tPrint Spooler\tNo\tNo"};

std::string ReadFile(const std::string& path) {
    std::ifstream in(std::filesystem::path(Wide(path)), std::ios::binary);
    std::stringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

class MetricsFile : public ::testing::Test {
protected:
    void SetUp() override {
        wchar_t temp[MAX_PATH];
        ASSERT_NE(GetTempPathW(MAX_PATH, temp), 0u);
        folder = std::filesystem::path(temp) / ("vigilor-metrics-" + std::to_string(GetCurrentProcessId()));
        std::filesystem::remove_all(folder);
        ASSERT_TRUE(std::filesystem::create_directories(folder));
        settings.metricsOutputEnabled = true;
        settings.metricsOutput = Narrow((folder / L"vigilor \u00E9t\u00E9.prom").wstring());
    }
    void TearDown() override {
        std::error_code error;
        std::filesystem::remove_all(folder, error);
    }

    // One pass that checked its row and found it running.
    void Pass() {
        const RecordedPass recorded(*output, kRows);
        output->Record().ComputerAnswered("\\\\ALPHA", true);
        output->Record().RowChecked(0, RowOutcome::Running);
    }
    std::vector<std::wstring> FolderEntries() const {
        std::vector<std::wstring> names;
        for (const auto& entry : std::filesystem::directory_iterator(folder))
            names.push_back(entry.path().filename().wstring());
        return names;
    }
    std::string Reason() const { return "Cannot create file " + settings.metricsOutput; }
    std::string Report() const { return "The metrics file " + settings.metricsOutput + " was not written: " + Reason(); }
    // Each entry an error of the metrics file's own message, the file and
    // the reason its strings.
    void EntriesAreOfTheMetricsFile(size_t count) const {
        ASSERT_EQ(tap.Entries().size(), count);
        for (const test::EventEntry& entry : tap.Entries()) {
            EXPECT_EQ(entry.source, "Vigilor");
            EXPECT_EQ(entry.id, 106u);
            EXPECT_EQ(entry.type, EVENTLOG_ERROR_TYPE);
            EXPECT_EQ(entry.strings, (std::vector<std::string>{settings.metricsOutput, Reason()}));
        }
    }

    std::filesystem::path folder;
    ProgramSettings settings;
    AlertCounts alerts;
    test::MemoLines memo;
    WindowsNotificationChannels channels{nullptr};
    test::EventLogTap tap;
    std::unique_ptr<MetricsOutput> output = MakeMetricsOutput("MONITOR", settings, alerts, memo, channels);
};

TEST_F(MetricsFile, AFailedWriteLeavesThePreviousFileWholeAndIsAMemoLineAndAnEvent) {
    Pass();
    const std::string written = ReadFile(settings.metricsOutput);
    const test::ParsedMetrics parsed = test::ParseMetrics(written);
    ASSERT_EQ(parsed.error, "") << written;
    EXPECT_EQ(parsed.Find("vigilor_service_state", {{"service", "Print Spooler"}, {"state", "running"}})[0].value, 1);
    EXPECT_TRUE(memo.lines.empty());

    {
        // Held as the exporter's reader holds it: others may read and
        // write, not delete or rename. The replace waits, then gives up.
        const FileHandle reader(CreateFileW(Wide(settings.metricsOutput).c_str(), GENERIC_READ,
                                            FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                            FILE_ATTRIBUTE_NORMAL, nullptr));
        ASSERT_TRUE(reader);
        Pass();
    }
    EXPECT_EQ(ReadFile(settings.metricsOutput), written);
    EXPECT_EQ(FolderEntries(), std::vector<std::wstring>{L"vigilor \u00E9t\u00E9.prom"}) << "no draft left";
    ASSERT_EQ(memo.lines.size(), 1u);
    EXPECT_EQ(memo.lines[0].substr(18), Report()) << "after the time stamp";
    EntriesAreOfTheMetricsFile(1);

    std::filesystem::remove_all(folder);
    Pass();
    EXPECT_FALSE(std::filesystem::exists(folder)) << "nothing made in its place";
    EntriesAreOfTheMetricsFile(2);
}

// A folder that takes no new file (made by the test's fixture): the status
// page is written in place there, the metrics file never is, as an exporter
// could read half of it.
TEST(MetricsFileSealedFolder, IsNotWrittenInPlaceAndTheOldFileStays) {
    const char* sealed = std::getenv("VIGILOR_SEALED_FOLDER");
    ASSERT_TRUE(sealed) << "VIGILOR_SEALED_FOLDER is not set";
    const std::string folder = test::WinePath(sealed);
    if (FileHandle(CreateFileW(Wide(folder + "\\probe").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                               FILE_ATTRIBUTE_NORMAL, nullptr)))
        GTEST_SKIP() << "the folder takes new files: sealing it needs root and a file system with chattr +i";
    ProgramSettings settings;
    settings.metricsOutputEnabled = true;
    settings.metricsOutput = folder + "\\vigilor.prom";
    AlertCounts alerts;
    test::MemoLines memo;
    WindowsNotificationChannels channels(nullptr);
    const std::unique_ptr<MetricsOutput> output = MakeMetricsOutput("MONITOR", settings, alerts, memo, channels);
    { const RecordedPass recorded(*output, kRows); }
    EXPECT_EQ(ReadFile(settings.metricsOutput), "old 1\n");
    EXPECT_EQ(memo.lines.size(), 1u);
}

}  // namespace
}  // namespace vigilor
