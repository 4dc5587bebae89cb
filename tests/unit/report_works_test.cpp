#include "maint/report_works.h"

#include <gtest/gtest.h>

#include "tests/unit/fake_report_device.h"

namespace vigilor {
namespace {

constexpr MarginsInches kMargins{0.5, 0.7, 0.5, 1.0};

TEST(ReportWorks, MarginsNeverInsideTheUnprintableBorder) {
    struct Case {
        PageMetrics page;
        MarginLines expected;
    } cases[] = {
        {{100, 100, 850, 1100, 25, 25, 800, 1050}, {25, 755, 25, 975}},  // border inside every margin
        {{100, 100, 850, 1100, 60, 60, 730, 980}, {0, 720, 0, 940}},     // 0.6": left and top move out
        {{100, 100, 850, 1100, 0, 0, 700, 900}, {50, 700, 50, 900}},     // wide right and bottom borders
        {{600, 300, 5100, 3300, 0, 0, 5100, 3300}, {300, 4680, 150, 3000}},
    };
    for (const Case& c : cases) {
        const MarginLines got = PlaceMargins(kMargins, c.page);
        EXPECT_EQ((std::vector<int>{got.left, got.right, got.top, got.bottom}),
                  (std::vector<int>{c.expected.left, c.expected.right, c.expected.top, c.expected.bottom}));
    }
}

TEST(ReportWorks, LineAdvanceIsLetterHeightPlusTenPercentRounded) {
    const std::pair<int, int> cases[] = {{20, 22}, {24, 26}, {25, 28}, {14, 15}, {4, 4}, {0, 0}};
    for (const auto& [height, advance] : cases) EXPECT_EQ(LineAdvance(height), advance) << height;
}

class WorksOnFake : public ::testing::Test {
protected:
    WorksOnFake() : works([this](const std::string& text) { errors.push_back(text); }) {
        works.SetDevice(&device);
        works.SetMargins(kMargins);
        works.SetTitle("Vigilor");
    }
    test::Drawn drawn;
    test::FakeReportDevice device{drawn};
    std::vector<std::string> errors;
    TReportWorks works;
};

TEST_F(WorksOnFake, LinesGoDownAndBreakBeforeLeavingTheBottomMargin) {
    works.BeginDoc();
    works.SetFontSize(10);  // letters 20 high: lines 22 apart
    for (int line = 0; line < 50; ++line) {
        works.PrintLeft("line " + std::to_string(line));
        works.NewLine();
    }
    works.EndDoc();
    // From the top margin (25); a line at y needs y + 20 <= 975.
    ASSERT_EQ(drawn.TextsOnPage(1).size(), 43u);
    EXPECT_EQ(drawn.texts[1].y, 47);
    EXPECT_EQ(drawn.texts[42].y, 25 + 42 * 22);
    EXPECT_EQ(drawn.texts[43].page, 2);
    EXPECT_EQ(drawn.texts[43].y, 25);
    EXPECT_EQ(works.PageNumber(), 2);
    EXPECT_EQ(drawn.calls, (std::vector<std::string>{"SetPortrait", "StartDocument Vigilor", "StartPage", "EndPage",
                                                     "StartPage", "EndPage", "EndDocument"}));
}

TEST_F(WorksOnFake, TextLeftCentredAndRightAndTheRuleBetweenTheMargins) {
    works.BeginDoc();
    works.SetFontSize(10);
    works.PrintLeft("abc");
    works.PrintCenter("abc");
    works.PrintRight("abc");
    works.DrawRule();
    ASSERT_EQ(drawn.texts.size(), 3u);
    EXPECT_EQ(drawn.texts[0].x, 25);
    EXPECT_EQ(drawn.texts[1].x, 25 + (730 - 30) / 2);
    EXPECT_EQ(drawn.texts[2].x, 755 - 30);
    EXPECT_EQ(drawn.texts[2].y, 25);  // a print does not advance
    // A hundredth of an inch: one unit here, six at 600 dpi.
    EXPECT_EQ(drawn.rules, (std::vector<std::vector<int>>{{1, 25, 755, 25 + 10, 1}}));
    device.metrics = {600, 600, 5100, 6600, 0, 0, 5100, 6600};
    works.BeginDoc();
    works.DrawRule();
    EXPECT_EQ(drawn.rules.back().back(), 6);
}

TEST_F(WorksOnFake, APrinterFailureIsShownAndTheDocumentGoesOn) {
    device.failEndPage = true;
    works.BeginDoc();
    works.NewPage();
    works.PrintLeft("after");
    works.EndDoc();
    EXPECT_EQ(errors, (std::vector<std::string>{"paper jam", "paper jam"}));
    EXPECT_EQ(drawn.TextsOnPage(2), std::vector<std::string>{"after"});
    EXPECT_EQ(drawn.calls.back(), "EndDocument");
}

TEST_F(WorksOnFake, ARefusedDocumentIsShownOnceAndNothingIsDrawn) {
    device.failStartDocument = true;
    works.BeginDoc();
    works.PrintLeft("lost");
    works.NewPage();
    works.EndDoc();
    EXPECT_EQ(errors, std::vector<std::string>{"no document"});
    EXPECT_TRUE(drawn.texts.empty());
    EXPECT_EQ(drawn.calls.back(), "StartDocument Vigilor");
}

}  // namespace
}  // namespace vigilor
