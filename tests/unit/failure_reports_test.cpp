#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "net/ipv4_address.h"
#include "net/ping_target.h"
#include "notify/alerted_list.h"
#include "notify/failure_reports.h"
#include "platform/app_error.h"

namespace vigilor {
namespace {

// A memo that wraps its lines at a fixed width, as the real control does.
class WrappingMemo : public FailureMemo {
public:
    explicit WrappingMemo(size_t width) : width_(width) {}
    int DisplayedLineCount() override {
        ++asked;
        int rows = 0;
        for (const auto& line : lines) rows += line.empty() ? 1 : static_cast<int>((line.size() + width_ - 1) / width_);
        return rows;
    }
    void AppendLine(const std::string& line) override {
        ++changes;
        lines.push_back(line);
    }
    void AppendLines(const std::vector<std::string>& more) override {
        ++changes;
        lines.insert(lines.end(), more.begin(), more.end());
    }
    std::vector<std::string> Lines() override { return lines; }
    std::vector<std::string> lines;
    int asked = 0, changes = 0;

private:
    size_t width_;
};

const LocalTime kFifthOfMarch{2026, 3, 5, 9, 7, 0, 4};

TEST(FailureReports, StampAndSeparatorRule) {
    WrappingMemo memo(200);
    AppendFailureReport(memo, kFifthOfMarch, "first");
    AppendFailureReport(memo, kFifthOfMarch, "second");
    EXPECT_EQ(memo.lines, (std::vector<std::string>{"05/03/2026  09:07 first", "05/03/2026  09:07 second"}))
        << "one short unwrapped line: no separator";
    AppendFailureReport(memo, kFifthOfMarch, "third");
    EXPECT_EQ(memo.lines.size(), 4u);
    EXPECT_EQ(memo.lines[2], kReportSeparator);
    EXPECT_EQ(std::string(kReportSeparator), std::string(37, '-'));
}

TEST(FailureReports, AWrappedFirstLineAlreadyCountsAsTwoRows) {
    WrappingMemo memo(20);
    AppendFailureReport(memo, kFifthOfMarch, "\"Spooler\" on \\\\SRV1 is stopped");
    AppendFailureReport(memo, kFifthOfMarch, "EMAIL SENT TO ops@x.org");
    EXPECT_EQ(memo.lines, (std::vector<std::string>{"05/03/2026  09:07 \"Spooler\" on \\\\SRV1 is stopped",
                                                     kReportSeparator, "05/03/2026  09:07 EMAIL SENT TO ops@x.org"}));
}

// Each question to the control and each change of it costs what the memo
// already holds: a pass's reports shown together ask and change it a few
// times, not once or twice a report, and read as if added one by one.
TEST(FailureReports, ReportsShownTogetherChangeTheMemoOnceWithTheSameSeparators) {
    for (const size_t width : {200u, 20u}) {
        std::vector<std::string> reports;
        WrappingMemo oneByOne(width);
        for (int i = 0; i < 1000; ++i) {
            reports.push_back("05/03/2026  09:07 row " + std::to_string(i) + " is stopped");
            AppendFailureReport(oneByOne, kFifthOfMarch, "row " + std::to_string(i) + " is stopped");
        }
        WrappingMemo together(width);
        AppendStampedReports(together, reports);
        EXPECT_EQ(together.lines, oneByOne.lines) << "width " << width;
        EXPECT_LE(together.asked, 3) << "width " << width;
        EXPECT_LE(together.changes, 3) << "width " << width;
    }
}

class ScriptedChooser : public SaveFileChooser {
public:
    std::string ChooseSaveFile(const SaveFileRequest& r) override {
        ++asked;
        request = r;
        return answer;
    }
    int asked = 0;
    SaveFileRequest request;
    std::string answer;
};

TEST(FailureReports, SavingWritesEveryLineWithCrLfAndAsksNothingForAnEmptyMemo) {
    WrappingMemo memo(200);
    ScriptedChooser chooser;
    SaveFailureReports(memo, chooser);
    EXPECT_EQ(chooser.asked, 0);

    memo.lines = {"05/03/2026  09:07 one", kReportSeparator, "two"};
    const auto path = std::filesystem::temp_directory_path() / ("vigilor-reports-" + std::to_string(::getpid()) + ".txt");
    {
        std::ofstream old(path);
        old << "an older, much longer file content that must be replaced entirely";
    }
    chooser.answer = path.string();
    SaveFailureReports(memo, chooser);
    EXPECT_EQ(chooser.request.filter, "Text files (*.txt)|*.txt");
    EXPECT_EQ(chooser.request.defaultExtension, "txt");
    EXPECT_TRUE(chooser.request.promptOverwrite);
    EXPECT_TRUE(chooser.request.pathMustExist);
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    EXPECT_EQ(text.str(), "05/03/2026  09:07 one\r\n-------------------------------------\r\ntwo\r\n");
    std::filesystem::remove(path);

    chooser.answer.clear();  // cancelled
    SaveFailureReports(memo, chooser);
    EXPECT_EQ(memo.lines.size(), 3u);
}

TEST(FailureReports, AFileThatCannotBeWrittenRaisesAndLeavesTheMemo) {
    WrappingMemo memo(200);
    memo.lines = {"x"};
    ScriptedChooser chooser;
    chooser.answer = "/nonexistent-dir-for-vigilor/reports.txt";
    EXPECT_THROW(SaveFailureReports(memo, chooser), AppError);
    EXPECT_EQ(memo.lines, std::vector<std::string>{"x"});
}

TEST(MailDate, EnglishAbbreviationsNoZone) {
    EXPECT_EQ(MailDate({2026, 12, 8, 14, 5, 9, 2}), "Tue, 08 Dec 2026 14:05:09");
    EXPECT_EQ(MailDate({2026, 3, 1, 0, 0, 0, 0}), "Sun, 01 Mar 2026 00:00:00");
}

TEST(AlertedListOrder, SortedDuplicateFreeAndExact) {
    AlertedList list;
    list.Add("\\\\B@Spooler");
    list.Add("\\\\a@IsNotAlive");
    list.Add("\\\\B@Spooler");
    list.Add("\\\\b@Spooler");
    EXPECT_EQ(list.Keys(), (std::vector<std::string>{"\\\\a@IsNotAlive", "\\\\B@Spooler", "\\\\b@Spooler"}));
    EXPECT_TRUE(list.Contains("\\\\B@Spooler"));
    EXPECT_FALSE(list.Contains("\\\\A@IsNotAlive"));
    list.Clear();
    EXPECT_TRUE(list.Keys().empty());
}

TEST(PingTarget, DropsTwoCharactersAndUpperCases) {
    EXPECT_EQ(PingTargetOf("\\\\server1"), "SERVER1");
    EXPECT_EQ(PingTargetOf("abhost"), "HOST");
    EXPECT_EQ(PingTargetOf("\\\\127.0.0.1"), "127.0.0.1");
    EXPECT_EQ(PingTargetOf("\\"), "");
    EXPECT_EQ(PingTargetOf(""), "");
}

TEST(Ipv4, OnlyFourDecimalPartsParse) {
    EXPECT_EQ(DottedIPv4(*ParseDottedIPv4("127.0.0.1")), "127.0.0.1");
    EXPECT_EQ(DottedIPv4(*ParseDottedIPv4("255.255.255.255")), "255.255.255.255");
    for (const char* bad : {"", "127.0.0", "127.0.0.1.", "256.0.0.1", "1.2.3.4x", "LOCALHOST", "1..2.3", "0001.2.3.4",
                            "1.2.3.-4"})
        EXPECT_FALSE(ParseDottedIPv4(bad)) << bad;
}

}  // namespace
}  // namespace vigilor
