// The monitoring engine on its own thread, against computers, a mail server
// and channels in memory: what its commands do while a pass runs, and that
// nothing a pass waits for can hold it for ever.
#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <map>
#include <mutex>
#include <set>

#include "monitor/monitor_engine.h"
#include "platform/text.h"
#include "tests/support/scripted_smtp_socket.h"
#include "tests/support/test_alert_host.h"
#include "tests/unit/fake_service_platform.h"

namespace vigilor {
namespace {

using namespace std::chrono_literals;

constexpr auto kPatience = 10s;  // for what must happen; never reached when it does

// Computers and services in memory, read by the pass's workers. A computer
// may be held: every read of it waits until it is let go.
class Network : public RowReaderFactory, public std::enable_shared_from_this<Network> {
public:
    void Set(const std::string& machine, const std::string& display, int state) {
        const std::lock_guard lock(mutex_);
        states_[{machine, display}] = state;
    }
    void Hold(const std::string& machine) {
        const std::lock_guard lock(mutex_);
        held_.insert(machine);
    }
    void LetGo() {
        {
            const std::lock_guard lock(mutex_);
            held_.clear();
        }
        changed_.notify_all();
    }
    // Waits until a read of the computer is being held.
    bool WaitUntilHeld(const std::string& machine) {
        std::unique_lock lock(mutex_);
        return changed_.wait_for(lock, kPatience, [&] { return holding_.count(machine) != 0; });
    }
    // Waits until the service has been read.
    bool WaitUntilRead(const std::string& display) {
        std::unique_lock lock(mutex_);
        return changed_.wait_for(lock, kPatience, [&] { return reads_[display] > 0; });
    }

    // A reader keeps the network: a worker left inside a read outlives the
    // test's engine.
    std::unique_ptr<RowReader> NewReader(std::stop_token) override {
        return std::make_unique<Reader>(shared_from_this());
    }

private:
    class Reader : public RowReader {
    public:
        explicit Reader(std::shared_ptr<Network> network) : network_(*network), keep_(std::move(network)) {}
        std::string ServiceKeyName(const std::string& machine, const std::string& display) override {
            return network_.State(machine, display) ? display : "";
        }
        bool IsMachineAlive(const std::string&) override { return true; }
        bool ServiceIsRunning(const std::string& machine, const std::string& key) override {
            return network_.State(machine, key) == 4;
        }
        bool ServiceIsStopped(const std::string& machine, const std::string& key) override {
            const bool stopped = network_.State(machine, key) == 1;
            network_.Read(key);
            return stopped;
        }
        ServiceReading ReadService(const std::string& machine, const std::string& display) override {
            const std::optional<int> state = network_.State(machine, display);
            if (!state) return {ServiceReading::Kind::NotInstalled, 0, ""};
            return {ServiceReading::Kind::State, *state, ""};
        }
        void ServiceQueriesDone() override {}

    private:
        Network& network_;
        std::shared_ptr<Network> keep_;
    };

    std::optional<int> State(const std::string& machine, const std::string& display) {
        std::unique_lock lock(mutex_);
        if (held_.count(machine)) {
            holding_.insert(machine);
            changed_.notify_all();
            changed_.wait(lock, [&] { return held_.count(machine) == 0; });
            holding_.erase(machine);
        }
        const auto it = states_.find({machine, display});
        if (it == states_.end()) return std::nullopt;
        return it->second;
    }
    void Read(const std::string& display) {
        {
            const std::lock_guard lock(mutex_);
            ++reads_[display];
        }
        changed_.notify_all();
    }

