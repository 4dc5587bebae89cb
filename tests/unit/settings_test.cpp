#include <gtest/gtest.h>

#include "config/settings.h"
#include "platform/app_error.h"
#include "platform/text.h"
#include "tests/support/memory_store.h"

namespace vigilor {
namespace {

class FakeHost : public SettingsHost {
public:
    std::string LocalComputerName() override { return "WORKSTATION7"; }
    std::string CurrentUserName() override { return "operator"; }
    bool DirectoryExists(const std::string& path) override {
        askedDirectories.push_back(path);
        return existingDirectory == path;
    }
    bool Attended() override { return attended; }
    void ShowError(const std::string& text) override { errors.push_back(text); }
    void ReportUnattended(const std::string& text) override { reports.push_back(text); }

    std::string existingDirectory;
    bool attended = true;
    std::vector<std::string> askedDirectories;
    std::vector<std::string> errors;
    std::vector<std::string> reports;
};

class SettingsTest : public ::testing::Test {
protected:
    ProgramSettings Load() {
        ProgramSettings settings;
        SettingsStore typed(store);
        LoadSettings(typed, host, settings, list);
        return settings;
    }
    void Save(const ProgramSettings& settings) {
        SettingsStore typed(store);
        SaveSettings(typed, settings, list);
    }
    void PutRow(int n, const std::string& server, const std::string& service, const std::string& autoFlag = "No",
                const std::string& email = "No") {
        store.values["MacMonitor" + std::to_string(n)] = server;
        store.values["SvcMonitor" + std::to_string(n)] = service;
        store.values["Autorestart" + std::to_string(n)] = autoFlag;
        store.values["EMail" + std::to_string(n)] = email;
    }

