#include <gtest/gtest.h>

#include <functional>
#include <optional>

#include "services/service_properties.h"
#include "tests/support/error_of.h"
#include "tests/support/scripted_dialogs.h"
#include "tests/unit/fake_network_platform.h"
#include "tests/unit/fake_service_platform.h"

namespace vigilor {
namespace {

using namespace std::string_literals;
using test::ErrorOf;

// One write as the manager received it, in short.
std::string Summary(const ServiceConfigChange& c) {
    auto text = [](const std::optional<std::string>& t) { return t ? *t : "-"s; };
    // The block up to its closing empty text; the zero fill after it is cut.
    std::string deps;
    for (char ch : c.dependencies.substr(0, c.dependencies.find("\0\0"s) + 2)) deps += ch ? ch : '|';
    return "type " + std::to_string(c.serviceType) + " start " + std::to_string(c.startType) + " error " +
           std::to_string(c.errorControl) + " group " + text(c.loadOrderGroup) + (c.tagId ? "+tag" : "") +
           " deps " + deps + " account " + text(c.serviceStartName) + " password " + text(c.password) + " file " +
           text(c.binaryPathName) + " name " + text(c.displayName);
}

class ServicePropertiesTest : public ::testing::Test {
protected:
    ServicePropertiesTest() {
        auto& svc = manager.AddService("Sched", "Task Scheduler", 4);
        svc.config.serviceType = 0x110;
        svc.config.startType = 3;
        svc.config.errorControl = 3;
        svc.config.binaryPathName = "C:\\sched.exe";
        svc.config.loadOrderGroup = "Base";
        svc.config.tagId = 4294967295u;
        svc.config.dependencies = "RpcSs\0+Net\0\0"s;
        svc.config.serviceStartName = "LocalSystem";
        manager.groupBlock = "Boot Bus\0Base\0\0"s;
    }
    void TearDown() override {
        EXPECT_FALSE(service.ActiveManager()) << "closed between user actions";
        EXPECT_FALSE(service.ActiveService());
        EXPECT_EQ(manager.registryOpen, 0);
    }
    ServiceProperties Read() { return ReadServiceProperties(service, "\\\\HOST", "Sched", " Running"); }
    std::vector<std::string> Writes() const {
        std::vector<std::string> writes;
        for (const ServiceConfigChange& c : manager.changes) writes.push_back(Summary(c));
        return writes;
    }

