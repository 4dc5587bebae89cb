#include <gtest/gtest.h>

#include "tests/support/error_of.h"

#include "platform/app_error.h"
#include "services/nt_service.h"
#include "tests/unit/fake_network_platform.h"
#include "tests/unit/fake_service_platform.h"

namespace vigilor {
namespace {

using namespace std::string_literals;
using enum TDesiredManagerAccess;
using enum TDesiredServiceAccess;

using test::ErrorOf;

class NTServiceTest : public ::testing::Test {
protected:
    NTServiceTest() {
        auto& spooler = manager.AddService("Spooler", "Print Spooler", 4);
        spooler.config.binaryPathName = "C:\\windows\\system32\\spoolsv.exe";
        spooler.config.startType = 2;
        spooler.config.errorControl = 3;
        spooler.config.serviceStartName = "LocalSystem";
        manager.AddService("Plain", "Plain Service");
    }
    void OpenService(const std::string& key) {
        service.SetServiceName(key);
        service.SetActiveService(true);
    }
    test::FakeServicePlatform manager;
    test::FakeNetworkPlatform network;
    TNTService service{manager, network};
};

TEST_F(NTServiceTest, DefaultsAtCreation) {
    EXPECT_FALSE(service.ActiveManager());
    EXPECT_FALSE(service.ActiveService());
    EXPECT_EQ(service.ManagerAccess(), TManagerAccess{M_CONNECT});
    EXPECT_EQ(service.ServiceAccess(), TServiceAccess{S_ALL_ACCESS});
    EXPECT_EQ(service.StartType(), TStartType::BOOT_START);
    EXPECT_EQ(service.ErrorControl(), TErrorType::ERROR_IGNORE);
    EXPECT_TRUE(service.ServiceType().Empty());
    EXPECT_EQ(service.TagId(), 0u);
    EXPECT_TRUE(service.Dependencies().empty());
}

TEST_F(NTServiceTest, BlankMachineOpensTheLocalManagerOtherNamesGoUntrimmed) {
    service.SetMachineName("   ");
    service.SetActiveManager(true);
    service.SetActiveManager(false);
    service.SetMachineName(" \\\\HOST ");
    service.SetDatabaseName("ServicesActive");
    service.SetManagerAccess({M_CONNECT, M_ENUMERATE_SERVICE});
    service.SetActiveManager(true);
    ASSERT_EQ(manager.managerCalls.size(), 2u);
    EXPECT_EQ(manager.managerCalls[0].machine, std::nullopt);
    EXPECT_EQ(manager.managerCalls[0].database, std::nullopt);
    EXPECT_EQ(manager.managerCalls[0].access, 0x0001u);
    EXPECT_EQ(manager.managerCalls[1].machine, " \\\\HOST ");
    EXPECT_EQ(manager.managerCalls[1].database, "ServicesActive");
    EXPECT_EQ(manager.managerCalls[1].access, 0x0005u);
}

TEST_F(NTServiceTest, ParametersAreRefusedWhileOpen) {
    service.SetMachineName("\\\\HOST");
    service.SetActiveManager(true);
    const std::string managerActive = "Can not change parameter when CONTROL SERVICE MANAGER is active";
    EXPECT_EQ(ErrorOf([&] { service.SetMachineName("\\\\OTHER"); }), managerActive);
    EXPECT_EQ(ErrorOf([&] { service.SetDatabaseName("Other"); }), managerActive);
    EXPECT_EQ(ErrorOf([&] { service.SetManagerAccess({M_CONNECT}); }), managerActive) << "even the same rights";
    EXPECT_EQ(service.MachineName(), "\\\\HOST");
    // Equal names are no change and pass.
    service.SetMachineName("\\\\HOST");
    service.SetDatabaseName("");
    service.SetActiveManager(false);
    service.SetManagerAccess({M_CONNECT, M_ENUMERATE_SERVICE});
    service.SetMachineName("\\\\OTHER");
    EXPECT_EQ(service.MachineName(), "\\\\OTHER");
}

TEST_F(NTServiceTest, ServiceAccessIsRefusedOnlyWhileAServiceIsOpen) {
    service.SetActiveManager(true);
    service.SetServiceAccess({S_QUERY_CONFIG});
    OpenService("Plain");
    EXPECT_EQ(ErrorOf([&] { service.SetServiceAccess({S_QUERY_CONFIG}); }),
              "Can not change parameter when SERVICE is active");
    EXPECT_EQ(manager.serviceOpens.back(), std::make_pair("Plain"s, 0x0001u));
}

TEST_F(NTServiceTest, OpeningAServiceOpensTheManagerAndReadsTheConfiguration) {
    manager.services["Spooler"].config.dependencies = "RPCSS\0http\0\0"s;
    manager.services["Spooler"].config.serviceType = 0x110 | 0x1000;
    service.SetPassword("typed");
    OpenService("Spooler");
    EXPECT_TRUE(service.ActiveManager());
    EXPECT_TRUE(service.ActiveService());
    EXPECT_EQ(service.DisplayName(), "Print Spooler");
    EXPECT_EQ(service.BinaryPathName(), "C:\\windows\\system32\\spoolsv.exe");
    EXPECT_EQ(service.StartType(), TStartType::AUTO_START);
    EXPECT_EQ(service.ErrorControl(), TErrorType::ERROR_CRITICAL);
    EXPECT_EQ(service.ServiceType(),
              (TServiceTypes{TServiceType::WIN32_OWN_PROCESS, TServiceType::INTERACTIVE_PROCESS}));
    EXPECT_EQ(service.ServiceStartName(), "LocalSystem");
    EXPECT_EQ(service.Password(), "");
    EXPECT_EQ(service.Dependencies(), (std::vector<std::string>{"RPCSS", "http"}));
    EXPECT_TRUE(manager.changes.empty()) << "reading writes nothing back";
}

TEST_F(NTServiceTest, OddCodesReadByTheTables) {
    manager.services["Plain"].config.startType = 7;
    manager.services["Plain"].config.errorControl = 9;
    OpenService("Plain");
    EXPECT_EQ(service.StartType(), TStartType::DEMAND_START);
    EXPECT_EQ(service.ErrorControl(), TErrorType::ERROR_NORMAL);
}

TEST_F(NTServiceTest, FailuresRaiseTheSystemErrorText) {
    manager.openManagerError = 5;
    EXPECT_EQ(ErrorOf([&] { service.SetActiveManager(true); }), "5: message 5\r\n");
    EXPECT_FALSE(service.ActiveManager());
    manager.openManagerError = 0;
    EXPECT_EQ(ErrorOf([&] { OpenService("Missing"); }), "1060: message 1060\r\n");
    EXPECT_TRUE(service.ActiveManager());
    EXPECT_FALSE(service.ActiveService());
    manager.queryConfigError = 122;
    EXPECT_EQ(ErrorOf([&] { OpenService("Plain"); }), "122: message 122\r\n");
    EXPECT_TRUE(service.ActiveService()) << "the service stays open after a failed read";
}

TEST_F(NTServiceTest, AFailureWithoutAnErrorCodeLetsTheOperationGoOn) {
    manager.openManagerError = 0;
    struct ZeroErrorManager : test::FakeServicePlatform {
        ScHandle OpenManager(const std::optional<std::string>&, const std::optional<std::string>&,
                             std::uint32_t) override {
            lastError = 0;
            return nullptr;
        }
    } silent;
    TNTService quiet(silent, network);
    EXPECT_NO_THROW(quiet.SetActiveManager(true));
    EXPECT_FALSE(quiet.ActiveManager());
}

TEST_F(NTServiceTest, CloseFailuresKeepTheState) {
    OpenService("Plain");
    manager.closeError = 6;
    EXPECT_EQ(ErrorOf([&] { service.SetActiveService(false); }), "6: message 6\r\n");
    EXPECT_TRUE(service.ActiveService());
    EXPECT_EQ(ErrorOf([&] { service.SetActiveManager(false); }), "6: message 6\r\n");
    EXPECT_TRUE(service.ActiveManager());
    manager.closeError = 0;
}

TEST_F(NTServiceTest, ClosingTheManagerLeavesTheServiceOpen) {
    OpenService("Plain");
    service.SetActiveManager(false);
    EXPECT_FALSE(service.ActiveManager());
    EXPECT_TRUE(service.ActiveService());
    service.SetActiveService(false);
    EXPECT_TRUE(manager.OpenHandles().empty());
}

TEST_F(NTServiceTest, DestroyingClosesServiceThenManager) {
    {
        TNTService local(manager, network);
        local.SetServiceName("Plain");
        local.SetActiveService(true);
        EXPECT_EQ(manager.OpenHandles().size(), 2u);
    }
    EXPECT_TRUE(manager.OpenHandles().empty());
}

TEST_F(NTServiceTest, EachChangedPropertyWritesTheWholeConfigurationOnce) {
    OpenService("Spooler");
    service.SetStartType(TStartType::AUTO_START);  // unchanged
    service.SetDisplayName("Print Spooler");        // unchanged
    EXPECT_EQ(manager.changes.size(), 0u);
    service.SetStartType(TStartType::DISABLED);
    service.SetErrorControl(TErrorType::ERROR_SEVERE);
    service.SetDisplayName("Printer queue");
    service.SetPassword("secret");
    ASSERT_EQ(manager.changes.size(), 4u);
    EXPECT_EQ(manager.changes[0].startType, 4u);
    EXPECT_EQ(manager.changes[0].errorControl, 3u) << "each write carries every field as held then";
    EXPECT_EQ(manager.changes[1].errorControl, 2u);
    EXPECT_EQ(manager.changes[2].displayName, "Printer queue");
    EXPECT_EQ(manager.changes[2].password, std::nullopt) << "an empty password leaves it unchanged";
    EXPECT_EQ(manager.changes[3].password, "secret");
    EXPECT_EQ(manager.changes[3].serviceType, 0x10u);
    EXPECT_EQ(manager.changes[3].binaryPathName, "C:\\windows\\system32\\spoolsv.exe");
    EXPECT_EQ(manager.changes[3].serviceStartName, "LocalSystem");
}

TEST_F(NTServiceTest, DependenciesAlwaysWriteAndEmptyIsAnEmptyBlock) {
    OpenService("Plain");
    EXPECT_TRUE(service.Dependencies().empty());
    service.SetDependencies({});
    service.SetDependencies({});
    service.SetDependencies({"RpcSs", "EventLog"});
    ASSERT_EQ(manager.changes.size(), 3u);
    EXPECT_EQ(manager.changes[0].dependencies.size(), 16384u);
    EXPECT_EQ(manager.changes[0].dependencies.find_first_not_of('\0'), std::string::npos);
    EXPECT_EQ(manager.changes[2].dependencies.substr(0, 17), "RpcSs\0EventLog\0\0\0"s);
    EXPECT_EQ(manager.changes[0].binaryPathName, std::nullopt) << "empty texts leave their fields unchanged";
    EXPECT_EQ(manager.changes[0].loadOrderGroup, std::nullopt);
    EXPECT_EQ(manager.changes[0].serviceStartName, std::nullopt);
}

TEST_F(NTServiceTest, TagPointerOnlyWithAGroup) {
    OpenService("Plain");
    service.SetTagId(3);
    ASSERT_EQ(manager.changes.size(), 1u);
    EXPECT_EQ(manager.changes[0].tagId, nullptr);
    EXPECT_EQ(service.TagId(), 3u);
    service.SetLoadOrder("PNP_TDI");
    ASSERT_EQ(manager.changes.size(), 2u);
    EXPECT_NE(manager.changes[1].tagId, nullptr);
    EXPECT_EQ(manager.changes[1].loadOrderGroup, "PNP_TDI");
    EXPECT_EQ(service.TagId(), manager.assignedTag) << "the manager's tag lands in TagId";
}

TEST_F(NTServiceTest, AFailedWriteStopsTheSequence) {
    OpenService("Plain");
    manager.changeConfigError = 1057;
    EXPECT_EQ(ErrorOf([&] { service.SetServiceStartName(".\\nobody"); }), "1057: message 1057\r\n");
    EXPECT_EQ(service.ServiceStartName(), ".\\nobody") << "the value is held even though the write failed";
    EXPECT_EQ(manager.changes.size(), 1u);
}

TEST_F(NTServiceTest, ClosedServiceWritesNothing) {
    service.SetStartType(TStartType::DISABLED);
    service.SetDependencies({"A"});
    EXPECT_TRUE(manager.changes.empty());
}

TEST_F(NTServiceTest, StartClosesTheServiceOnSuccessAndKeepsItOnFailure) {
    service.SetServiceName("Plain");
    service.Start();
    EXPECT_EQ(manager.starts, 1);
    EXPECT_TRUE(service.ActiveManager());
    EXPECT_FALSE(service.ActiveService());
    manager.services["Plain"].startError = 1058;
    EXPECT_EQ(ErrorOf([&] { service.Start(); }), "1058: message 1058\r\n");
    EXPECT_TRUE(service.ActiveService());
}

TEST_F(NTServiceTest, ControlNeedsAnOpenService) {
    EXPECT_EQ(ErrorOf([&] { service.Control(TServiceControl::CONTROL_STOP); }), "6: message 6\r\n");
    OpenService("Spooler");
    service.Control(TServiceControl::CONTROL_STOP);
    EXPECT_EQ(manager.controls, (std::vector<std::uint32_t>{1u, 1u}));
    manager.controlError = 1062;
    EXPECT_EQ(ErrorOf([&] { service.Control(TServiceControl::CONTROL_STOP); }), "1062: message 1062\r\n");
}

class EnumerationTest : public NTServiceTest {
protected:
    void AddMany(int count) {
        for (int i = 0; i < count; ++i) {
            const std::string key = "Svc" + std::to_string(1000 + i);
            manager.AddService(key, key + " with a long display name for a full buffer", i % 2 ? 4 : 1);
        }
    }
    std::vector<std::string> Keys(const TEnumList& list) {
        std::vector<std::string> keys;
        for (int i = 0; i < list.Count(); ++i) keys.push_back(list.Items(i).ServiceName);
        return keys;
    }
    const TEnumStates all{TEnumState::ENUM_ACTIVE, TEnumState::ENUM_INACTIVE};
    const TEnumKinds win32{TEnumKind::ENUM_WIN32};
};

TEST_F(EnumerationTest, EntriesCopyTheRecordsInTheManagersOrder) {
    manager.services["Spooler"].statuses = {ServiceStatusRecord{0x110, 4, 0x5 | 0x80, 1, 2, 3, 4}};
    const TEnumList list = service.EnumServices(all, win32);
    EXPECT_TRUE(service.ActiveManager()) << "the manager stays open";
    ASSERT_EQ(Keys(list), (std::vector<std::string>{"Spooler", "Plain"}));
    const TServiceStatusClass& e = list.Items(0);
    EXPECT_EQ(e.DisplayName, "Print Spooler");
    EXPECT_EQ(e.CurrentState, TCurrentState::STATE_RUNNING);
    EXPECT_EQ(e.ServiceType, (TServiceTypes{TServiceType::WIN32_OWN_PROCESS, TServiceType::INTERACTIVE_PROCESS}));
    EXPECT_EQ(e.ControlsAccepted,
              (TControlsAccepted{TControlAccepted::ACCEPT_STOP, TControlAccepted::ACCEPT_SHUTDOWN}));
    EXPECT_EQ(e.Win32ExitCode, 1u);
    EXPECT_EQ(e.ServiceSpecificExitCode, 2u);
    EXPECT_EQ(e.CheckPoint, 3u);
    EXPECT_EQ(e.WaitHint, 4u);
    EXPECT_EQ(manager.enumBufferSizes, std::vector<std::uint32_t>{32768});
}

TEST_F(EnumerationTest, RecordsWithoutKeyNameAreSkippedAndNoneGivesAnEmptyList) {
    manager.extraRecords.push_back({"", "Nameless", {}});
    EXPECT_EQ(service.EnumServices(all, win32).Count(), 2);
    manager.services.clear();
    manager.order.clear();
    manager.extraRecords.clear();
    EXPECT_EQ(service.EnumServices(all, win32).Count(), 0);
}

TEST_F(EnumerationTest, ManyServicesAreFollowedThroughTheResumeHandle) {
    AddMany(600);
    const TEnumList list = service.EnumServices(all, win32);
    ASSERT_EQ(list.Count(), 602);
    EXPECT_EQ(Keys(list), manager.order);
    EXPECT_GT(manager.enumBufferSizes.size(), 2u);
    for (std::uint32_t size : manager.enumBufferSizes) EXPECT_EQ(size, 32768u);
}

TEST_F(EnumerationTest, AManagerThatCannotResumeIsAskedAgainWithTheSizeItNeeds) {
    AddMany(600);
    manager.enumResumes = false;
    const TEnumList list = service.EnumServices(all, win32);
    EXPECT_EQ(Keys(list), manager.order) << "nothing twice, nothing lost";
    ASSERT_EQ(manager.enumBufferSizes.size(), 2u);
    EXPECT_GT(manager.enumBufferSizes[1], 32768u);
}

TEST_F(EnumerationTest, OtherFailuresRaise) {
    manager.enumError = 5;
    EXPECT_EQ(ErrorOf([&] { service.EnumServices(all, win32); }), "5: message 5\r\n");
}

TEST_F(EnumerationTest, AnEntryLargerThanAnyBufferEndsInTheMoreDataError) {
    manager.AddService("Huge", std::string(9u << 20, 'x'));
    manager.enumResumes = false;
    EXPECT_EQ(ErrorOf([&] { service.EnumServices(all, win32); }), "234: message 234\r\n");
}

TEST_F(EnumerationTest, AManagerThatNeverEndsItsListIsGivenUp) {
    manager.enumNeverEnds = true;
    EXPECT_EQ(ErrorOf([&] { service.EnumServices(all, win32); }), "The service manager's list of services does not end");
    EXPECT_EQ(manager.enumBufferSizes.size(), 4096u);
}

TEST_F(NTServiceTest, LoadOrderGroupsComeFromTheComputersRegistry) {
    manager.groupBlock = "System Reserved\0Boot Bus Extender\0\0"s;
    service.SetMachineName("\\\\HOST");
    std::vector<std::string> groups{"stale"};
    service.ListLoadOrderGroups(&groups);
    EXPECT_EQ(groups, (std::vector<std::string>{"System Reserved", "Boot Bus Extender"}));
    EXPECT_EQ(manager.registryMachines.back(), "\\\\HOST");
    EXPECT_EQ(manager.registryPaths.back(), "System\\CurrentControlSet\\Control\\ServiceGroupOrder");
    EXPECT_EQ(manager.registryOpen, 0) << "both keys closed";
    EXPECT_FALSE(service.ActiveManager()) << "the manager is not needed";
    service.ListLoadOrderGroups(nullptr);
}

TEST_F(NTServiceTest, LoadOrderGroupFailuresRaiseTheirCodesAndCloseTheKeys) {
    std::vector<std::string> groups;
    manager.connectResult = 53;
    EXPECT_EQ(ErrorOf([&] { service.ListLoadOrderGroups(&groups); }), "53: message 53\r\n");
    manager.connectResult = 0;
    manager.openKeyResult = 2;
    EXPECT_EQ(ErrorOf([&] { service.ListLoadOrderGroups(&groups); }), "2: message 2\r\n");
    manager.openKeyResult = 0;
    manager.queryResult = 234;
    EXPECT_EQ(ErrorOf([&] { service.ListLoadOrderGroups(&groups); }), "234: message 234\r\n");
    EXPECT_EQ(manager.registryOpen, 0);
}

}  // namespace
}  // namespace vigilor