    std::mutex mutex_;
    std::condition_variable changed_;
    std::map<std::pair<std::string, std::string>, int> states_;
    std::set<std::string> held_;
    std::set<std::string> holding_;
    std::map<std::string, int> reads_;
};

// A mail server whose connect fails at once, or, when the test says so,
// waits until the engine's waits are cancelled.
class SilentServer : public SmtpSocket {
public:
    explicit SilentServer(std::function<WaitOutcome()> connect) : connect_(std::move(connect)) {}
    WaitOutcome LookupHost(const std::string&, int, std::string& address) override {
        address = "127.0.0.9";
        return WaitOutcome::Done;
    }
    WaitOutcome Connect(const std::string&, int, int) override { return connect_(); }
    bool IsOpen() const override { return false; }
    bool Send(const std::string&, int) override { return false; }
    WaitOutcome Receive(std::string&, int) override { return WaitOutcome::Failed; }
    void Close() override {}
    void StartTls(const std::string&, int) override {}
    std::string ClientDomain() override { return "monitor"; }

private:
    std::function<WaitOutcome()> connect_;
};

class RecordingChannels : public NotificationChannels {
public:
    void WriteEvent(const AppEvent& entry) override {
        const std::lock_guard lock(mutex);
        events.push_back(entry.text);
    }
    bool SendScreenMessage(const std::string&, const std::string&) override { return false; }
    bool FileExists(const std::string&) override { return true; }
    RunResult RunAndWait(const std::string&, int) override { return {}; }
    void ShellLaunch(const std::string&, const std::string&, const std::string&, int) override {
        if (onLaunch) onLaunch();
    }
    LocalTime Now() override { return {2026, 12, 10, 9, 30, 0, 4}; }

    std::function<void()> onLaunch;
    std::mutex mutex;
    std::vector<std::string> events;
};

class FakeSystem : public EngineSystem {
public:
    FakeSystem() {
        mail = std::make_unique<TNMSMTP>(std::make_unique<SilentServer>([this] { return Connect(); }));
    }
    std::unique_ptr<KeyValueStore> OpenStore() override { return std::make_unique<test::ForwardingStore>(store); }
    NotificationChannels& Channels() override { return channels; }
    TNMSMTP& MailClient() override { return *mail; }
    RowReaderFactory& Readers() override { return *networkKept; }
    ServicePlatform& Services() override { return services; }
    bool PauseForRestart(std::uint32_t) override { return !Canceled(); }
    void WriteStatusPage(const std::string&, const std::vector<std::string>&) override {
        const std::lock_guard lock(mutex_);
        ++pages;
    }
    void WriteMetricsFile(const std::string&, const std::string&) override {}
    LocalTime Now() override { return channels.Now(); }
    std::int64_t MonotonicSeconds() override { return 0; }
    void CancelWaits() override {
        {
            const std::lock_guard lock(mutex_);
            canceled_ = true;
        }
        changed_.notify_all();
    }
    void ResumeWaits() override {
        const std::lock_guard lock(mutex_);
        canceled_ = false;
    }
    bool Canceled() {
        const std::lock_guard lock(mutex_);
        return canceled_;
    }
    int Pages() {
        const std::lock_guard lock(mutex_);
        return pages;
    }
    // The mail server's connect: at once, or held until cancelled.
    WaitOutcome Connect() {
        std::unique_lock lock(mutex_);
        if (!connectWaits) return WaitOutcome::Failed;
        connecting_ = true;
        changed_.notify_all();
        changed_.wait_for(lock, kPatience, [this] { return canceled_; });
        return canceled_ ? WaitOutcome::Canceled : WaitOutcome::TimedOut;
    }
    bool WaitUntilConnecting() {
        std::unique_lock lock(mutex_);
        return changed_.wait_for(lock, kPatience, [this] { return connecting_; });
    }
    bool connectWaits = false;  // set before the engine runs

