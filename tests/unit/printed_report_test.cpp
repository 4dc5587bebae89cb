#include "maint/printed_report.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <deque>
#include <memory>

#include "tests/support/memory_store.h"
#include "tests/unit/fake_report_device.h"

namespace vigilor {
namespace {

class FakeHost : public ReportHost {
public:
    std::vector<std::string> ComputerList() override { return computers; }
    std::vector<std::string> MonitoredRows() override { return rows; }
    std::unique_ptr<KeyValueStore> OpenStore() override { return std::make_unique<test::MemoryStore>(store); }
    std::string VersionText() override { return "9.8.7.6"; }
    void ShowStatus(const std::string& text) override { events.push_back(text); }
    ScreenCursor CurrentCursor() override { return cursor; }
    void SetCursor(ScreenCursor to) override {
        cursor = to;
        events.push_back(to == ScreenCursor::Hourglass ? "hourglass" : "cursor back");
    }

    std::vector<std::string> computers{"\\\\ALPHA", "\\\\BETA"};
    std::vector<std::string> rows{"\\\\ALPHA\tPrint Spooler\tYES\tNo", " \\\\BETA \t Event Log \tNo\tNo"};
    test::MemoryStore store;
    ScreenCursor cursor = ScreenCursor::Other;
    std::vector<std::string> events;
};

class FakeSystem : public ReportSystem {
public:
    std::string ServiceKeyName(const std::string& machine, const std::string& displayName) override {
        return machine == "\\\\ALPHA" && displayName == "Print Spooler" ? "Spooler" : "";
    }
    std::string WindowsUserName() override { return "root"; }
    LocalTime Now() override { return {2026, 3, 5, 9, 7, 0, 4}; }
    std::optional<int> ChoosePrinter() override { return copies; }
    std::unique_ptr<ReportDevice> OpenPrinter() override {
        return std::make_unique<test::FakeReportDevice>(printed.emplace_back());
    }
    void ShowPrinterError(const std::string& text) override { errors.push_back(text); }

