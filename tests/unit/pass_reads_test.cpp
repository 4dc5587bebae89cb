// The pass with its reads made ahead by workers, against a network in
// memory whose computers answer in an order the test chooses: what the
// pass shows, reports, sends, restarts and writes must be what the pass
// that reads every row in its turn gives for the same network.
#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <map>
#include <mutex>
#include <set>

#include "monitor/check_pass.h"
#include "platform/app_error.h"
#include "platform/text.h"

namespace vigilor {
namespace {

using namespace std::chrono_literals;

// Computers and services in memory, read by several threads at once.
// Gated, a computer answers only once the computers before it in arrival
// have been read to their end (their reader is gone), and nobody answers
// before holdUntilReaders readers exist; a gate that is not opened within
// a second is noted as broken and opened.
class FakeNetwork {
public:
    struct Service {
        int state = 4;  // 1 stopped, 3 stop pending, 4 running, 7 paused
        bool startWorks = false;
    };
    struct Computer {
        bool alive = true;
        std::map<std::string, Service> services;  // by display name
    };
    struct Failure {
        ReadStep step;
        std::string subject;  // the display or key name the call is about
        std::string text;
    };

    explicit FakeNetwork(bool gated) : gated_(gated) {}

    void Add(const std::string& machine, const std::string& display, int state, bool startWorks = false) {
        computers_[UpperAscii(machine)].services[display] = {state, startWorks};
    }
    void Dead(const std::string& machine) { computers_[UpperAscii(machine)].alive = false; }
    void FailAt(ReadStep step, const std::string& subject, const std::string& text) {
        failure_ = Failure{step, subject, text};
    }
    std::vector<std::string> arrival;  // upper-case machine names
    std::size_t holdUntilReaders = 0;
    std::chrono::milliseconds delay{0};  // added to every answer
    std::set<std::string> lookUpHangs;   // upper-case machine names
    int LookUpsGivenUp() {
        const std::lock_guard lock(mutex_);
        return lookUpsGivenUp_;
    }

    // What the readers saw.
    int Pings(const std::string& machine) {
        const std::lock_guard lock(mutex_);
        return pings_[UpperAscii(machine)];
    }
    int Answers(const std::string& machine) {
        const std::lock_guard lock(mutex_);
        return answers_[UpperAscii(machine)];
    }
    int LiveReaders() {
        const std::lock_guard lock(mutex_);
        return live_;
    }
    int MostReadersAtOnce() {
        const std::lock_guard lock(mutex_);
        return mostLive_;
    }
    bool GateBroken() {
        const std::lock_guard lock(mutex_);
        return broken_;
    }

    class Reader : public RowReader {
    public:
        explicit Reader(FakeNetwork& network, std::stop_token stop = {}) : network_(network), stop_(std::move(stop)) {
            const std::lock_guard lock(network_.mutex_);
            ++network_.made_;
            network_.mostLive_ = std::max(network_.mostLive_, ++network_.live_);
            network_.changed_.notify_all();
        }
        ~Reader() override {
            const std::lock_guard lock(network_.mutex_);
            --network_.live_;
            if (!machine_.empty()) network_.finished_.insert(machine_);
            network_.changed_.notify_all();
        }
        std::string ServiceKeyName(const std::string& machine, const std::string& display) override {
            std::unique_lock lock = Answer(machine, ReadStep::KeyName, display);
            return network_.Find(machine, display) ? "key_" + display : "";
        }
        bool IsMachineAlive(const std::string& machine) override {
            std::unique_lock lock = Answer(machine, ReadStep::Liveness, machine);
            ++network_.pings_[UpperAscii(machine)];
            if (network_.lookUpHangs.count(UpperAscii(machine))) {
                // A name look-up that only the end of the pass ends.
                std::condition_variable_any stopped;
                stopped.wait_for(lock, stop_, 5s, [] { return false; });
                if (stop_.stop_requested()) ++network_.lookUpsGivenUp_;
                return false;
            }
            return network_.computers_[UpperAscii(machine)].alive;
        }
        bool ServiceIsRunning(const std::string& machine, const std::string& key) override {
            std::unique_lock lock = Answer(machine, ReadStep::Running, key);
            const Service* s = network_.FindKey(machine, key);
            return s && s->state == 4;
        }
        bool ServiceIsStopped(const std::string& machine, const std::string& key) override {
            std::unique_lock lock = Answer(machine, ReadStep::Stopped, key);
            const Service* s = network_.FindKey(machine, key);
            return s && s->state == 1;
        }
        ServiceReading ReadService(const std::string& machine, const std::string& display) override {
            std::unique_lock lock = Answer(machine, ReadStep::Reading, display);
            const Service* s = network_.Find(machine, display);
            if (!s) return {ServiceReading::Kind::NotInstalled, 0, ""};
            return {ServiceReading::Kind::State, s->state, ""};
        }
        void ServiceQueriesDone() override {}

