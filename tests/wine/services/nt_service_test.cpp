// The service-control component against the real service manager.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "net/network_platform_win.h"
#include "platform/app_error.h"
#include "platform/system_error_win.h"
#include "platform/wide_win.h"
#include "services/nt_service.h"
#include "services/service_platform_win.h"
#include "tests/support/test_service_win.h"

namespace vigilor {
namespace {

using test::InstalledTestService;
using enum TDesiredManagerAccess;
using enum TDesiredServiceAccess;

const TEnumStates kAllStates{TEnumState::ENUM_ACTIVE, TEnumState::ENUM_INACTIVE};
const TEnumKinds kWin32{TEnumKind::ENUM_WIN32};

std::string SystemText(unsigned long code) {
    Win32SystemErrors errors;
    return SystemErrorText(errors, code);
}

std::vector<std::string> WithoutOtherTests(std::vector<std::string> keys);

// The manager's own listing, taken with a buffer large enough for all.
std::vector<std::string> DirectListing() {
    SC_HANDLE manager = OpenSCManagerW(nullptr, nullptr, SC_MANAGER_ENUMERATE_SERVICE);
    std::vector<BYTE> buffer(4u << 20);
    DWORD needed = 0, returned = 0, resume = 0;
    std::vector<std::string> keys;
    if (EnumServicesStatusW(manager, SERVICE_WIN32, SERVICE_STATE_ALL,
                            reinterpret_cast<ENUM_SERVICE_STATUSW*>(buffer.data()), static_cast<DWORD>(buffer.size()),
                            &needed, &returned, &resume)) {
        const auto* entries = reinterpret_cast<ENUM_SERVICE_STATUSW*>(buffer.data());
        for (DWORD i = 0; i < returned; ++i) keys.push_back(Narrow(entries[i].lpServiceName));
    }
    CloseServiceHandle(manager);
    return WithoutOtherTests(keys);
}

// Test services of other test programs may come and go meanwhile; the
// comparisons leave them out.
bool OfOtherTestProgram(const std::string& key) {
    return key.rfind("VigilorTest_", 0) == 0 &&
           key.find("_" + std::to_string(GetCurrentProcessId()) + "_") == std::string::npos;
}

std::vector<std::string> WithoutOtherTests(std::vector<std::string> keys) {
    std::erase_if(keys, OfOtherTestProgram);
    return keys;
}

std::vector<std::string> Keys(const TEnumList& list) {
    std::vector<std::string> keys;
    for (int i = 0; i < list.Count(); ++i) keys.push_back(list.Items(i).ServiceName);
    return WithoutOtherTests(keys);
}

QUERY_SERVICE_CONFIGW* ReadConfig(const std::string& key, std::vector<BYTE>& buffer) {
    SC_HANDLE manager = OpenSCManagerW(nullptr, nullptr, SC_MANAGER_CONNECT);
    SC_HANDLE service = OpenServiceW(manager, Wide(key).c_str(), SERVICE_QUERY_CONFIG);
    buffer.assign(16384, 0);
    DWORD needed = 0;
    auto* config = reinterpret_cast<QUERY_SERVICE_CONFIGW*>(buffer.data());
    const BOOL ok = QueryServiceConfigW(service, config, static_cast<DWORD>(buffer.size()), &needed);
    CloseServiceHandle(service);
    CloseServiceHandle(manager);
    return ok ? config : nullptr;
}

class RealServiceManager : public ::testing::Test {
protected:
    TNTService service{SystemServices(), SystemNetwork()};
};

TEST_F(RealServiceManager, EnumerationListsTheWin32ServicesInTheManagersOrder) {
    InstalledTestService mine("run");
    ASSERT_TRUE(mine.StartAndWaitFor(SERVICE_RUNNING));
    service.SetManagerAccess({M_CONNECT, M_ENUMERATE_SERVICE});
    const TEnumList list = service.EnumServices(kAllStates, kWin32);
    EXPECT_TRUE(service.ActiveManager());
    EXPECT_EQ(Keys(list), DirectListing());
    bool sawSpooler = false, sawMine = false;
    for (int i = 0; i < list.Count(); ++i) {
        const TServiceStatusClass& e = list.Items(i);
        EXPECT_FALSE(e.ServiceType.Contains(TServiceType::KERNEL_DRIVER)) << e.ServiceName;
        EXPECT_FALSE(e.ServiceType.Contains(TServiceType::FILE_SYSTEM_DRIVER)) << e.ServiceName;
        if (e.ServiceName == "Spooler") sawSpooler = e.DisplayName == "Print Spooler";
        if (e.ServiceName == mine.KeyName()) {
            sawMine = true;
            EXPECT_EQ(e.DisplayName, mine.DisplayName());
            EXPECT_EQ(e.CurrentState, TCurrentState::STATE_RUNNING);
            EXPECT_TRUE(e.ControlsAccepted.Contains(TControlAccepted::ACCEPT_STOP));
        }
    }
    EXPECT_TRUE(sawSpooler);
    EXPECT_TRUE(sawMine);
    service.SetActiveManager(false);
}

TEST_F(RealServiceManager, EnumerationGoesOnPastTheFirstBufferFull) {
    // About 600 bytes a service: 80 of them need more than the 32 KB of
    // the first call.
    std::vector<std::unique_ptr<InstalledTestService>> many;
    for (int i = 0; i < 80; ++i)
        many.push_back(std::make_unique<InstalledTestService>(
            "run", SERVICE_DEMAND_START, test::UniqueServiceName("many") + std::string(240, 'd')));
    service.SetManagerAccess({M_CONNECT, M_ENUMERATE_SERVICE});
    const TEnumList list = service.EnumServices(kAllStates, kWin32);
    const std::vector<std::string> direct = DirectListing();
    EXPECT_GE(direct.size(), 80u);
    EXPECT_EQ(Keys(list), direct);
    service.SetActiveManager(false);
}

TEST_F(RealServiceManager, ReadsAndWritesTheConfiguration) {
    InstalledTestService mine("run");
    service.SetServiceName(mine.KeyName());
    service.SetActiveService(true);
    EXPECT_TRUE(service.ActiveManager());
    EXPECT_EQ(service.DisplayName(), mine.DisplayName());
    EXPECT_NE(service.BinaryPathName().find("vigilor_test_service.exe\" run"), std::string::npos)
        << service.BinaryPathName();
    EXPECT_EQ(service.StartType(), TStartType::DEMAND_START);
    EXPECT_EQ(service.ErrorControl(), TErrorType::ERROR_NORMAL);
    EXPECT_EQ(service.ServiceType(), TServiceTypes{TServiceType::WIN32_OWN_PROCESS});
    EXPECT_TRUE(service.Dependencies().empty());

    service.SetStartType(TStartType::DISABLED);
    service.SetErrorControl(TErrorType::ERROR_CRITICAL);
    // Wine's manager does not report dependencies back, so their block is
    // checked by the unit tests; here the write must simply be accepted.
    service.SetDependencies({"Spooler", "RpcSs"});
    std::vector<BYTE> buffer;
    QUERY_SERVICE_CONFIGW* config = ReadConfig(mine.KeyName(), buffer);
    ASSERT_NE(config, nullptr);
    EXPECT_EQ(config->dwStartType, static_cast<DWORD>(SERVICE_DISABLED));
    EXPECT_EQ(config->dwErrorControl, static_cast<DWORD>(SERVICE_ERROR_CRITICAL));
    EXPECT_EQ(Narrow(config->lpBinaryPathName), service.BinaryPathName()) << "left as it was";
    service.SetDependencies({});

    service.SetActiveService(false);
    service.SetActiveManager(false);
    service.SetServiceName(mine.KeyName());
    service.SetActiveService(true);
    EXPECT_EQ(service.StartType(), TStartType::DISABLED);
    EXPECT_EQ(service.ErrorControl(), TErrorType::ERROR_CRITICAL);
    service.SetActiveService(false);
    service.SetActiveManager(false);
}

TEST_F(RealServiceManager, StartAndStopThroughTheComponent) {
    InstalledTestService mine("run");
    service.SetManagerAccess({M_CONNECT, M_ENUMERATE_SERVICE});
    service.SetServiceName(mine.KeyName());
    service.Start();
    EXPECT_FALSE(service.ActiveService()) << "closed after the request";
    EXPECT_TRUE(mine.WaitForState(SERVICE_RUNNING, 10000));
    service.SetActiveService(true);
    service.Control(TServiceControl::CONTROL_STOP);
    EXPECT_TRUE(mine.WaitForState(SERVICE_STOPPED, 10000));
    try {
        service.Control(TServiceControl::CONTROL_STOP);
        FAIL() << "stopping a stopped service is refused";
    } catch (const AppError& e) {
        EXPECT_EQ(std::string(e.what()), SystemText(ERROR_SERVICE_NOT_ACTIVE));
    }
    service.SetActiveService(false);
    service.SetActiveManager(false);
}

TEST_F(RealServiceManager, AStopRequestThatTheServiceIgnoresIsNoError) {
    InstalledTestService deaf("ignore-stop");
    ASSERT_TRUE(deaf.StartAndWaitFor(SERVICE_RUNNING));
    service.SetServiceName(deaf.KeyName());
    service.SetActiveService(true);
    EXPECT_NO_THROW(service.Control(TServiceControl::CONTROL_STOP));
    EXPECT_FALSE(deaf.WaitForState(SERVICE_STOPPED, 500));
    EXPECT_EQ(deaf.State(), static_cast<DWORD>(SERVICE_RUNNING));
    service.SetActiveService(false);
    service.SetActiveManager(false);
}

TEST_F(RealServiceManager, RefusalsCarryTheCodeAndTheSystemText) {
    InstalledTestService disabled("run", SERVICE_DISABLED);
    service.SetServiceName(disabled.KeyName());
    try {
        service.Start();
        FAIL() << "a disabled service starts";
    } catch (const AppError& e) {
        EXPECT_EQ(std::string(e.what()), SystemText(ERROR_SERVICE_DISABLED));
        EXPECT_EQ(std::string(e.what()).rfind("1058: ", 0), 0u) << e.what();
    }
    EXPECT_TRUE(service.ActiveService());
    service.SetActiveService(false);
    service.SetServiceName(test::UniqueServiceName("missing"));
    try {
        service.SetActiveService(true);
        FAIL() << "a missing service opens";
    } catch (const AppError& e) {
        EXPECT_EQ(std::string(e.what()), SystemText(ERROR_SERVICE_DOES_NOT_EXIST));
    }
    service.SetActiveManager(false);
    service.SetDatabaseName("NoSuchDatabase");
    EXPECT_THROW(service.SetActiveManager(true), AppError);
    EXPECT_FALSE(service.ActiveManager());
}

TEST_F(RealServiceManager, LoadOrderGroupsOfThisAndOfAMissingComputer) {
    std::vector<std::string> groups{"stale"};
    try {
        service.ListLoadOrderGroups(&groups);
    } catch (const AppError& e) {
        // A prefix without the group list answers that the value is missing.
        EXPECT_EQ(std::string(e.what()), SystemText(ERROR_FILE_NOT_FOUND));
    }
    service.SetMachineName("\\\\NO-SUCH-COMPUTER");
    try {
        service.ListLoadOrderGroups(&groups);
        FAIL() << "a missing computer's registry opens";
    } catch (const AppError& e) {
        EXPECT_EQ(std::string(e.what()), SystemText(ERROR_BAD_NETPATH));
    }
}

}  // namespace
}  // namespace vigilor