    std::optional<int> copies = 1;
    std::deque<test::Drawn> printed;  // one per copy
    std::vector<std::string> errors;
};

class Report : public ::testing::Test {
protected:
    const test::Drawn& Print() {
        FilePrintCmdExecute(host, system);
        return system.printed.back();
    }
    FakeHost host;
    FakeSystem system;
};

TEST(ReportFormats, FieldsAreCutAndPaddedToTheirWidths) {
    EXPECT_EQ(FixedWidth("ab", 4), "ab  ");
    EXPECT_EQ(FixedWidth("abcdef", 4), "abcd");
    EXPECT_EQ(FixedWidth("\xC3\xA4\xC3\xB6\xC3\xBC", 2), "\xC3\xA4\xC3\xB6");  // by characters, not bytes
    EXPECT_EQ(ServiceTableLine(std::string(20, 'M'), std::string(60, 'S'), std::string(25, 'K')),
              std::string(18, 'M') + "  " + std::string(55, 'S') + "  " + std::string(20, 'K'));
    EXPECT_EQ(HtmlFileLine("HTML Output File:", std::string(60, 'p')),
              "HTML Output File:       " + std::string(50, 'p'));
    // The password's label is one character wider than its column.
    EXPECT_EQ(SettingLine("e-mail SMTP Password:", std::string(40, 'v')),
              "e-mail SMTP Password    " + std::string(30, 'v'));
}

TEST(ReportSettings, MissingValuesAndNotifyLoginOnlyWithScreenAlerts) {
    test::MemoryStore store;
    store.binary["EMailSMTPHost"] = true;  // a value of the wrong type reads as missing
    std::vector<std::string> lines = SettingsLines(store);
    ASSERT_EQ(lines.size(), 16u);
    EXPECT_EQ(lines[1], HtmlFileLine("Metrics File:", "not defined"));
    EXPECT_EQ(lines[2], SettingLine("Notify Login:", "not defined"));  // screen alerts are on by default
    EXPECT_EQ(lines[3], SettingLine("e-mail SMTP Host:", "not defined"));
    EXPECT_EQ(lines[5], SettingLine("e-mail Security:", "None"));
    store.values["EMailSMTPSecurity"] = "SSL";
    EXPECT_EQ(SettingsLines(store)[5], SettingLine("e-mail Security:", "SSL")) << "no mail goes out with it";
    store.values.erase("EMailSMTPSecurity");
    EXPECT_EQ(lines[7], SettingLine("e-mail SMTP Password:", "*******"));
    EXPECT_EQ(lines[13], SettingLine("Scan Interval:", " minute(s)"));
    for (const auto& [screenNotify, count] : {std::pair{"0", 15u}, {"1", 16u}, {"x", 16u}}) {
        store.values["ScreenNotify"] = screenNotify;
        lines = SettingsLines(store);
        EXPECT_EQ(lines.size(), count) << screenNotify;
        EXPECT_EQ(lines[2].rfind("Notify Login:", 0) == 0, count == 16u) << screenNotify;
    }
}

TEST_F(Report, OnePageInOrderWithEverySettingFreshFromTheStore) {
    host.store.values = {{"HTMLOutput", "C:\\www\\status.htm"},
                         {"MetricsOutput", "C:\\textfile_inputs\\vigilor.prom"},
                         {"NotifyLogin", "operator"},
                         {"EMailSMTPHost", "mail.example"},
                         {"EMailSMTPPort", "2525"},
                         {"EMailSMTPSecurity", "starttls"},
                         {"EMailSMTPID", "vigil"},
                         {"EMailSMTPPwd", "secret"},
                         {"EMailTo", "to@example"},
                         {"EMailCc", "cc@example"},
                         {"EMailBcc", "bcc@example"},
                         {"EMailLocalName", "Vigilor Bot"},
                         {"EMailLocalAddr", "bot@example"},
                         {"ScanInterval", "5"},
                         {"RestartAlertWindow", "90"}};
    const std::vector<std::string> expected{"Vigilor",
                                            "05/03/2026  09:07",
                                            "NT Servers in your Domain:",
                                            "\\\\ALPHA",
                                            "\\\\BETA",
                                            "Monitored Services:",
                                            ServiceTableLine("Machine", "Service Description", "Service real name"),
                                            ServiceTableLine("\\\\ALPHA", "Print Spooler", "Spooler"),
                                            ServiceTableLine("\\\\BETA", "Event Log", ""),
                                            "Settings:",
                                            HtmlFileLine("HTML Output File:", "C:\\www\\status.htm"),
                                            HtmlFileLine("Metrics File:", "C:\\textfile_inputs\\vigilor.prom"),
                                            SettingLine("Notify Login:", "operator"),
                                            SettingLine("e-mail SMTP Host:", "mail.example"),
                                            SettingLine("e-mail SMTP Port:", "2525"),
                                            SettingLine("e-mail Security:", "STARTTLS"),
                                            SettingLine("e-mail SMTP ID:", "vigil"),
                                            SettingLine("e-mail SMTP Password:", "*******"),
                                            SettingLine("e-mail TO:", "to@example"),
                                            SettingLine("e-mail CC:", "cc@example"),
                                            SettingLine("e-mail BCC:", "bcc@example"),
                                            SettingLine("e-mail From:", "Vigilor Bot"),
                                            SettingLine("e-mail Reply To:", "bot@example"),
                                            "Scan Interval:          5 minute(s)                   ",
                                            "Restart Alert After:    3 restart(s)                  ",
                                            "Restart Window:         90 minute(s)                  ",
                                            "Produced by ROOT",
                                            "Vigilor v.9.8.7.6",
                                            "Page 1 of 1"};
    const test::Drawn& page = Print();
    EXPECT_EQ(page.TextsOnPage(1), expected);
    EXPECT_EQ(page.pages, 1);
}

TEST_F(Report, TheRestartAlertLinesSayWhatMonitoringGoesBy) {
    const struct {
        const char* count;
        const char* window;
        std::string countLine;
        std::string windowLine;
    } cases[] = {
        {"0", "1440", SettingLine("Restart Alert After:", "off"), SettingLine("Restart Window:", "1440 minute(s)")},
        {"12", "0", SettingLine("Restart Alert After:", "12 restart(s)"),
         SettingLine("Restart Window:", "60 minute(s)")},
        {"x", "-3", SettingLine("Restart Alert After:", "3 restart(s)"),
         SettingLine("Restart Window:", "60 minute(s)")},
    };
    for (const auto& c : cases) {
        host.store.values = {{"RestartAlertCount", c.count}, {"RestartAlertWindow", c.window}};
        const std::vector<std::string> texts = Print().TextsOnPage(1);
        const auto at = std::find(texts.begin(), texts.end(), c.countLine);
        ASSERT_NE(at, texts.end()) << c.count;
        ASSERT_NE(at + 1, texts.end());
        EXPECT_EQ(*(at + 1), c.windowLine) << c.window;
    }
}

TEST_F(Report, EmptyListsKeepTheirTitlesAndTheColumnHeads) {
    host.computers.clear();
    host.rows.clear();
    const std::vector<std::string> texts = Print().TextsOnPage(1);
    ASSERT_GE(texts.size(), 6u);
    EXPECT_EQ(std::vector<std::string>(texts.begin() + 2, texts.begin() + 6),
              (std::vector<std::string>{"NT Servers in your Domain:", "Monitored Services:",
                                        ServiceTableLine("Machine", "Service Description", "Service real name"),
                                        "Settings:"}));
}

TEST_F(Report, PlacesAndStyles) {
    const test::Drawn& page = Print();
    const MarginLines lines = PlaceMargins(kReportMargins, test::kFakePage);
    const auto drawn = [&](const std::string& text) {
        const auto it =
            std::find_if(page.texts.begin(), page.texts.end(), [&](const auto& t) { return t.text == text; });
        return it == page.texts.end() ? test::DrawnText{-1, -1, -1, "", {}} : *it;
    };
    const auto title = drawn("Vigilor");
    EXPECT_EQ(title.font.name, "Courier New");
    EXPECT_EQ(title.font.points, 16);
    EXPECT_EQ(std::vector<int>({title.x, title.y}),
              std::vector<int>({lines.left + (lines.right - lines.left - 7 * 16) / 2, lines.top}));
    EXPECT_EQ(drawn("05/03/2026  09:07").x, lines.right - 17 * 8);
    ASSERT_EQ(page.rules.size(), 1u);
    EXPECT_GT(page.rules[0][3], drawn("05/03/2026  09:07").y);
    for (const char* underlined : {"NT Servers in your Domain:", "Monitored Services:", "Settings:"}) {
        EXPECT_TRUE(drawn(underlined).font.underline) << underlined;
        EXPECT_EQ(drawn(underlined).font.points, 10) << underlined;
    }
    EXPECT_TRUE(drawn(ServiceTableLine("Machine", "Service Description", "Service real name")).font.underline);
    const auto row = drawn(ServiceTableLine("\\\\ALPHA", "Print Spooler", "Spooler"));
    EXPECT_FALSE(row.font.underline);
    EXPECT_EQ(row.font.points, 8);
    const auto footer = drawn("Page 1 of 1");
    EXPECT_TRUE(footer.font.italic);
    EXPECT_EQ(footer.font.points, 6);
    EXPECT_EQ(std::vector<int>({footer.x, footer.y}), std::vector<int>({lines.right - 11 * 6, lines.bottom}));
}

TEST_F(Report, TwoPagesHeaderOnTheFirstFooterOnTheLast) {
    host.rows.assign(45, "\\\\ALPHA\tSome Service\tNo\tNo");
    const test::Drawn& pages = Print();
    ASSERT_EQ(pages.pages, 2);
    const std::vector<std::string> first = pages.TextsOnPage(1), second = pages.TextsOnPage(2);
    EXPECT_EQ(first.front(), "Vigilor");
    EXPECT_EQ(std::count(second.begin(), second.end(), "Vigilor"), 0);
    EXPECT_EQ(std::count(first.begin(), first.end(), "Produced by ROOT"), 0);
    EXPECT_EQ(second.back(), "Page 2 of 2");
    EXPECT_EQ(pages.rules.at(0).at(0), 1);
}

TEST_F(Report, EachCopyIsAWholeReportUnderTheHourglassAndCancelPrintsNone) {
    system.copies = 2;
    FilePrintCmdExecute(host, system);
    ASSERT_EQ(system.printed.size(), 2u);
    for (const test::Drawn& copy : system.printed) EXPECT_EQ(copy.TextsOnPage(1).back(), "Page 1 of 1");
    const std::vector<std::string> one{"hourglass", "Printing ...", "Done.", "cursor back"};
    std::vector<std::string> both = one;
    both.insert(both.end(), one.begin(), one.end());
    EXPECT_EQ(host.events, both);
    EXPECT_EQ(host.cursor, ScreenCursor::Other);

    system.copies = std::nullopt;
    FilePrintCmdExecute(host, system);
    EXPECT_EQ(system.printed.size(), 2u);
    EXPECT_EQ(host.events.size(), both.size());
}

}  // namespace
}  // namespace vigilor