    private:
        // Waits for the computer's turn and raises the failure meant for
        // this call; holds the network's lock for the answer.
        std::unique_lock<std::mutex> Answer(const std::string& machine, ReadStep step, const std::string& subject) {
            if (network_.delay.count() > 0) std::this_thread::sleep_for(network_.delay);
            std::unique_lock lock(network_.mutex_);
            if (machine_.empty()) machine_ = UpperAscii(machine);
            ++network_.answers_[UpperAscii(machine)];
            if (network_.gated_ && !network_.broken_ &&
                !network_.changed_.wait_for(lock, 1s, [&] { return network_.Turn(machine_); }))
                network_.broken_ = true;
            if (network_.failure_ && network_.failure_->step == step && network_.failure_->subject == subject)
                throw AppError(network_.failure_->text);
            return lock;
        }
        FakeNetwork& network_;
        std::stop_token stop_;
        std::string machine_;
    };

    class Readers : public RowReaderFactory {
    public:
        explicit Readers(FakeNetwork& network) : network_(network) {}
        std::unique_ptr<RowReader> NewReader(std::stop_token stop) override {
            return std::make_unique<Reader>(network_, std::move(stop));
        }

    private:
        FakeNetwork& network_;
    };

    // A restart, made by the walk's thread.
    bool Start(const std::string& machine, const std::string& key) {
        const std::lock_guard lock(mutex_);
        Service* s = FindKey(machine, key);
        if (!s || !s->startWorks) return false;
        s->state = 4;
        return true;
    }
    int State(const std::string& machine, const std::string& display) {
        const std::lock_guard lock(mutex_);
        return Find(machine, display)->state;
    }
    std::string KeyName(const std::string& machine, const std::string& display) {
        const std::lock_guard lock(mutex_);
        return Find(machine, display) ? "key_" + display : "";
    }

private:
    bool Turn(const std::string& machine) const {
        if (made_ < holdUntilReaders) return false;
        for (const std::string& before : arrival) {
            if (before == machine) return true;
            if (!finished_.count(before)) return false;
        }
        return true;
    }
    Service* Find(const std::string& machine, const std::string& display) {
        auto computer = computers_.find(UpperAscii(machine));
        if (computer == computers_.end()) return nullptr;
        auto s = computer->second.services.find(display);
        return s == computer->second.services.end() ? nullptr : &s->second;
    }
    Service* FindKey(const std::string& machine, const std::string& key) {
        return key.rfind("key_", 0) == 0 ? Find(machine, key.substr(4)) : nullptr;
    }

    const bool gated_;
    std::map<std::string, Computer> computers_;
    std::optional<Failure> failure_;
    std::mutex mutex_;
    std::condition_variable changed_;
    std::set<std::string> finished_;
    std::map<std::string, int> pings_;
    std::map<std::string, int> answers_;
    std::size_t made_ = 0;
    int live_ = 0;
    int mostLive_ = 0;
    int lookUpsGivenUp_ = 0;
    bool broken_ = false;
};

// Records, in order, everything a pass shows, reports, sends and starts.
// Its own reads, for the pass that reads every row in its turn, go to one
// reader of its network.
class RecordingHost : public CheckPassHost {
public:
    explicit RecordingHost(FakeNetwork& network) : network_(network) {
        settings.selectedComputer = "\\\\A";
        settings.htmlOutputEnabled = true;
        settings.htmlOutput = "page.htm";
    }
    ProgramSettings settings;
    std::vector<std::string> events;

