// The check pass's service session against the real service manager.
#include <gtest/gtest.h>

#include <windows.h>

#include "platform/handles_win.h"
#include "platform/wide_win.h"
#include "services/service_platform_win.h"
#include "services/service_session.h"
#include "tests/support/test_service_win.h"

namespace vigilor {
namespace {

// A service of its own that no handle outside the session holds; it is
// never started.
ServiceHandle CreateIdleService(SC_HANDLE manager, const std::wstring& name) {
    return ServiceHandle(CreateServiceW(manager, name.c_str(), name.c_str(), SERVICE_ALL_ACCESS,
                                        SERVICE_WIN32_OWN_PROCESS, SERVICE_DEMAND_START, SERVICE_ERROR_NORMAL,
                                        L"C:\\windows\\system32\\notepad.exe", nullptr, nullptr, nullptr, nullptr,
                                        nullptr));
}

TEST(ServiceSessionOnTheRealManager, AServiceDeletedAfterItsRowsQueriesIsGoneNotMarkedForDelete) {
    const ServiceHandle manager(OpenSCManagerW(nullptr, nullptr, SC_MANAGER_ALL_ACCESS));
    ASSERT_TRUE(manager);
    const std::string name = test::UniqueServiceName("deleted");
    ASSERT_TRUE(CreateIdleService(manager.Get(), Wide(name))) << GetLastError();

    ServiceSession session(SystemServices());
    EXPECT_FALSE(session.IsRunning("", name));
    EXPECT_TRUE(session.IsStopped("", name));
    session.CloseKeptService();

    // Someone deletes the service while the pass goes on with its row.
    {
        const ServiceHandle doomed(OpenServiceW(manager.Get(), Wide(name).c_str(), DELETE));
        ASSERT_TRUE(doomed);
        ASSERT_TRUE(DeleteService(doomed.Get()));
    }
    // While any handle to it is open, the name stays taken (1072).
    const ServiceHandle again = CreateIdleService(manager.Get(), Wide(name));
    EXPECT_TRUE(again) << GetLastError();
    if (again) DeleteService(again.Get());
}

}  // namespace
}  // namespace vigilor