    test::MemoryStore store;
    RecordingChannels channels;
    std::unique_ptr<TNMSMTP> mail;
    std::shared_ptr<Network> networkKept = std::make_shared<Network>();
    Network& network = *networkKept;
    test::FakeServicePlatform services;

private:
    std::mutex mutex_;
    std::condition_variable changed_;
    bool connecting_ = false;
    bool canceled_ = false;
    int pages = 0;
};

class View : public EngineView {
public:
    void Post(EngineEvent event) override {
        {
            const std::lock_guard lock(mutex_);
            if (event.kind == EngineEvent::Kind::PassEnded) ++passes_;
            events_.push_back(std::move(event));
        }
        changed_.notify_all();
    }
    bool WaitForPasses(int passes) {
        std::unique_lock lock(mutex_);
        return changed_.wait_for(lock, kPatience, [&] { return passes_ >= passes; });
    }
    // The failure reports without their time stamps.
    std::vector<std::string> Reports(EngineEvent::Kind kind = EngineEvent::Kind::ReportLine) {
        const std::lock_guard lock(mutex_);
        std::vector<std::string> lines;
        for (const EngineEvent& e : events_)
            if (e.kind == kind) lines.push_back(kind == EngineEvent::Kind::ReportLine ? e.text.substr(18) : e.text);
        return lines;
    }

private:
    std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<EngineEvent> events_;
    int passes_ = 0;
};

std::string Row(const std::string& machine, const std::string& service, const std::string& autoRestart = "No") {
    return machine + "\t" + service + "\t" + autoRestart + "\tNo";
}

// Complete mail settings for the server named.
void StoreMailSettings(test::MemoryStore& store, const std::string& host) {
    store.Write("EMailSMTPHost", host);
    store.Write("EMailLocalName", "Vigilor");
    store.Write("EMailTo", "ops@example.org");
    store.Write("EMailSMTPID", "monitor");
    store.Write("EMailLocalAddr", "vigilor@example.org");
}

ProgramSettings QuietSettings() {
    ProgramSettings settings;
    settings.notifyByMail = false;
    settings.screenNotify = false;
    return settings;
}

struct Engine {
    explicit Engine(std::vector<std::string> rows, ProgramSettings settings = QuietSettings(), EngineLimits limits = {})
        : engine(system, view, {"1.0.0.1", "MONITOR"}, std::move(settings), std::move(rows), limits) {}
    ~Engine() { system.network.LetGo(); }
    // The order matters: the engine goes first.
    FakeSystem system;
    View view;
    MonitorEngine engine;
};

TEST(MonitorEngine, StartRefusesAnEmptyListAndIncompleteMailSettingsOnlyToAUserAtTheScreen) {
    {
        Engine e({});
        const auto answer = e.engine.Start(Attendance::Attended);
        EXPECT_FALSE(answer.started);
        EXPECT_EQ(answer.refusals,
                  std::vector<std::string>{"How can I start monitoring, when there are no services to monitor!"});
    }
    ProgramSettings mail = QuietSettings();
    mail.notifyByMail = true;
    {
        Engine e({Row("\\\\A", "Svc")}, mail);
        const auto answer = e.engine.Start(Attendance::Attended);
        EXPECT_FALSE(answer.started);
        EXPECT_TRUE(answer.emailDisabled);
        EXPECT_EQ(answer.refusals, (std::vector<std::string>{"No SMTP host defined! Please check your parameters.",
                                                             "Missing e-mail parameters. Please use the settings "
                                                             "button to update them."}));
        EXPECT_FALSE(e.engine.State().monitoring);
    }
    {
        Engine e({Row("\\\\A", "Svc")}, mail);
        const auto answer = e.engine.Start(Attendance::Unattended);
        EXPECT_TRUE(answer.started);
        EXPECT_TRUE(answer.refusals.empty());
        EXPECT_TRUE(e.engine.State().monitoring);
        e.engine.Stop();
        ASSERT_TRUE(e.engine.ForceCheck());
        ASSERT_TRUE(e.view.WaitForPasses(1));
        const std::lock_guard lock(e.system.channels.mutex);
        EXPECT_EQ(e.system.channels.events.front(), "No SMTP host defined! Please check your parameters.")
            << "reported before the pass, in the event log too";
    }
}

// A pass held at its first computer while a command comes in.
TEST(MonitorEngine, CommandsDuringAPass) {
    struct Case {
        const char* name;
        std::function<void(Engine&)> command;
        std::function<void(Engine&)> check;
    } cases[] = {
        {"settings take effect after the pass",
         [](Engine& e) {
             ProgramSettings page = QuietSettings();
             page.htmlOutputEnabled = true;
             page.htmlOutput = "status.htm";
             e.engine.SettingsChanged(page);
         },
         [](Engine& e) {
             EXPECT_EQ(e.system.Pages(), 0) << "the pass began without a page";
             ASSERT_TRUE(e.engine.ForceCheck());
             ASSERT_TRUE(e.view.WaitForPasses(2));
             EXPECT_EQ(e.system.Pages(), 1);
         }},
        {"Stop lets the pass finish and no timed pass follows",
         [](Engine& e) { e.engine.Stop(); },
         [](Engine& e) {
             EXPECT_EQ(e.view.Reports(),
                       (std::vector<std::string>{"Cannot restart \"Down\" on \\\\B", "\"Down\" on \\\\B is stopped",
                                                 "No SMTP host defined! Please check your parameters."}));
             EXPECT_FALSE(e.engine.State().monitoring);
             e.engine.TimerFired();
             ASSERT_TRUE(e.engine.ForceCheck()) << "no pass is running or waiting";
         }},
        {"a removed row is neither restarted nor alerted",
         [](Engine& e) { e.engine.ListChanged({Row("\\\\A", "Up")}); },
         [](Engine& e) {
             EXPECT_EQ(e.system.services.starts, 0);
             EXPECT_EQ(e.view.Reports(), (std::vector<std::string>{"\"Down\" on \\\\B is stopped"}));
             const std::lock_guard lock(e.system.channels.mutex);
             EXPECT_TRUE(e.system.channels.events.empty());
         }},
        {"a second force starts no second pass", [](Engine& e) { EXPECT_FALSE(e.engine.ForceCheck()); },
         [](Engine& e) { EXPECT_TRUE(e.engine.ForceCheck()) << "none was left waiting"; }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Engine e({Row("\\\\A", "Up"), Row("\\\\B", "Down", "Yes")});
        e.system.services.AddService("Down", "Down", 1).startError = 1058;
        e.system.network.Set("\\\\A", "Up", 4);
        e.system.network.Set("\\\\B", "Down", 1);
        e.system.network.Hold("\\\\A");
        ASSERT_TRUE(e.engine.Start(Attendance::Unattended).started);
        e.engine.TimerFired();
        ASSERT_TRUE(e.system.network.WaitUntilHeld("\\\\A"));
        EXPECT_TRUE(e.engine.State().passRunning);
        c.command(e);
        e.system.network.LetGo();
        ASSERT_TRUE(e.view.WaitForPasses(1));
        c.check(e);
    }
}

TEST(MonitorEngine, AMailErrorIsReportedOnItsRowAndTheNextRowsAreStillChecked) {
    ProgramSettings mail = QuietSettings();
    mail.notifyByMail = true;
    Engine e({Row("\\\\A", "First"), Row("\\\\A", "Second")}, mail);
    StoreMailSettings(e.system.store, "mail.example.org");
    e.system.store.Write("EMailSMTPSecurity", "SSLv2");
    e.system.network.Set("\\\\A", "First", 1);
    e.system.network.Set("\\\\A", "Second", 1);
    ASSERT_TRUE(e.engine.Start(Attendance::Unattended).started);
    e.engine.TimerFired();
    ASSERT_TRUE(e.view.WaitForPasses(1));
    const std::vector<std::string> reports = e.view.Reports();
    ASSERT_EQ(reports.size(), 3u) << reports[0];
    EXPECT_EQ(reports[0], "\"First\" on \\\\A is stopped");
    EXPECT_NE(reports[1].find("SSLv2"), std::string::npos) << reports[1];
    EXPECT_EQ(reports[2], "\"Second\" on \\\\A is stopped") << "once per text: the second mail's error is not repeated";
}

TEST(MonitorEngine, AStoppedRowIsReadAgainBeforeItIsAlerted) {
    // The program the first alert launches starts the second service, which
    // its computer's worker has already read as stopped.
    ProgramSettings launch = QuietSettings();
    launch.launchAppActive = true;
    launch.launchApp = "C:\\start-second.cmd";
    launch.execAndWait = false;
    Engine e({Row("\\\\A", "First"), Row("\\\\A", "Second")}, launch);
    e.system.network.Set("\\\\A", "First", 1);
    e.system.network.Set("\\\\A", "Second", 1);
    e.system.channels.onLaunch = [&e] {
        if (!e.system.network.WaitUntilRead("Second")) return;
        e.system.network.Set("\\\\A", "Second", 4);
    };
    ASSERT_TRUE(e.engine.ForceCheck());
    ASSERT_TRUE(e.view.WaitForPasses(1));
    EXPECT_EQ(e.view.Reports(), std::vector<std::string>{"\"First\" on \\\\A is stopped"});
}

TEST(MonitorEngine, AReadThatNeverReturnsGivesUnknownAtTheBound) {
    EngineLimits limits;
    limits.readBound = 1s;
    Engine e({Row("\\\\HANGS", "Svc"), Row("\\\\HANGS", "Other"), Row("\\\\B", "Down")}, QuietSettings(), limits);
    e.system.network.Set("\\\\HANGS", "Svc", 4);
    e.system.network.Set("\\\\B", "Down", 1);
    e.system.network.Hold("\\\\HANGS");
    ASSERT_TRUE(e.engine.ForceCheck());
    ASSERT_TRUE(e.view.WaitForPasses(1)) << "the pass ends while the read still hangs";
    EXPECT_EQ(e.view.Reports(),
              (std::vector<std::string>{
                  "Cannot read the state of \"Svc\" on \\\\HANGS: no answer from its service manager within 1 s",
                  "Cannot read the state of \"Other\" on \\\\HANGS: no answer from its service manager within 1 s",
                  "\"Down\" on \\\\B is stopped"}));
}

TEST(MonitorEngine, EndsWithinItsBoundWhileAMailWaits) {
    ProgramSettings mail = QuietSettings();
    mail.notifyByMail = true;
    EngineLimits limits;
    limits.closeBound = 200ms;
    Engine e({Row("\\\\A", "Down")}, mail, limits);
    StoreMailSettings(e.system.store, "127.0.0.9");
    e.system.network.Set("\\\\A", "Down", 1);
    e.system.connectWaits = true;
    ASSERT_TRUE(e.engine.ForceCheck());
    ASSERT_TRUE(e.system.WaitUntilConnecting());
    EXPECT_TRUE(e.engine.End(limits.closeBound));
    EXPECT_EQ(e.view.Reports().back(), "Abandoned the alert for \\\\A@Down: Vigilor is closing");
}

TEST(MonitorEngine, ABatchLosesOnlyWhatALaterEventOfItOverwrites) {
    using Kind = EngineEvent::Kind;
    const auto text = [](Kind kind, std::string text = {}) { return EngineEvent{kind, std::move(text)}; };
    const std::vector<EngineEvent> batch = {
        text(Kind::ReportsCleared), text(Kind::ProgressShown), text(Kind::Progress, "1"),
        text(Kind::Status, "Checking A"), text(Kind::ReportLine, "A is stopped"), text(Kind::Alarm),
        text(Kind::Progress, "2"), text(Kind::Status, "Checking B"), text(Kind::AllClear),
        text(Kind::Light, "red"), text(Kind::Progress, "3"), text(Kind::ProgressHidden),
        text(Kind::Status, ""), text(Kind::Alarm), text(Kind::AlarmsCleared), text(Kind::Light, "green"),
        text(Kind::PassEnded)};
    std::vector<std::string> kept;
    for (const EngineEvent& event : WithoutOverwritten(batch))
        kept.push_back(std::to_string(static_cast<int>(event.kind)) + ":" + event.text);
    const std::vector<EngineEvent> expected = {
        text(Kind::ReportsCleared), text(Kind::ProgressShown), text(Kind::ReportLine, "A is stopped"),
        text(Kind::ProgressHidden), text(Kind::Status, ""), text(Kind::AlarmsCleared), text(Kind::Light, "green"),
        text(Kind::PassEnded)};
    std::vector<std::string> wanted;
    for (const EngineEvent& event : expected)
        wanted.push_back(std::to_string(static_cast<int>(event.kind)) + ":" + event.text);
    EXPECT_EQ(kept, wanted);
}

}  // namespace
}  // namespace vigilor