    test::FakeServicePlatform manager;
    test::FakeNetworkPlatform network;
    TNTService service{manager, network};
};

TEST_F(ServicePropertiesTest, ReadingFillsEveryFieldWithReadRightsOnly) {
    const ServiceProperties p = Read();
    EXPECT_EQ(p.computer, "\\\\HOST");
    EXPECT_EQ(p.serviceName, "Sched");
    EXPECT_EQ(p.displayName, "Task Scheduler");
    EXPECT_EQ(p.binaryFile, "C:\\sched.exe");
    EXPECT_EQ(p.statusText, " Running");
    EXPECT_EQ(p.loadOrderGroups, (std::vector<std::string>{"Boot Bus", "Base"}));
    EXPECT_EQ(p.loadOrder, "Base");
    EXPECT_EQ(p.orderWithinGroup, "4294967295");
    EXPECT_EQ(p.dependencies, (std::vector<std::string>{"RpcSs", "+Net"}));
    EXPECT_EQ(p.account, "LocalSystem");
    EXPECT_EQ(p.password, "****************");
    EXPECT_EQ(p.startup, 3);
    EXPECT_EQ(p.errorControl, 3);
    EXPECT_EQ(p.serviceType, (TServiceTypes{TServiceType::WIN32_OWN_PROCESS, TServiceType::INTERACTIVE_PROCESS}));
    EXPECT_FALSE(p.accountEdited || p.passwordEdited);
    ASSERT_EQ(manager.managerCalls.size(), 1u);
    EXPECT_EQ(manager.managerCalls[0].machine, "\\\\HOST");
    EXPECT_EQ(manager.managerCalls[0].access, 0x0001u);
    EXPECT_EQ(manager.serviceOpens, (std::vector<std::pair<std::string, std::uint32_t>>{{"Sched", 0x0001u}}));
    EXPECT_EQ(manager.registryMachines, (std::vector<std::optional<std::string>>{"\\\\HOST"}));
    EXPECT_TRUE(manager.changes.empty());
}

TEST_F(ServicePropertiesTest, GroupsThatCannotBeReadAreLeftOutSilently) {
    for (long* failing : {&manager.connectResult, &manager.openKeyResult, &manager.queryResult}) {
        *failing = 53;
        const ServiceProperties p = Read();
        EXPECT_TRUE(p.loadOrderGroups.empty());
        EXPECT_EQ(p.loadOrder, "Base") << "the service's own group is still shown";
        *failing = 0;
    }
}

TEST_F(ServicePropertiesTest, AReadTheManagerRefusesRaisesItsTextAndClosesEverything) {
    manager.openServiceError = 5;
    EXPECT_EQ(ErrorOf([&] { Read(); }), "5: message 5\r\n");
    manager.openServiceError = 0;
    manager.queryConfigError = 1722;
    EXPECT_EQ(ErrorOf([&] { Read(); }), "1722: message 1722\r\n");
}

TEST(ServicePropertiesColour, BlueOnlyForARunningService) {
    EXPECT_TRUE(ShowsRunning(" Running"));
    EXPECT_TRUE(ShowsRunning("Running  "));
    for (const char* state : {" Stopped", " Starting", " Stopping", " Paused", " Pausing", " Continueing", ""})
        EXPECT_FALSE(ShowsRunning(state)) << state;
}

TEST_F(ServicePropertiesTest, OneWritePerChangedFieldInTheFixedOrder) {
    const std::string deps = "deps RpcSs|+Net||";
    const std::string read = "type 272 start 3 error 3 group Base+tag " + deps +
                             " account LocalSystem password - file C:\\sched.exe name Task Scheduler";
    auto with = [&](std::string text, const std::string& from, const std::string& to) {
        return text.replace(text.find(from), from.size(), to);
    };
    struct Case {
        const char* what;
        std::function<void(ServiceProperties&)> edit;
        std::vector<std::string> writes;
    } cases[] = {
        {"nothing edited: the dependencies alone, with the values just read", [](ServiceProperties&) {}, {read}},
        {"Manual to Automatic",
         [](ServiceProperties& p) { p.startup = 2; },
         {with(read, "start 3", "start 2"), with(read, "start 3", "start 2")}},
        {"error control Severe",
         [](ServiceProperties& p) { p.errorControl = 2; },
         {with(read, "error 3", "error 2"), with(read, "error 3", "error 2")}},
        {"no startup item selected: unchanged", [](ServiceProperties& p) { p.startup = -1; }, {read}},
        {"every type box unticked",
         [](ServiceProperties& p) { p.serviceType = {}; },
         {with(read, "type 272", "type 0"), with(read, "type 272", "type 0")}},
        {"a group typed that is not listed",
         [](ServiceProperties& p) { p.loadOrder = "My Group"; },
         {with(read, "group Base", "group My Group"), with(read, "group Base", "group My Group")}},
        {"an emptied group is sent as none",
         [](ServiceProperties& p) { p.loadOrder = ""; },
         {with(read, "group Base+tag", "group -"), with(read, "group Base+tag", "group -")}},
        {"password typed alone: the typed password with the unchanged account",
         [](ServiceProperties& p) {
             p.password = "s3cret";
             p.passwordEdited = true;
         },
         {read, with(read, "password -", "password s3cret")}},
        {"account edited alone: no password sent, the stored one stays",
         [](ServiceProperties& p) {
             p.account = ".\\Operator";
             p.accountEdited = true;
         },
         {read, with(read, "account LocalSystem", "account .\\Operator")}},
        {"password field typed in and put back: no password either",
         [](ServiceProperties& p) { p.passwordEdited = true; },
         {read}},
        {"account and password: the password first, then the account",
         [](ServiceProperties& p) {
             p.account = ".\\Operator";
             p.password = "s3cret";
             p.accountEdited = p.passwordEdited = true;
         },
         {read, with(read, "password -", "password s3cret"),
          with(with(read, "password -", "password s3cret"), "account LocalSystem", "account .\\Operator")}},
    };
    for (const Case& c : cases) {
        manager.changes.clear();
        manager.serviceOpens.clear();
        manager.managerCalls.clear();
        ServiceProperties p = Read();
        c.edit(p);
        WriteServiceProperties(service, p);
        EXPECT_EQ(Writes(), c.writes) << c.what;
        ASSERT_EQ(manager.managerCalls.size(), 2u) << c.what;
        EXPECT_EQ(manager.managerCalls[1].access, 0x0021u);
        EXPECT_EQ(manager.serviceOpens[1], (std::pair<std::string, std::uint32_t>{"Sched", 0xF01FFu}));
        EXPECT_FALSE(service.ActiveService()) << c.what;
    }
}

TEST_F(ServicePropertiesTest, TheChangeGoesToTheServiceTheDialogWasFilledFor) {
    ServiceProperties p = Read();
    // Meanwhile a reload of the list uses the component for other work.
    service.SetServiceName("Other");
    service.SetMachineName("\\\\ELSEWHERE");
    WriteServiceProperties(service, p);
    EXPECT_EQ(manager.serviceOpens.back().first, "Sched");
    EXPECT_EQ(manager.managerCalls.back().machine, "\\\\HOST");
}

// The dialog and the reload, as the command sees them.
class ScriptedHost : public ServicePropertiesHost {
public:
    bool change = true;
    std::function<void(ServiceProperties&)> edit = [](ServiceProperties&) {};
    std::vector<ServiceProperties> shown;
    int reloads = 0;

