#include <gtest/gtest.h>

#include <map>
#include <set>
#include <stdexcept>

#include "monitor/check_pass.h"
#include "monitor/metrics_output.h"
#include "platform/app_error.h"
#include "services/service_session.h"
#include "tests/support/test_alert_host.h"
#include "tests/unit/fake_service_platform.h"
#include "tests/unit/metrics_parser.h"

namespace vigilor {
namespace {

// A network of computers and services in memory that records, in order,
// everything the pass shows, reports and sends.
class FakePassHost : public CheckPassHost {
public:
    struct Service {
        std::string key;
        int state = 4;  // 1 stopped, 4 running, 7 paused
        bool startWorks = false;
    };
    std::map<std::string, bool> alive;                          // machine -> answers
    std::map<std::pair<std::string, std::string>, Service> net;  // (machine, display name)
    ProgramSettings settings;
    std::vector<std::string> events;
    std::vector<std::string> memo;
    std::vector<std::string> page;
    std::string pagePath;
    int stateQueries = 0;
    int releases = 0;
    bool livenessRaises = false;
    bool abandonAtLiveness = false;  // whoever runs the pass gives it up there
    std::map<std::pair<std::string, std::string>, std::string> unreadable;  // (machine, display) -> error text
    RowMemory memory;
    PassRecord record;
    std::optional<std::vector<std::string>> listNow;  // the list as the user has left it, when changed
    std::set<std::string> alerted;
    std::int64_t seconds = 0;

    FakePassHost() {
        settings.selectedComputer = "\\\\HOME";
        settings.notifyByMail = false;
        settings.screenNotify = false;
    }
    void Add(const std::string& machine, const std::string& display, int state, bool startWorks = false) {
        alive.emplace(machine, true);
        net[{machine, display}] = {"key_" + display, state, startWorks};
    }
    Service* Find(const std::string& machine, const std::string& key) {
        for (auto& [where, service] : net)
            if (where.first == machine && service.key == key) return &service;
        return nullptr;
    }

    const ProgramSettings& Settings() override { return settings; }
    std::string ServiceKeyName(const std::string& machine, const std::string& display) override {
        auto it = net.find({machine, display});
        return it == net.end() ? "" : it->second.key;
    }
    bool ServiceIsRunning(const std::string& machine, const std::string& key) override {
        ++stateQueries;
        const Service* s = Find(machine, key);
        return s && s->state == 4;
    }
    bool ServiceIsStopped(const std::string& machine, const std::string& key) override {
        ++stateQueries;
        const Service* s = Find(machine, key);
        return s && s->state == 1;
    }
    bool ServiceStartAndWait(const std::string& machine, const std::string& key) override {
        events.push_back("start " + key);
        Service* s = Find(machine, key);
        if (!s || !s->startWorks) return false;
        s->state = 4;
        return true;
    }
    ServiceReading ReadService(const std::string& machine, const std::string& display) override {
        if (auto error = unreadable.find({machine, display}); error != unreadable.end())
            return {ServiceReading::Kind::Unreadable, 0, error->second};
        auto it = net.find({machine, display});
        if (it == net.end()) return {ServiceReading::Kind::NotInstalled, 0, ""};
        return {ServiceReading::Kind::State, it->second.state, ""};
    }
    void ServiceQueriesDone() override {}
    void ReleasePassResources() override { ++releases; }
    bool IsMachineAlive(const std::string& machine) override {
        if (abandonAtLiveness) throw PassAbandoned{};
        if (livenessRaises) throw AppError("Unable to get ping handle");
        return alive[machine];
    }
    void ClearFailureReports() override {
        memo.clear();
        events.push_back("memo cleared");
    }
    void AppendFailureReport(const std::string& message) override {
        memo.push_back(message);
        events.push_back("report " + message);
    }
    void ShowStatus(const std::string& text) override { events.push_back("status " + text); }
    void ShowAlarm() override { events.push_back("red"); }
    void ShowAllClear() override { events.push_back("blue"); }
    void ShowProgress(int rows) override { events.push_back("progress 0.." + std::to_string(rows - 1)); }
    void SetProgress(int row) override { events.push_back("row " + std::to_string(row)); }
    void HideProgress() override { events.push_back("progress hidden"); }
    void SetCursor(ScreenCursor cursor) override {
        events.push_back(cursor == ScreenCursor::Hourglass ? "hourglass" : "arrow");
    }
    void ReloadAllServices() override { events.push_back("reload"); }
    void SendFailureAlert(const std::string& machine, const std::string& service) override {
        events.push_back("alert " + machine + "@" + service);
    }
    void SendRestartNotice(const std::string& machine, const std::string& service) override {
        events.push_back("notice " + machine + "@" + service);
    }
    void SendScreenMessage(const std::string& message, const std::string& recipient) override {
        events.push_back("screen " + recipient + ": " + message);
    }
    void SendAlert(const AlertMessage& alert) override {
        // The event identifier of an entry of its own, before its text.
        const auto id = static_cast<std::uint32_t>(alert.entry.id);
        events.push_back("alert " + alert.key + " (" + alert.subject + ") " +
                         (id ? "#" + std::to_string(id) + " " : "") + alert.entry.text);
    }
    void WithdrawAlert(const std::string& key) override { events.push_back("withdraw " + key); }
    std::optional<MonitoredService> CurrentRow(const MonitoredService& row) override {
        if (!listNow) return row;
        for (const std::string& listed : *listNow) {
            const MonitoredService now = MonitoredService::FromRow(listed);
            if (now.server == row.server && now.service == row.service) return now;
        }
        return std::nullopt;
    }
    bool Alerted(const std::string& key) override { return alerted.count(key) != 0; }
    void ReportRowError(const std::string& text) override { events.push_back("error " + text); }
    RowMemory& Memory() override { return memory; }
    PassRecord& Record() override { return record; }
    std::int64_t MonotonicSeconds() override { return seconds; }
    LocalTime Now() override { return {2026, 12, 8, 9, 5, 0, 2}; }
    void WriteStatusPage(const std::string& path, const std::vector<std::string>& lines) override {
        pagePath = path;
        page = lines;
        events.push_back("page");
    }