    test::MemoryStore store;
    FakeHost host;
    MonitoredList list;
};

TEST_F(SettingsTest, EmptyStoreGivesEveryDefault) {
    const ProgramSettings s = Load();
    EXPECT_EQ(s.selectedComputer, "\\\\WORKSTATION7");
    EXPECT_TRUE(s.hasComputer);
    EXPECT_EQ(s.scanInterval, 1);
    EXPECT_EQ(list.Count(), 0u);
    EXPECT_EQ(s.columnWidths, (std::array<int, 4>{86, 152, 38, 38}));
    EXPECT_TRUE(s.notifyByMail);
    EXPECT_TRUE(s.screenNotify);
    EXPECT_EQ(s.notifyLogin, "operator");
    EXPECT_FALSE(s.launchAppActive);
    EXPECT_TRUE(s.execAndWait);
    EXPECT_EQ(s.launchApp, "");
    EXPECT_FALSE(s.htmlOutputEnabled);
    EXPECT_EQ(s.htmlOutput, "");
    EXPECT_FALSE(s.metricsOutputEnabled);
    EXPECT_EQ(s.metricsOutput, "");
    EXPECT_TRUE(host.errors.empty());
    EXPECT_TRUE(host.askedDirectories.empty());
    EXPECT_EQ(store.writes, 0) << "loading an empty key writes nothing";
}

TEST_F(SettingsTest, SlotsWithGapsAndBlankServersAreSkippedNotEnded) {
    PutRow(0, "\\\\ALPHA", "Spooler");
    PutRow(2, "\\\\BETA", "Event Log", "YES", "yes");
    PutRow(3, "   ", "Filled service of a blank server");
    PutRow(99, "\\\\OMEGA", "Last slot");
    Load();
    ASSERT_EQ(list.Count(), 3u);
    EXPECT_EQ(list.Rows()[0], "\\\\ALPHA\tSpooler\tNo\tNo");
    EXPECT_EQ(list.Rows()[1], "\\\\BETA\tEvent Log\tYES\tyes");
    EXPECT_EQ(list.Rows()[2], "\\\\OMEGA\tLast slot\tNo\tNo");
}

TEST_F(SettingsTest, RowsAreKeptAsReadUntrimmedAndMissingFlagsReadNo) {
    store.values["MacMonitor0"] = " \\\\GAMMA ";
    store.values["SvcMonitor0"] = " Messenger";
    Load();
    ASSERT_EQ(list.Count(), 1u);
    EXPECT_EQ(list.Rows()[0], " \\\\GAMMA \t Messenger\tNo\tNo");
}

TEST_F(SettingsTest, EmailFlagWrittenAsEMailIsReadAsEmail) {
    list.AppendUnsorted("\\\\A\tSvc\tNo\tYes");
    Save(ProgramSettings{});
    // The name's case as written is kept by the store, and read back folded.
    EXPECT_EQ(store.values.find("EMail0")->first, "EMail0");
    EXPECT_FALSE(store.values.count("Email1"));
    list.Clear();
    Load();
    ASSERT_EQ(list.Count(), 1u);
    EXPECT_EQ(list.At(0).email, "Yes");
}

TEST_F(SettingsTest, EveryStoredRowIsReadBackUpToTheLimit) {
    for (int i = 0; i < 10001; ++i) {
        char server[16];
        std::snprintf(server, sizeof server, "\\\\M%05d", i);
        list.AppendUnsorted(std::string(server) + "\tSvc\tNo\tNo");
    }
    Save(ProgramSettings{});
    EXPECT_EQ(store.values["MacMonitor10000"], "\\\\M10000");
    Load();
    ASSERT_EQ(list.Count(), 10000u);
    EXPECT_EQ(list.At(100).server, "\\\\M00100");
    EXPECT_EQ(list.At(9999).server, "\\\\M09999");
}

TEST_F(SettingsTest, SaveRewritesRowsThenRemovesOnlySlotsAboveTheLastRow) {
    PutRow(0, "\\\\A", "one");
    PutRow(1, "\\\\B", "two");
    PutRow(2, "\\\\C", "three");
    PutRow(57, "\\\\Z", "far slot");
    Load();
    list.Remove(1);
    Save(ProgramSettings{});
    EXPECT_EQ(store.values["MacMonitor0"], "\\\\A");
    EXPECT_EQ(store.values["MacMonitor1"], "\\\\C");
    EXPECT_EQ(store.values["SvcMonitor1"], "three");
    EXPECT_EQ(store.values["MacMonitor2"], "\\\\Z");
    for (const char* name : {"MacMonitor3", "SvcMonitor3", "Autorestart3", "EMail3", "MacMonitor57"})
        EXPECT_FALSE(store.Has(name)) << name;
}

// A store whose writes start failing after a number of them: a failed save
// must leave the previously stored rows in place.
class FailingStore : public test::MemoryStore {
public:
    void Write(const std::string& name, const std::string& value) override {
        if (failAfter-- <= 0) throw AppError("Failed to set data for '" + name + "'");
        MemoryStore::Write(name, value);
    }
    int failAfter = 1000;
};

TEST(SettingsSaveFailure, AFailedWriteLosesNoStoredRow) {
    FailingStore store;
    for (int i = 0; i < 5; ++i) {
        store.values["MacMonitor" + std::to_string(i)] = "\\\\HOST" + std::to_string(i);
        store.values["SvcMonitor" + std::to_string(i)] = "Svc";
    }
    MonitoredList list;
    list.AppendUnsorted("\\\\NEW\tSvc\tNo\tNo");
    store.failAfter = 2;  // ComputerName and the first value of row 0
    SettingsStore typed(store);
    EXPECT_THROW(SaveSettings(typed, ProgramSettings{}, list), AppError);
    for (int i = 1; i < 5; ++i) EXPECT_TRUE(store.Has("MacMonitor" + std::to_string(i)));
}

// A store that breaks off (as at a crash) at its n-th change.
class CrashingStore : public test::MemoryStore {
public:
    void Write(const std::string& name, const std::string& value) override {
        Change();
        MemoryStore::Write(name, value);
    }
    void Remove(const std::string& name) override {
        Change();
        MemoryStore::Remove(name);
    }
    int crashAt = -1;
    int changes = 0;

private:
    void Change() {
        if (changes++ == crashAt) throw AppError("crash");
    }
};

TEST(SettingsSaveFailure, ASaveCutShortAnywhereLeavesTheOldListOrTheNew) {
    std::vector<std::string> oldRows, newRows;
    for (int i = 0; i < 6; ++i)
        oldRows.push_back("\\\\OLD" + std::to_string(i) + "\tSvc" + std::to_string(i) + "\tNo\tYes");
    newRows = oldRows;
    newRows.erase(newRows.begin() + 1);  // a Remove shifts the rows after it
    newRows.push_back("\\\\ZNEW\tAdded\tYes\tNo");  // sorts last, as the load sorts
    FakeHost host;
    ProgramSettings settings;
    int total = 0;
    for (int crashAt = 0;; ++crashAt) {
        CrashingStore store;
        SettingsStore typed(store);
        MonitoredList list;
        for (const auto& row : oldRows) list.AppendUnsorted(row);
        SaveSettings(typed, settings, list);
        list.Clear();
        for (const auto& row : newRows) list.AppendUnsorted(row);
        store.changes = 0;
        store.crashAt = crashAt;
        bool crashed = false;
        try {
            SaveSettings(typed, settings, list);
        } catch (const AppError&) {
            crashed = true;
        }
        store.crashAt = -1;
        MonitoredList loaded;
        LoadSettings(typed, host, settings, loaded);
        EXPECT_TRUE(loaded.Rows() == oldRows || loaded.Rows() == newRows) << "cut at change " << crashAt;
        EXPECT_FALSE(store.Has("MonitorListJournal"));
        if (!crashed) break;
        ++total;
    }
    EXPECT_GT(total, 30) << "every change of the save was a place to cut";
}

TEST(SettingsSaveFailure, AJournalThatCannotBeReadLeavesTheRows) {
    test::MemoryStore store;
    store.values["MacMonitor0"] = "\\KEPT";
    for (const char* journal : {"rows-v1 2:1:a", "nonsense", "rows-v1 99999999999:", "rows-v1 1:3:abc3:def2:No2:No!"}) {
        store.values["MonitorListJournal"] = journal;
        SettingsStore typed(store);
        FakeHost host;
        ProgramSettings settings;
        MonitoredList list;
        LoadSettings(typed, host, settings, list);
        ASSERT_EQ(list.Count(), 1u) << journal;
        EXPECT_EQ(list.At(0).server, "\\KEPT");
        EXPECT_FALSE(store.Has("MonitorListJournal"));
    }
}

TEST_F(SettingsTest, SavedValuesAndTheirTextForms) {
    ProgramSettings s;
    s.selectedComputer = "\\\\SERVER1";
    s.columnWidths = {10, 20, 30, 40};
    s.notifyByMail = false;
    s.screenNotify = true;
    s.notifyLogin = "admin";
    s.scanInterval = 25;
    Save(s);
    EXPECT_EQ(store.values["ComputerName"], "\\\\SERVER1");
    EXPECT_EQ(store.values["colWidth3"], "40");
    EXPECT_EQ(store.values["NotifybyMail"], "0");
    EXPECT_EQ(store.values["ScreenNotify"], "1");
    EXPECT_EQ(store.values["NotifyLogin"], "admin");
    EXPECT_EQ(store.values["ScanInterval"], "25");
    EXPECT_FALSE(store.Has("EMailSMTPHost")) << "SMTP values are the settings dialog's to write";
    const ProgramSettings back = Load();
    EXPECT_EQ(back.columnWidths[3], 40);
    EXPECT_EQ(back.scanInterval, 25);
    EXPECT_FALSE(back.notifyByMail);
}

TEST_F(SettingsTest, OddNumbersFallBackToDefaults) {
    store.values["ScanInterval"] = "abc";
    store.values["colWidth0"] = "";
    store.values["colWidth1"] = "99999999999999999999";
    store.values["colWidth2"] = "-5";
    store.values["NotifybyMail"] = "yes";  // not a number: default true
    store.values["LaunchAppActive"] = "7";  // any non-zero number is true
    store.values["ExecAndWait"] = " 0";
    ProgramSettings s = Load();
    EXPECT_EQ(s.scanInterval, 1);
    EXPECT_EQ(s.columnWidths, (std::array<int, 4>{86, 152, 38, 38}));
    EXPECT_TRUE(s.notifyByMail);
    EXPECT_TRUE(s.launchAppActive);
    EXPECT_FALSE(s.execAndWait);

    for (const char* outOfRange : {"0", "61", "-1"}) {
        store.values["ScanInterval"] = outOfRange;
        EXPECT_EQ(Load().scanInterval, 1) << outOfRange;
    }
    store.values["ScanInterval"] = "60";
    EXPECT_EQ(Load().scanInterval, 60);
}

TEST_F(SettingsTest, RestartAlertSettingsTheirDefaultsRangesAndSave) {
    const struct {
        const char* count;
        const char* window;
        int loadedCount;
        int loadedWindow;
    } cases[] = {
        {nullptr, nullptr, 3, 60}, {"0", "1", 0, 1},   {"99", "1440", 99, 1440},
        {"100", "1441", 3, 60},    {"-1", "0", 3, 60}, {"many", "", 3, 60},
    };
    for (const auto& c : cases) {
        store.values.erase("RestartAlertCount");
        store.values.erase("RestartAlertWindow");
        if (c.count) store.values["RestartAlertCount"] = c.count;
        if (c.window) store.values["RestartAlertWindow"] = c.window;
        const ProgramSettings s = Load();
        EXPECT_EQ(s.restartAlertCount, c.loadedCount) << (c.count ? c.count : "missing");
        EXPECT_EQ(s.restartAlertWindow, c.loadedWindow) << (c.window ? c.window : "missing");
    }
    ProgramSettings s;
    s.restartAlertCount = 5;
    s.restartAlertWindow = 30;
    Save(s);
    EXPECT_EQ(store.values["RestartAlertCount"], "5");
    EXPECT_EQ(store.values["RestartAlertWindow"], "30");
    EXPECT_EQ(Load().restartAlertWindow, 30);
}

TEST_F(SettingsTest, ValueOfNonTextTypeReadsAsMissing) {
    store.binary["ScanInterval"] = true;
    store.binary["ComputerName"] = true;
    store.binary["MacMonitor0"] = true;
    store.values["SvcMonitor0"] = "Orphan";
    const ProgramSettings s = Load();
    EXPECT_EQ(s.scanInterval, 1);
    EXPECT_EQ(s.selectedComputer, "\\\\WORKSTATION7");
    EXPECT_EQ(list.Count(), 0u);
}

TEST_F(SettingsTest, EmailToIsTrimmed) {
    store.values["EMailTo"] = "  ops@example.com \t";
    EXPECT_EQ(Load().emailTo, "ops@example.com");
}

TEST_F(SettingsTest, HtmlOutputWithMissingFolderIsSwitchedOff) {
    store.values["HTMLOutputEnabled"] = "1";
    store.values["HTMLOutput"] = "C:\\web\\status.html";
    const ProgramSettings s = Load();
    ASSERT_EQ(host.errors.size(), 1u);
    EXPECT_EQ(host.errors[0], "HTML output directory does not exist (C:\\web\\)\r\n\r\nDisabling HTML output.");
    EXPECT_FALSE(s.htmlOutputEnabled);
    EXPECT_EQ(s.htmlOutput, "");
    EXPECT_EQ(store.values["HTMLOutput"], "");
    EXPECT_EQ(store.values["HTMLOutputEnabled"], "0");
}

TEST_F(SettingsTest, UnattendedAMissingHtmlFolderIsReportedAndTheOutputStaysOn) {
    store.values["HTMLOutputEnabled"] = "1";
    store.values["HTMLOutput"] = "C:\\web\\status.html";
    host.attended = false;
    const ProgramSettings s = Load();
    EXPECT_TRUE(host.errors.empty()) << "no box";
    EXPECT_EQ(host.reports, std::vector<std::string>{"HTML output directory does not exist (C:\\web\\)"});
    EXPECT_TRUE(s.htmlOutputEnabled);
    EXPECT_EQ(s.htmlOutput, "C:\\web\\status.html");
    EXPECT_EQ(store.writes, 0) << "the stored path stays";
}

TEST_F(SettingsTest, HtmlOutputEnabledWithEmptyPathShowsEmptyParentheses) {
    store.values["HTMLOutputEnabled"] = "1";
    Load();
    ASSERT_EQ(host.errors.size(), 1u);
    EXPECT_EQ(host.errors[0].substr(0, 39), "HTML output directory does not exist ()");
}

TEST_F(SettingsTest, HtmlOutputWithExistingFolderStaysOn) {
    store.values["HTMLOutputEnabled"] = "1";
    store.values["HTMLOutput"] = "D:status.html";
    store.values["MetricsOutputEnabled"] = "1";
    store.values["MetricsOutput"] = "E:\\gone\\vigilor.prom";  // a missing folder is the write's to report
    host.existingDirectory = "D:";
    const ProgramSettings s = Load();
    EXPECT_TRUE(host.errors.empty());
    EXPECT_TRUE(s.htmlOutputEnabled);
    EXPECT_EQ(s.htmlOutput, "D:status.html");
    EXPECT_TRUE(s.metricsOutputEnabled);
    EXPECT_EQ(s.metricsOutput, "E:\\gone\\vigilor.prom");
}

TEST_F(SettingsTest, AReloadReadsTheSettingsButNotTheColumnWidths) {
    store.values["colWidth0"] = "200";
    store.values["ScanInterval"] = "7";
    ProgramSettings s;
    s.columnWidths = {10, 20, 30, 40};
    SettingsStore typed(store);
    ReloadSettings(typed, host, s);
    EXPECT_EQ(s.columnWidths, (std::array<int, 4>{10, 20, 30, 40}));
    EXPECT_EQ(s.scanInterval, 7);
}

TEST_F(SettingsTest, LoadReplacesTheWholeList) {
    list.AppendUnsorted("\\\\OLD\tRemoved since\tNo\tNo");
    PutRow(0, "\\\\B", "b");
    PutRow(1, "\\\\A", "a");
    Load();
    ASSERT_EQ(list.Count(), 2u);
    EXPECT_EQ(list.At(0).server, "\\\\A") << "sorted by Server after a load";
}

TEST(DirectoryPart, UpToTheLastBackslashOrColon) {
    EXPECT_EQ(DirectoryPart("C:\\web\\out\\page.html"), "C:\\web\\out\\");
    EXPECT_EQ(DirectoryPart("C:page.html"), "C:");
    EXPECT_EQ(DirectoryPart("page.html"), "");
    EXPECT_EQ(DirectoryPart(""), "");
}

TEST(ScramblePassword, ComplementsEachCodeAndIsItsOwnInverse) {
    EXPECT_EQ(ScramblePassword("A"), "\xC2\xBE");  // 65 -> 190
    const std::string password = "s3cr\xC3\xA9t ~";
    EXPECT_EQ(ScramblePassword(ScramblePassword(password)), password);
    EXPECT_EQ(ScramblePassword(std::string("\0", 1)), "\xC3\xBF");  // 0 -> 255
}

TEST(ScramblePassword, Code255BecomesNulAndTheStoredTextEndsThere) {
    const std::string scrambled = ScramblePassword("ab\xC3\xBF" "cd");  // 'a', 'b', code 255, 'c', 'd'
    ASSERT_EQ(ToUtf16(scrambled).size(), 5u);
    EXPECT_EQ(ToUtf16(scrambled)[2], u'\0');
    test::MemoryStore store;
    SettingsStore typed(store);
    typed.WriteString("EMailSMTPPwd", scrambled);
    EXPECT_EQ(ScramblePassword(typed.ReadString("EMailSMTPPwd", "")), "ab");
}

TEST(ParseDecimal, AcceptsSignedDecimalsOnly) {
    EXPECT_EQ(ParseDecimal("25"), 25);
    EXPECT_EQ(ParseDecimal("  -7"), -7);
    EXPECT_EQ(ParseDecimal("+3"), 3);
    EXPECT_EQ(ParseDecimal("2147483647"), 2147483647);
    EXPECT_EQ(ParseDecimal("-2147483648"), -2147483647 - 1);
    for (const char* bad : {"", " ", "-", "12a", "1 ", "0x10", "2147483648", "1e3", "١"})
        EXPECT_EQ(ParseDecimal(bad), std::nullopt) << bad;
}

}  // namespace
}  // namespace vigilor