    bool EditProperties(ServiceProperties& properties) override {
        shown.push_back(properties);
        edit(properties);
        return change;
    }
    void ReloadServices() override { ++reloads; }
};

TEST_F(ServicePropertiesTest, TheCommandWritesOnlyAfterChangeAndTheWarningsOk) {
    struct Case {
        const char* what;
        bool change;
        std::optional<BoxAnswer> warning;
        unsigned long writeError;
        size_t warnings, writes;
        int reloads;
        const char* error;
    } cases[] = {
        {"Cancel in the dialog", false, std::nullopt, 0, 0, 0, 0, "(no error)"},
        {"Cancel in the warning", true, BoxAnswer::Cancel, 0, 1, 0, 0, "(no error)"},
        {"OK in the warning", true, BoxAnswer::Ok, 0, 1, 2, 1, "(no error)"},
        {"a refused write", true, BoxAnswer::Ok, 87, 1, 1, 0, "87: message 87\r\n"},
    };
    for (const Case& c : cases) {
        manager.changes.clear();
        manager.changeConfigError = c.writeError;
        ScriptedHost host;
        host.change = c.change;
        host.edit = [](ServiceProperties& p) { p.startup = 2; };
        test::ScriptedDialogs dialogs;
        if (c.warning) dialogs.answers.push_back(*c.warning);
        EXPECT_EQ(ErrorOf([&] { ViewServiceProperties(service, host, dialogs, "\\\\HOST", "Sched", " Stopped"); }),
                  c.error)
            << c.what;
        ASSERT_EQ(host.shown.size(), 1u) << c.what;
        EXPECT_EQ(host.shown[0].statusText, " Stopped");
        ASSERT_EQ(dialogs.shown.size(), c.warnings) << c.what;
        if (c.warnings) {
            EXPECT_EQ(dialogs.shown[0].text,
                      "Are you sure to change service properties?. It may cause system damage !");
            EXPECT_EQ(dialogs.shown[0].caption, "Warning");
            EXPECT_EQ(dialogs.shown[0].icon, BoxIcon::Question);
            EXPECT_EQ(dialogs.shown[0].buttons, BoxButtons::OkCancel);
            EXPECT_TRUE(dialogs.shown[0].owned);
        }
        EXPECT_EQ(manager.changes.size(), c.writes) << c.what;
        EXPECT_EQ(host.reloads, c.reloads) << c.what;
    }
}

TEST_F(ServicePropertiesTest, NoDialogWhenTheServiceCannotBeRead) {
    manager.openManagerError = 1722;
    ScriptedHost host;
    test::ScriptedDialogs dialogs;
    EXPECT_EQ(ErrorOf([&] { ViewServiceProperties(service, host, dialogs, "\\\\GONE", "Sched", " Running"); }),
              "1722: message 1722\r\n");
    EXPECT_TRUE(host.shown.empty());
}

TEST(ServicePropertiesMemo, LinesOfTheMemoText) {
    const std::pair<const char*, std::vector<std::string>> cases[] = {
        {"", {}},
        {"RpcSs", {"RpcSs"}},
        {"RpcSs\r\n+Net", {"RpcSs", "+Net"}},
        {"RpcSs\r\n+Net\r\n", {"RpcSs", "+Net"}},
        {"A\nB\rC", {"A", "B", "C"}},
        {"\r\n", {""}},
    };
    for (const auto& [text, lines] : cases) EXPECT_EQ(TextLines(text), lines) << text;
    EXPECT_EQ(JoinLines({"RpcSs", "+Net"}), "RpcSs\r\n+Net");
    EXPECT_EQ(JoinLines({}), "");
}

}  // namespace
}  // namespace vigilor