    const ProgramSettings& Settings() override { return settings; }
    std::string ServiceKeyName(const std::string& machine, const std::string& display) override {
        return network_.KeyName(machine, display);
    }
    bool IsMachineAlive(const std::string& machine) override { return Reader().IsMachineAlive(machine); }
    bool ServiceIsRunning(const std::string& machine, const std::string& key) override {
        return Reader().ServiceIsRunning(machine, key);
    }
    bool ServiceIsStopped(const std::string& machine, const std::string& key) override {
        return Reader().ServiceIsStopped(machine, key);
    }
    ServiceReading ReadService(const std::string& machine, const std::string& display) override {
        return Reader().ReadService(machine, display);
    }
    void ServiceQueriesDone() override {}
    bool ServiceStartAndWait(const std::string& machine, const std::string& key) override {
        events.push_back("start " + machine + " " + key);
        return network_.Start(machine, key);
    }
    void ReleasePassResources() override { events.push_back("released"); }
    void ClearFailureReports() override { events.push_back("memo cleared"); }
    void AppendFailureReport(const std::string& message) override { events.push_back("report " + message); }
    void ShowStatus(const std::string& text) override { events.push_back("status " + text); }
    void ShowAlarm() override { events.push_back("red"); }
    void ShowAllClear() override { events.push_back("blue"); }
    void ShowProgress(int rows) override { events.push_back("progress " + std::to_string(rows)); }
    void SetProgress(int row) override { events.push_back("row " + std::to_string(row)); }
    void HideProgress() override { events.push_back("progress hidden"); }
    void SetCursor(ScreenCursor cursor) override { events.push_back(cursor == ScreenCursor::Hourglass ? "wait" : "arrow"); }
    void ReloadAllServices() override { events.push_back("reload"); }
    void SendFailureAlert(const std::string& machine, const std::string& service) override {
        events.push_back("alert " + machine + "@" + service);
    }
    void SendRestartNotice(const std::string& machine, const std::string& service) override {
        events.push_back("notice " + machine + "@" + service);
    }
    void SendScreenMessage(const std::string& message, const std::string& recipient) override {
        events.push_back("screen " + recipient + " " + message);
    }
    void SendAlert(const AlertMessage& alert) override { events.push_back("alert " + alert.key + " " + alert.entry.text); }
    void WithdrawAlert(const std::string& key) override { events.push_back("withdraw " + key); }
    std::optional<MonitoredService> CurrentRow(const MonitoredService& row) override { return row; }
    bool Alerted(const std::string&) override { return false; }
    void ReportRowError(const std::string& text) override { events.push_back("error " + text); }
    RowMemory& Memory() override { return memory_; }
    PassRecord& Record() override { return record_; }
    std::int64_t MonotonicSeconds() override { return 0; }
    LocalTime Now() override { return {2026, 12, 9, 23, 0, 0, 3}; }
    void WriteStatusPage(const std::string& path, const std::vector<std::string>& lines) override {
        events.push_back("page " + path);
        for (const std::string& line : lines) events.push_back(line);
    }

private:
    RowReader& Reader() {
        if (!reader_) reader_ = std::make_unique<FakeNetwork::Reader>(network_);
        return *reader_;
    }
    FakeNetwork& network_;
    std::unique_ptr<FakeNetwork::Reader> reader_;
    RowMemory memory_;
    PassRecord record_;
};

std::string Row(const std::string& machine, const std::string& service, const std::string& autoRestart = "No",
                const std::string& email = "No") {
    return machine + "\t" + service + "\t" + autoRestart + "\t" + email;
}

struct Outcome {
    std::vector<std::string> events;  // of every pass
    std::string error;                // the last error a row reported
    int readersLeft = 0;              // the workers' readers still there when it ended
    // The memo lines of the last pass.
    std::vector<std::string> LastReports() const {
        std::vector<std::string> reports;
        for (const std::string& e : events) {
            if (e == "memo cleared") reports.clear();
            if (e.rfind("report ", 0) == 0) reports.push_back(e.substr(7));
        }
        return reports;
    }
};

// Passes over the network that setUp builds, each row read in its turn or
// read ahead by workers; later passes see what the earlier ones left in the
// row memory and the network.
Outcome Pass(const std::function<void(FakeNetwork&)>& setUp, const std::vector<std::string>& rows, bool ahead,
             int passes = 1, FakeNetwork** kept = nullptr) {
    static std::vector<std::unique_ptr<FakeNetwork>> networks;  // outlive the pass for the asserts
    networks.push_back(std::make_unique<FakeNetwork>(ahead));
    FakeNetwork& network = *networks.back();
    setUp(network);
    if (kept) *kept = &network;
    RecordingHost host(network);
    FakeNetwork::Readers readers(network);
    Outcome outcome;
    for (int pass = 0; pass < passes; ++pass) {
        if (ahead)
            RunCheckPass(host, rows, readers);
        else
            RunCheckPass(host, rows);
        outcome.readersLeft = network.LiveReaders() - (ahead ? 0 : 1);
    }
    outcome.events = host.events;
    for (const std::string& e : host.events)
        if (e.rfind("error ", 0) == 0) outcome.error = e.substr(6);
    return outcome;
}

// Three computers whose rows cover every outcome, the last of them the
// first to answer.
void ThreeComputers(FakeNetwork& n) {
    n.Add("\\\\A", "Web", 4);
    n.Add("\\\\A", "Spooler", 1, true);
    n.Add("\\\\A", "Held", 3);
    n.Add("\\\\B", "Mail", 1, false);
    n.Add("\\\\B", "Paused", 7);
    n.Add("\\\\C", "Db", 1);
    n.Add("\\\\C", "Cache", 1, true);
    n.arrival = {"\\\\C", "\\\\B", "\\\\A"};
}
const std::vector<std::string> kThreeComputers = {
    Row("\\\\A", "Web"),         Row("\\\\B", "Mail", "Yes"),      Row("\\\\a", "Spooler", "Yes", "Yes"),
    Row("\\\\C", "Db"),          Row("\\\\A", "Held"),             Row("\\\\B", "Paused"),
    Row("\\\\C", "Gone"),        Row("\\\\C", "Cache", "Yes"),
};

TEST(PassReadAhead, GivesWhatThePassThatReadsInTurnGives) {
    struct Case {
        const char* name;
        std::function<void(FakeNetwork&)> setUp;
        std::vector<std::string> rows;
        int passes;
        std::vector<std::string> lastReports;
        std::string error;
    } cases[] = {
        {"every outcome over three passes, answered last computer first", ThreeComputers, kThreeComputers, 3,
         {"Cannot restart \"Mail\" on \\\\B", "\"Mail\" on \\\\B is stopped", "\"Db\" on \\\\C is stopped",
          "\"Held\" on \\\\A has been stop pending for 3 passes", "\"Paused\" on \\\\B has been paused for 3 passes",
          "\"Gone\" on \\\\C is not installed"},
         ""},
        {"a dead computer in the middle ends the pass at its first row",
         [](FakeNetwork& n) {
             ThreeComputers(n);
             n.Dead("\\\\B");
             n.arrival = {"\\\\C", "\\\\A", "\\\\B"};
         },
         kThreeComputers, 1, {"The computer \\\\B is no longer responding !"}, ""},
        {"a failed read is reported on its row and the pass goes on",
         [](FakeNetwork& n) {
             ThreeComputers(n);
             n.FailAt(ReadStep::Stopped, "key_Db", "1722: The RPC server is unavailable.");
         },
         kThreeComputers, 1,
         {"Cannot restart \"Mail\" on \\\\B", "\"Mail\" on \\\\B is stopped",
          "Auto-restart of \"Spooler\" on \\\\a was successful", "\"Gone\" on \\\\C is not installed",
          "Auto-restart of \"Cache\" on \\\\C was successful"},
         "1722: The RPC server is unavailable."},
        {"a liveness test that raises is reported on each of the computer's rows",
         [](FakeNetwork& n) {
             ThreeComputers(n);
             n.FailAt(ReadStep::Liveness, "\\\\C", "Unable to get ping handle");
         },
         kThreeComputers, 1,
         {"Cannot restart \"Mail\" on \\\\B", "\"Mail\" on \\\\B is stopped",
          "Auto-restart of \"Spooler\" on \\\\a was successful"},
         "Unable to get ping handle"},
        {"a service started by the pass is seen running by a later row of its computer",
         [](FakeNetwork& n) { n.Add("\\\\A", "Spooler", 1, true); },
         {Row("\\\\A", "Spooler", "Yes"), Row("\\\\a", "Spooler")}, 1,
         {"Auto-restart of \"Spooler\" on \\\\A was successful"}, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const Outcome inTurn = Pass(c.setUp, c.rows, false, c.passes);
        FakeNetwork* network = nullptr;
        const Outcome ahead = Pass(c.setUp, c.rows, true, c.passes, &network);
        EXPECT_EQ(ahead.events, inTurn.events);
        EXPECT_EQ(ahead.error, c.error);
        EXPECT_EQ(inTurn.error, c.error);
        EXPECT_EQ(ahead.LastReports(), c.lastReports);
        EXPECT_FALSE(network->GateBroken()) << "the computers answered in the order the network chose";
        EXPECT_EQ(ahead.readersLeft, 0) << "every worker is done when the pass ends";
    }
}

TEST(PassReadAhead, NoRestartForARowAfterADeadComputer) {
    FakeNetwork* network = nullptr;
    const Outcome ahead = Pass(
        [](FakeNetwork& n) {
            ThreeComputers(n);
            n.Dead("\\\\B");
        },
        kThreeComputers, true, 1, &network);
    for (const std::string& e : ahead.events) EXPECT_NE(e.rfind("start", 0), 0u) << e;
    EXPECT_EQ(network->State("\\\\A", "Spooler"), 1) << "left stopped";
    EXPECT_EQ(network->State("\\\\C", "Cache"), 1);
}

TEST(PassReadAhead, EachComputerIsPingedOncePerPass) {
    FakeNetwork* network = nullptr;
    Pass(ThreeComputers, kThreeComputers, true, 1, &network);
    EXPECT_EQ(network->Pings("\\\\A"), 1) << "three rows, two spellings";
    EXPECT_EQ(network->Pings("\\\\B"), 1);
    EXPECT_EQ(network->Pings("\\\\C"), 1);
}

TEST(PassReadAhead, AtMostSixteenComputersAreReadAtOnce) {
    std::vector<std::string> rows;
    for (int c = 0; c < 20; ++c) rows.push_back(Row("\\\\M" + std::to_string(c), "Svc"));
    const auto setUp = [](FakeNetwork& n) {
        for (int c = 0; c < 20; ++c) {
            const std::string machine = "\\\\M" + std::to_string(c);
            n.Add(machine, "Svc", 4);
            n.arrival.push_back(machine);
        }
        n.holdUntilReaders = kMaxPassWorkers;
    };
    FakeNetwork* network = nullptr;
    const Outcome ahead = Pass(setUp, rows, true, 1, &network);
    EXPECT_EQ(network->MostReadersAtOnce(), static_cast<int>(kMaxPassWorkers));
    EXPECT_FALSE(network->GateBroken()) << "sixteen computers were read at once";
    EXPECT_EQ(ahead.events, Pass(setUp, rows, false).events);
}

TEST(PassReadAhead, AWaitOfAReaderIsGivenUpWhenThePassEnds) {
    FakeNetwork* network = nullptr;
    const Outcome ahead = Pass(
        [](FakeNetwork& n) {
            n.Dead("\\\\DOWN");
            n.lookUpHangs.insert("\\\\HANGS");
            // Both look-ups under way before the first answer ends the pass.
            n.holdUntilReaders = 2;
        },
        {Row("\\\\DOWN", "Svc"), Row("\\\\HANGS", "Svc")}, true, 1, &network);
    EXPECT_EQ(ahead.LastReports(), std::vector<std::string>{"The computer \\\\DOWN is no longer responding !"});
    EXPECT_EQ(ahead.readersLeft, 0);
    EXPECT_EQ(network->LookUpsGivenUp(), 1) << "the look-up heard of the end of the pass";
}

}  // namespace
}  // namespace vigilor
