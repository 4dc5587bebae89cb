#include <gtest/gtest.h>

#include "monitor/failure_options.h"
#include "monitor/monitored_list.h"

namespace vigilor {
namespace {

TEST(FieldOf, TextBetweenTabsAndMissingFieldsEmpty) {
    EXPECT_EQ(FieldOf("a\tb\tc\td", 0), "a");
    EXPECT_EQ(FieldOf("a\tb\tc\td", 3), "d");
    EXPECT_EQ(FieldOf("a\tb", 2), "");
    EXPECT_EQ(FieldOf("a\t\tc", 1), "");
    EXPECT_EQ(FieldOf("", 0), "");
    EXPECT_EQ(FieldOf("only", 1), "");
}

TEST(FlagIsOn, YesInAnyCaseOnlyCounts) {
    for (const char* on : {"YES", "Yes", "yes", "yEs"}) EXPECT_TRUE(FlagIsOn(on)) << on;
    for (const char* off : {"Y", "No", "", " YES", "YES ", "yes please", "1"}) EXPECT_FALSE(FlagIsOn(off)) << off;
}

TEST(MonitoredServiceRow, RoundTripsThroughItsText) {
    const auto row = MonitoredService::FromRow("\\\\HOST\tSpooler\tYes\tNo");
    EXPECT_EQ(row.server, "\\\\HOST");
    EXPECT_EQ(row.service, "Spooler");
    EXPECT_TRUE(row.AutoRestartOn());
    EXPECT_FALSE(row.EmailOn());
    EXPECT_EQ(row.ToRow(), "\\\\HOST\tSpooler\tYes\tNo");
}

TEST(MonitoredServiceRow, ATabInsideAFieldBecomesABlankSoTheFieldsStayInPlace) {
    const MonitoredService service{"\\\\HO\tST", "Print\tSpooler", "Yes", "No\t"};
    const auto row = MonitoredService::FromRow(service.ToRow());
    EXPECT_EQ(row.server, "\\\\HO ST");
    EXPECT_EQ(row.service, "Print Spooler");
    EXPECT_EQ(row.autoRestart, "Yes");
    EXPECT_EQ(row.email, "No ");
}

class MonitoredListTest : public ::testing::Test {
protected:
    void SetUp() override {
        list.AppendUnsorted("\\\\BRAVO\tzeta\tYes\tNo");
        list.AppendUnsorted("\\\\alpha\tDelta\tNo\tYes");
        list.AppendUnsorted("\\\\Charlie\tbeta\tNo\tNo");
        list.Sort();
    }
    std::vector<std::string> Column(int n) const {
        std::vector<std::string> out;
        for (const auto& row : list.Rows()) out.push_back(FieldOf(row, n));
        return out;
    }
    MonitoredList list;
};

TEST_F(MonitoredListTest, StartsByServerAscendingIgnoringCase) {
    EXPECT_EQ(Column(0), (std::vector<std::string>{"\\\\alpha", "\\\\BRAVO", "\\\\Charlie"}));
}

TEST_F(MonitoredListTest, ColumnClickSortsAndSecondClickReverses) {
    list.ColumnClicked(kServiceColumn);
    EXPECT_EQ(Column(1), (std::vector<std::string>{"beta", "Delta", "zeta"}));
    list.ColumnClicked(kServiceColumn);
    EXPECT_EQ(Column(1), (std::vector<std::string>{"zeta", "Delta", "beta"}));
    EXPECT_FALSE(list.Ascending());
    list.ColumnClicked(kServerColumn);
    EXPECT_TRUE(list.Ascending()) << "a new column starts ascending";
    EXPECT_EQ(Column(0), (std::vector<std::string>{"\\\\alpha", "\\\\BRAVO", "\\\\Charlie"}));
    list.ColumnClicked(kServerColumn);
    EXPECT_EQ(Column(0), (std::vector<std::string>{"\\\\Charlie", "\\\\BRAVO", "\\\\alpha"}));
}

TEST_F(MonitoredListTest, AddSortsByTheCurrentOrder) {
    list.ColumnClicked(kServerColumn);  // now descending
    ASSERT_TRUE(list.Add("\\\\Delta", "new"));
    EXPECT_EQ(Column(0), (std::vector<std::string>{"\\\\Delta", "\\\\Charlie", "\\\\BRAVO", "\\\\alpha"}));
    EXPECT_EQ(list.Rows()[0], "\\\\Delta\tnew\tNo\tNo");
}

TEST_F(MonitoredListTest, DuplicateAddChangesNothing) {
    list.ColumnClicked(kAutoColumn);
    const auto before = list.Rows();
    EXPECT_FALSE(list.Add("\\\\BRAVO", "zeta"));
    EXPECT_EQ(list.Rows(), before);
}

TEST_F(MonitoredListTest, DuplicateAddOfANameWithATabChangesNothing) {
    EXPECT_TRUE(list.Add("\\\\BRAVO", "Print\tSpooler"));
    EXPECT_FALSE(list.Add("\\\\BRAVO", "Print\tSpooler"));
    EXPECT_EQ(list.Count(), 4u);
}

TEST_F(MonitoredListTest, SameNameOnOtherComputerIsNoDuplicateButOtherCaseIs) {
    EXPECT_TRUE(list.Add("\\\\ECHO", "zeta"));
    EXPECT_FALSE(list.Add("\\\\bravo", "zeta")) << "one computer, one row memory";
    EXPECT_FALSE(list.Add("\\\\BRAVO", "ZETA"));
    EXPECT_TRUE(list.Add("\\\\BRAVO ", "zeta")) << "no trimming in the comparison";
    EXPECT_EQ(list.Count(), 5u);
}

TEST_F(MonitoredListTest, EqualKeysKeepTheirOrder) {
    list.ColumnClicked(kEmailColumn);
    EXPECT_EQ(Column(3), (std::vector<std::string>{"No", "No", "Yes"}));
    EXPECT_EQ(Column(0)[0], "\\\\BRAVO") << "BRAVO stood before Charlie";
}

TEST_F(MonitoredListTest, CountLabel) {
    EXPECT_EQ(list.CountLabel(), "MONITORED SERVICES [3]");
    list.Clear();
    EXPECT_EQ(list.CountLabel(), "MONITORED SERVICES [0]");
}

TEST_F(MonitoredListTest, RemoveAndReplaceIgnoreBadIndexes) {
    list.Remove(7);
    list.Replace(7, "x");
    EXPECT_EQ(list.Count(), 3u);
    list.Remove(0);
    EXPECT_EQ(list.At(0).server, "\\\\BRAVO");
}

TEST(FailureOptions, CaptionAndCurrentFlags) {
    const auto row = MonitoredService::FromRow(" \\\\HOST \t Spooler \tyes\tY");
    EXPECT_EQ(FailureOptionsCaption(row), "Options for Spooler on \\\\HOST");
    const FailureOptions current = CurrentFailureOptions(row);
    EXPECT_TRUE(current.restart);
    EXPECT_FALSE(current.email);
}

TEST(FailureOptions, FourOutcomesTrimAndWriteYesNo) {
    const auto row = MonitoredService::FromRow(" \\\\HOST \t Spooler \tYES\tyes");
    EXPECT_EQ(RowWithFailureOptions(row, {false, false}), "\\\\HOST\tSpooler\tNo\tNo");
    EXPECT_EQ(RowWithFailureOptions(row, {false, true}), "\\\\HOST\tSpooler\tNo\tYes");
    EXPECT_EQ(RowWithFailureOptions(row, {true, false}), "\\\\HOST\tSpooler\tYes\tNo");
    EXPECT_EQ(RowWithFailureOptions(row, {true, true}), "\\\\HOST\tSpooler\tYes\tYes");
}

}  // namespace
}  // namespace vigilor