    // The events that name one of the words, in order.
    std::vector<std::string> Only(std::initializer_list<const char*> prefixes) const {
        std::vector<std::string> kept;
        for (const auto& e : events)
            for (const char* p : prefixes)
                if (e.rfind(p, 0) == 0) {
                    kept.push_back(e);
                    break;
                }
        return kept;
    }
    // The status cells of the page: line 7 of every nine-line block.
    std::vector<std::string> PageStatuses() const {
        std::vector<std::string> cells;
        for (size_t at = 13 + 6; at + 3 < page.size(); at += 9) cells.push_back(page[at]);
        return cells;
    }
};

std::string Row(const std::string& machine, const std::string& service, const std::string& autoRestart = "No",
                const std::string& email = "No") {
    return machine + "\t" + service + "\t" + autoRestart + "\t" + email;
}

std::string Cell(const std::string& status) { return status + "</font></td>"; }

TEST(CheckPass, OneStoppedRowWithoutRestartInItsOrder) {
    FakePassHost host;
    host.Add("\\\\A", "Spooler", 1);
    RunCheckPass(host, {Row("\\\\A", "Spooler")});
    EXPECT_EQ(host.events, (std::vector<std::string>{
                               "memo cleared", "progress 0..0", "row 0", "status Checking Spooler on \\\\A",
                               "report \"Spooler\" on \\\\A is stopped", "alert \\\\A@Spooler", "red",
                               "progress hidden", "status "}));
    EXPECT_EQ(host.releases, 1);
}

TEST(CheckPass, EveryRowOfAPassIsReportedEveryPass) {
    // Alerts are sent every pass; that they reach people once until Reset is
    // the alerts' own rule.
    FakePassHost host;
    host.Add("\\\\A", "Gone", 1);
    for (int pass = 0; pass < 2; ++pass) {
        RunCheckPass(host, {Row("\\\\A", "Gone")});
        EXPECT_EQ(host.memo, std::vector<std::string>{"\"Gone\" on \\\\A is stopped"}) << "memo of this pass only";
        EXPECT_EQ(host.Only({"alert"}), std::vector<std::string>{"alert \\\\A@Gone"});
        host.events.clear();
    }
}

TEST(CheckPass, AComputerThatDoesNotAnswerEndsThePassAndWritesNoPage) {
    FakePassHost host;
    host.settings.htmlOutputEnabled = true;
    host.settings.htmlOutput = "C:\\www\\status.htm";
    host.Add("\\\\A", "Up", 4);
    host.Add("\\\\DEAD", "Whatever", 1);
    host.alive["\\\\DEAD"] = false;
    host.Add("\\\\C", "Later", 1);
    RunCheckPass(host, {Row("\\\\A", "Up"), Row("\\\\DEAD", "Whatever"), Row("\\\\C", "Later")});
    EXPECT_EQ(host.memo, std::vector<std::string>{"The computer \\\\DEAD is no longer responding !"});
    EXPECT_EQ(host.Only({"red", "blue", "alert", "progress hidden", "page"}),
              (std::vector<std::string>{"blue", "red", "alert \\\\DEAD@IsNotAlive", "progress hidden"}));
    EXPECT_EQ(host.stateQueries, 2) << "the row after the dead computer is not checked";
    EXPECT_EQ(host.events.back(), "status ");
    EXPECT_TRUE(host.page.empty());
}

TEST(CheckPass, AutomaticRestartOutcomes) {
    struct Case {
        const char* name;
        bool startWorks;
        const char* email;
        std::vector<std::string> memo;
        std::vector<std::string> sent;
        const char* status;
        const char* display;
    } cases[] = {
        {"restart works, no notice", true, "No", {"Auto-restart of \"Svc\" on \\\\A was successful"}, {}, "RESTARTED",
         "blue"},
        {"restart works, notice", true, "yes",
         {"Auto-restart of \"Svc\" on \\\\A was successful"}, {"notice \\\\A@Svc"}, "RESTARTED", "blue"},
        {"restart fails", false, "Yes",
         {"Cannot restart \"Svc\" on \\\\A", "\"Svc\" on \\\\A is stopped"}, {"alert \\\\A@Svc"}, "STOPPED", "red"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FakePassHost host;
        host.settings.htmlOutputEnabled = true;
        host.settings.htmlOutput = "page.htm";
        host.Add("\\\\A", "Svc", 1, c.startWorks);
        RunCheckPass(host, {Row("\\\\A", "Svc", "YES", c.email)});
        EXPECT_EQ(host.memo, c.memo);
        EXPECT_EQ(host.Only({"alert", "notice"}), c.sent);
        EXPECT_EQ(host.Only({"red", "blue"}), std::vector<std::string>{c.display});
        EXPECT_EQ(host.Only({"start", "hourglass", "arrow"}),
                  (std::vector<std::string>{"hourglass", "start key_Svc", "arrow"}));
        EXPECT_EQ(host.PageStatuses(), std::vector<std::string>{Cell(c.status)});
    }
}

TEST(CheckPass, ARestartRowAfterwardsAndTheSelectedComputer) {
    FakePassHost host;
    host.Add("\\\\HOME", "Mine", 1, true);
    host.Add("\\\\home", "Other", 1, true);
    host.Add("\\\\HOME", "Later", 1);
    RunCheckPass(host, {Row("\\\\HOME", "Mine", "yes"), Row("\\\\home", "Other", "Yes"), Row("\\\\HOME", "Later")});
    EXPECT_EQ(host.Only({"reload"}), std::vector<std::string>{"reload"}) << "only the exact selected computer";
    EXPECT_EQ(host.memo.back(), "\"Later\" on \\\\HOME is stopped") << "a row after a restart is still checked";
    EXPECT_EQ(host.Only({"red", "blue"}), (std::vector<std::string>{"blue", "blue", "red"}));
}

TEST(CheckPass, RestartLinesGoToTheScreenOnlyWithMailAndScreenOn) {
    for (const bool mail : {false, true})
        for (const bool screen : {false, true}) {
            FakePassHost host;
            host.settings.notifyByMail = mail;
            host.settings.screenNotify = screen;
            host.settings.notifyLogin = "admin";
            host.Add("\\\\A", "Svc", 1, true);
            host.Add("\\\\A", "Bad", 1, false);
            RunCheckPass(host, {Row("\\\\A", "Svc", "Yes"), Row("\\\\A", "Bad", "Yes")});
            const std::vector<std::string> expected =
                mail && screen ? std::vector<std::string>{"screen admin: Auto-restart of \"Svc\" on \\\\A was successful",
                                                          "screen admin: Cannot restart \"Bad\" on \\\\A"}
                               : std::vector<std::string>{};
            EXPECT_EQ(host.Only({"screen"}), expected) << mail << screen;
        }
}

TEST(CheckPass, APausedStateOnOnePassIsNotReported) {
    FakePassHost host;
    host.settings.htmlOutputEnabled = true;
    host.settings.htmlOutput = "page.htm";
    host.Add("\\\\A", "Paused", 7);
    host.Add("\\\\A", "Running", 4);
    RunCheckPass(host, {Row("\\\\A", "Paused"), Row("\\\\A", "Running")});
    EXPECT_TRUE(host.memo.empty());
    EXPECT_TRUE(host.Only({"alert", "start", "red"}).empty());
    EXPECT_EQ(host.PageStatuses(), (std::vector<std::string>{Cell(""), Cell("RUNNING")}));
    EXPECT_EQ(host.stateQueries, 4) << "both state queries for every row, also after a running answer";
}

TEST(CheckPass, EveryServiceWithoutARunningOrStoppedStateSaysWhatWasFound) {
    struct Case {
        const char* name;
        int passes;  // the last one is looked at
        std::vector<std::string> memo;
        const char* status;
        std::vector<std::string> alerts;  // of the last pass
        const char* display;
    } cases[] = {
        {"not installed", 1, {"\"Svc\" on \\\\A is not installed"}, "NOT FOUND",
         {"alert \\\\A@Svc@NotFound (NT Service Not Found!) #100 \"Svc\" on \\\\A is not installed"}, "red"},
        {"unreadable", 1, {"Cannot read the state of \"Svc\" on \\\\A: 5: Access is denied."}, "UNKNOWN",
         {"alert \\\\A@Svc@Unknown (NT Service State Unknown!) #101 Cannot read the state of \"Svc\" on \\\\A: 5: "
          "Access is denied."},
         "red"},
        {"stop pending, second pass", 2, {}, "", {}, "blue"},
        {"stop pending, third pass", 3, {"\"Svc\" on \\\\A has been stop pending for 3 passes"}, "STOP PENDING",
         {"alert \\\\A@Svc@Hung (NT Service Hung!) #102 \"Svc\" on \\\\A has been stop pending for 3 passes"}, "red"},
        {"paused, fourth pass", 4, {"\"Svc\" on \\\\A has been paused for 4 passes"}, "PAUSED",
         {"alert \\\\A@Svc@Hung (NT Service Hung!) #102 \"Svc\" on \\\\A has been paused for 4 passes"}, "red"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FakePassHost host;
        host.settings.htmlOutputEnabled = true;
        host.settings.htmlOutput = "page.htm";
        host.alive["\\\\A"] = true;
        if (std::string(c.name) == "unreadable") host.unreadable[{"\\\\A", "Svc"}] = "5: Access is denied.";
        if (std::string(c.name).find("stop pending") == 0) host.Add("\\\\A", "Svc", 3);
        if (std::string(c.name).find("paused") == 0) host.Add("\\\\A", "Svc", 7);
        for (int pass = 0; pass < c.passes; ++pass) {
            host.events.clear();
            RunCheckPass(host, {Row("\\\\A", "Svc", "Yes")});
        }
        EXPECT_EQ(host.memo, c.memo);
        EXPECT_EQ(host.PageStatuses(), std::vector<std::string>{Cell(c.status)});
        EXPECT_EQ(host.Only({"alert"}), c.alerts);
        EXPECT_EQ(host.Only({"red", "blue"}), std::vector<std::string>{c.display});
        EXPECT_TRUE(host.Only({"start"}).empty()) << "only a stopped service is restarted";
    }
}

TEST(CheckPass, ANameLongerThanAnyManagerHoldsIsCutInTheReport) {
    FakePassHost host;
    host.alive["\\\\A"] = true;
    const std::string longest(256, 'S');
    RunCheckPass(host, {Row("\\\\A", longest), Row("\\\\A", longest + "\xC3\xBC")});
    EXPECT_EQ(host.memo, (std::vector<std::string>{"\"" + longest + "\" on \\\\A is not installed",
                                                   "\"" + longest + "...\" on \\\\A is not installed"}));
}

TEST(CheckPass, AChangeOfStateStartsTheHungCountAgain) {
    FakePassHost host;
    host.Add("\\\\A", "Svc", 3);
    const int states[] = {3, 3, 4, 3, 3, 7, 7, 3};
    for (int state : states) {
        host.net[{"\\\\A", "Svc"}].state = state;
        RunCheckPass(host, {Row("\\\\A", "Svc")});
        EXPECT_TRUE(host.memo.empty()) << "state " << state;
    }
    RunCheckPass(host, {Row("\\\\A", "Svc")});
    RunCheckPass(host, {Row("\\\\A", "Svc")});
    EXPECT_EQ(host.memo, std::vector<std::string>{"\"Svc\" on \\\\A has been stop pending for 3 passes"});
}

// A service that stops again after every restart, with a restart count of
// 3 in a window of 60 minutes: one pass a restart at the given second.
TEST(CheckPass, RestartsThatKeepHappeningAreAnnouncedOnceAWindow) {
    FakePassHost host;
    host.Add("\\\\A", "Svc", 1, true);
    const auto pass = [&host](std::int64_t second, bool restart = true) {
        host.seconds = second;
        host.net[{"\\\\A", "Svc"}].state = restart ? 1 : 4;
        host.events.clear();
        RunCheckPass(host, {Row("\\\\A", "Svc", "Yes", "Yes")});
        return host.Only({"alert", "withdraw", "notice", "red", "blue"});
    };
    const std::string notice = "notice \\\\A@Svc";
    const std::string line = "\"Svc\" on \\\\A keeps stopping: restarted 3 times in 60 minutes";
    const std::string alert = "alert \\\\A@Svc@KeepsStopping (NT Service Keeps Stopping!) #103 " + line;
    EXPECT_EQ(pass(0), (std::vector<std::string>{notice, "blue"}));
    EXPECT_EQ(pass(1800), (std::vector<std::string>{notice, "blue"}));
    EXPECT_EQ(pass(3600), (std::vector<std::string>{notice, "blue"})) << "the first restart has left the window";
    EXPECT_EQ(pass(3601), (std::vector<std::string>{notice, alert, "red"}));
    EXPECT_EQ(host.memo.back(), line);
    EXPECT_EQ(pass(3700).size(), 3u) << "announced again each pass; the once-a-key rule is the alerts'";
    EXPECT_EQ(pass(7200, false), (std::vector<std::string>{"blue"})) << "the latest restart is still in the window";
    EXPECT_EQ(pass(7300, false), (std::vector<std::string>{"withdraw \\\\A@Svc@KeepsStopping", "blue"}))
        << "a whole window without a restart";
    EXPECT_EQ(pass(7301, false), (std::vector<std::string>{"blue"}));

    host.settings.restartAlertCount = 0;
    for (std::int64_t second : {8000, 8001, 8002, 8003})
        EXPECT_EQ(pass(second), (std::vector<std::string>{notice, "blue"})) << "a count of 0 turns it off";
}

TEST(CheckPass, ResetAndARemovedRowForgetTheRestartsAndTheWaits) {
    FakePassHost host;
    host.Add("\\\\A", "Svc", 1, true);
    host.Add("\\\\A", "Held", 2);
    const auto twoPasses = [&host] {
        for (int pass = 0; pass < 2; ++pass) {
            host.net[{"\\\\A", "Svc"}].state = 1;
            RunCheckPass(host, {Row("\\\\A", "Svc", "Yes"), Row("\\\\A", "Held")});
        }
    };
    twoPasses();
    host.memory.Clear();
    twoPasses();
    EXPECT_EQ(host.memo, std::vector<std::string>{"Auto-restart of \"Svc\" on \\\\A was successful"})
        << "after a Reset two restarts and two waits are not yet enough";
    host.memory.Forget("\\\\a", "svc");
    host.memory.Forget("\\\\A", "HELD");
    twoPasses();
    EXPECT_EQ(host.memo, std::vector<std::string>{"Auto-restart of \"Svc\" on \\\\A was successful"})
        << "a row removed and added again starts afresh, whatever its letter case";
    host.net[{"\\\\A", "Svc"}].state = 1;
    RunCheckPass(host, {Row("\\\\A", "Svc", "Yes"), Row("\\\\A", "Held")});
    EXPECT_EQ(host.memo.size(), 3u) << "the third pass after it: restart, keeps stopping, hung";
}

TEST(CheckPass, TheDisplayTurnsRedAtTheFirstFailureAndStaysRed) {
    FakePassHost host;
    host.Add("\\\\A", "Up", 4);
    host.Add("\\\\A", "Down", 1);
    host.Add("\\\\B", "Up", 4);
    RunCheckPass(host, {Row("\\\\A", "Up"), Row("\\\\A", "Down"), Row("\\\\B", "Up")});
    EXPECT_EQ(host.Only({"red", "blue"}), (std::vector<std::string>{"blue", "red", "red"}));
}

TEST(CheckPass, AnEmptyListStillWritesHeadAndFoot) {
    FakePassHost host;
    host.settings.htmlOutputEnabled = true;
    host.settings.htmlOutput = "C:\\www\\status.htm";
    RunCheckPass(host, {});
    EXPECT_EQ(host.events, (std::vector<std::string>{"memo cleared", "progress 0..-1", "progress hidden", "status ",
                                                     "page"}))
        << "the display is left as it was";
    EXPECT_EQ(host.pagePath, "C:\\www\\status.htm");
    EXPECT_EQ(host.page.size(), 13u + 7u);
}

TEST(CheckPass, ThePageNeedsTheSwitchAndAFileName) {
    for (const auto& [enabled, file] : {std::pair{true, ""}, std::pair{false, "page.htm"}}) {
        FakePassHost host;
        host.settings.htmlOutputEnabled = enabled;
        host.settings.htmlOutput = file;
        host.Add("\\\\A", "Up", 4);
        RunCheckPass(host, {Row("\\\\A", "Up")});
        EXPECT_TRUE(host.Only({"page"}).empty());
    }
}

TEST(CheckPass, AnErrorOfARowIsReportedThereAndThePassGoesOnToItsEnd) {
    FakePassHost host;
    host.settings.htmlOutputEnabled = true;
    host.settings.htmlOutput = "page.htm";
    host.Add("\\\\A", "Up", 4);
    host.Add("\\\\B", "Down", 1);
    host.livenessRaises = true;
    RunCheckPass(host, {Row("\\\\A", "Up"), Row("\\\\B", "Down")});
    EXPECT_EQ(host.releases, 1);
    EXPECT_EQ(host.Only({"error", "red", "blue", "page"}),
              (std::vector<std::string>{"error Unable to get ping handle", "red", "error Unable to get ping handle",
                                        "red", "page"}));
    EXPECT_EQ(host.PageStatuses(), (std::vector<std::string>{Cell(""), Cell("")}));
}

// The service queries of the pass go to a session over a service manager in
// memory, as the main window's do; the handles open at each step that
// follows a row's queries are noted.
class SessionPassHost : public FakePassHost {
public:
    test::FakeServicePlatform manager;
    ServiceSession session{manager};
    std::vector<std::string> openAt;

    std::string ServiceKeyName(const std::string& machine, const std::string& display) override {
        return session.KeyName(machine, display);
    }
    bool ServiceIsRunning(const std::string& machine, const std::string& key) override {
        return session.IsRunning(machine, key);
    }
    bool ServiceIsStopped(const std::string& machine, const std::string& key) override {
        return session.IsStopped(machine, key);
    }
    void ServiceQueriesDone() override { session.CloseKeptService(); }
    bool ServiceStartAndWait(const std::string& machine, const std::string& key) override {
        Note("start");
        return session.StartAndWait(machine, key);
    }
    bool IsMachineAlive(const std::string& machine) override {
        Note("ping");
        return FakePassHost::IsMachineAlive(machine);
    }
    void SendFailureAlert(const std::string& machine, const std::string& service) override {
        Note("alert");
        FakePassHost::SendFailureAlert(machine, service);
    }

private:
    void Note(const std::string& step) {
        std::string open;
        for (const std::string& key : manager.OpenServices()) open += " " + key;
        openAt.push_back(step + ":" + open);
    }
};

TEST(CheckPass, NoServiceHandleStaysOpenPastTheRowsStateQueries) {
    SessionPassHost host;
    host.alive["\\\\A"] = true;
    host.manager.AddService("Spooler", "Print Spooler", 1).startError = 1058;
    host.manager.AddService("Web", "Web Server", 4);
    RunCheckPass(host, {Row("\\\\A", "Print Spooler", "Yes"), Row("\\\\A", "Web Server")});
    EXPECT_EQ(host.openAt, (std::vector<std::string>{"ping:", "start:", "alert:", "ping:"}));
    EXPECT_EQ(host.memo, (std::vector<std::string>{"Cannot restart \"Print Spooler\" on \\\\A",
                                                   "\"Print Spooler\" on \\\\A is stopped"}));
}


TEST(CheckPassRecord, EachRowsOutcomeAndTheRestarts) {
    FakePassHost host;
    host.Add("\\\\A", "Run", 4);
    host.Add("\\\\A", "Halt", 1);
    host.Add("\\\\A", "Back", 1, true);
    host.Add("\\\\A", "Stuck", 1);
    host.Add("\\\\A", "Paused", 7);
    host.Add("\\\\A", "Starting", 2);
    host.Add("\\\\A", "Locked", 0);  // no state the queries can see
    host.unreadable[{"\\\\A", "Locked"}] = "5: Access is denied.";
    const std::vector<std::pair<std::string, RowOutcome>> rows{
        {"Run", RowOutcome::Running},     {"Halt", RowOutcome::Stopped},     {"Back", RowOutcome::Restarted},
        {"Stuck", RowOutcome::Stopped},   {"Paused", RowOutcome::Paused},    {"Starting", RowOutcome::Pending},
        {"Gone", RowOutcome::NotFound},   {"Locked", RowOutcome::Unknown}};
    std::vector<std::string> texts;
    for (const auto& [service, outcome] : rows)
        texts.push_back(Row("\\\\A", service, service == "Back" || service == "Stuck" ? "Yes" : "No"));
    host.record.Begin(texts, {});
    RunCheckPass(host, texts);
    ASSERT_EQ(host.record.Rows().size(), rows.size());
    for (size_t i = 0; i < rows.size(); ++i)
        EXPECT_EQ(OutcomeName(host.record.Rows()[i].outcome), std::string(OutcomeName(rows[i].second))) << rows[i].first;
    EXPECT_TRUE(host.record.Complete());
    ASSERT_EQ(host.record.Computers().size(), 1u);
    EXPECT_TRUE(host.record.Computers()[0].answered);
    ASSERT_EQ(host.record.Restarts().size(), 2u);
    EXPECT_EQ(host.record.Restarts()[0].service, "Back");
    EXPECT_EQ(host.record.Restarts()[0].success, 1u);
    EXPECT_EQ(host.record.Restarts()[1].service, "Stuck");
    EXPECT_EQ(host.record.Restarts()[1].failure, 1u);
}

// A pass through the metrics output as the main window runs it, the file
// kept in memory.
class MetricsPass : public ::testing::Test {
protected:
    static constexpr const char* kPath = "C:\\exporter\\textfile_inputs\\vigilor.prom";

    class RecordingHost : public FakePassHost {
    public:
        explicit RecordingHost(MetricsOutput& output) : output_(output) {}
        PassRecord& Record() override { return output_.Record(); }

    private:
        MetricsOutput& output_;
    };

    MetricsPass() {
        settings.metricsOutputEnabled = true;
        settings.metricsOutput = kPath;
    }
    void Run(const std::vector<std::string>& rows) {
        const RecordedPass recorded(output, rows);
        RunCheckPass(host, rows);
    }
    double Value(const std::string& family, const std::map<std::string, std::string>& labels) const {
        const test::ParsedMetrics parsed = test::ParseMetrics(files.at(kPath));
        EXPECT_EQ(parsed.error, "");
        const auto found = parsed.Find(family, labels);
        return found.size() == 1 ? found[0].value : -1;
    }

    ProgramSettings settings;
    AlertCounts alerts;
    test::MemoLines memo;
    test::QuietChannels channels{LocalTime{2026, 12, 9, 23, 30, 0, 3}};
    std::map<std::string, std::string> files;
    int writes = 0;
    std::string refusal;
    MetricsOutput output{"MON", settings, alerts, memo, channels,
                         [this](const std::string& path, const std::string& text) {
                             ++writes;
                             if (!refusal.empty()) throw AppError(refusal);
                             files[path] = text;
                         }};
    RecordingHost host{output};
};

TEST_F(MetricsPass, ASilentComputerMidListEndsThePassIncompleteAndTheRowsAfterItNotChecked) {
    host.Add("\\\\A", "Up", 4);
    host.Add("\\\\DEAD", "Whatever", 1);
    host.alive["\\\\DEAD"] = false;
    host.Add("\\\\C", "Later", 4);
    Run({Row("\\\\A", "Up"), Row("\\\\DEAD", "Whatever"), Row("\\\\C", "Later")});
    ASSERT_EQ(writes, 1);
    EXPECT_EQ(Value("vigilor_pass_complete", {}), 0);
    EXPECT_EQ(Value("vigilor_computer_up", {{"computer", "\\\\A"}}), 1);
    EXPECT_EQ(Value("vigilor_computer_up", {{"computer", "\\\\DEAD"}}), 0);
    EXPECT_EQ(Value("vigilor_computer_up", {{"computer", "\\\\C"}}), -1) << "not reached";
    EXPECT_EQ(Value("vigilor_service_state", {{"service", "Up"}, {"state", "running"}}), 1);
    EXPECT_EQ(Value("vigilor_service_state", {{"service", "Whatever"}, {"state", "not_checked"}}), 1);
    EXPECT_EQ(Value("vigilor_service_state", {{"service", "Later"}, {"state", "not_checked"}}), 1);

    host.alive["\\\\DEAD"] = true;
    Run({Row("\\\\A", "Up"), Row("\\\\DEAD", "Whatever"), Row("\\\\C", "Later")});
    EXPECT_EQ(Value("vigilor_pass_complete", {}), 1);
    EXPECT_EQ(Value("vigilor_computer_up", {{"computer", "\\\\DEAD"}}), 1);
    EXPECT_EQ(Value("vigilor_service_state", {{"service", "Later"}, {"state", "running"}}), 1);
}

TEST_F(MetricsPass, AnAbandonedPassStillWritesTheFile) {
    host.Add("\\\\A", "Up", 4);
    host.abandonAtLiveness = true;
    EXPECT_THROW(Run({Row("\\\\A", "Up")}), PassAbandoned);
    ASSERT_EQ(writes, 1);
    EXPECT_EQ(Value("vigilor_pass_complete", {}), 0);
    EXPECT_EQ(Value("vigilor_service_state", {{"service", "Up"}, {"state", "not_checked"}}), 1);
    EXPECT_TRUE(memo.lines.empty());
}

TEST_F(MetricsPass, AFailedWriteIsAMemoLineAndAnEventAndNothingElse) {
    host.Add("\\\\A", "Up", 4);
    refusal = std::string("Cannot create file ") + kPath;
    Run({Row("\\\\A", "Up")});
    const std::string report = std::string("The metrics file ") + kPath + " was not written: Cannot create file " + kPath;
    EXPECT_EQ(memo.lines, std::vector<std::string>{"09/12/2026  23:30 " + report});
    EXPECT_EQ(channels.events, std::vector<std::string>{report});
}

TEST_F(MetricsPass, WrittenOnlyWhenSwitchedOnWithAPath) {
    host.Add("\\\\A", "Up", 4);
    for (const auto& [enabled, path] : {std::pair{false, kPath}, {true, ""}}) {
        settings.metricsOutputEnabled = enabled;
        settings.metricsOutput = path;
        Run({Row("\\\\A", "Up")});
    }
    EXPECT_EQ(writes, 0);
}

}  // namespace
}  // namespace vigilor
