// The window beside the Vigilor service, as its console: the program built
// beside this test runs as the service "Vigilor" in Wine's service manager,
// on a machine key the test writes.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdlib>
#include <string>

#include "app/main_form_ids.h"
#include "app/main_form_win.h"
#include "app/service_console_win.h"
#include "config/machine_key_win.h"
#include "platform/wide_win.h"
#include "resources/resource_ids.h"
#include "tests/support/form_fixture_win.h"

namespace vigilor {
namespace {

using namespace main_form;

std::wstring ServiceCommandLine() {
    const char* build = std::getenv("VIGILOR_BUILD_DIR");
    std::string path = std::string("Z:") + (build ? build : ".") + "/vigilor.exe";
    for (char& c : path)
        if (c == '/') c = '\\';
    return Wide("\"" + path + "\" /service");
}

DWORD StateOf(SC_HANDLE service) {
    SERVICE_STATUS status{};
    QueryServiceStatus(service, &status);
    return status.dwCurrentState;
}

class ServiceConsoleTest : public test::FormFixture {
protected:
    void SetUp() override {
        HKEY key = nullptr;
        ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, Wide(kMachineKeyPath).c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                                  nullptr, &key, nullptr),
                  ERROR_SUCCESS);
        const DWORD off = 0;
        RegSetValueExW(key, L"NotifybyMail", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&off), sizeof off);
        auto text = [&](const wchar_t* name, const std::wstring& value) {
            RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                           static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
        };
        text(L"ScreenNotify", L"0");
        text(L"MacMonitor0", L"\\\\127.0.0.1");
        text(L"SvcMonitor0", Wide(kMissing));
        RegCloseKey(key);
        manager_ = OpenSCManagerW(nullptr, nullptr, SC_MANAGER_ALL_ACCESS);
        service_ = CreateServiceW(manager_, L"Vigilor", L"Vigilor Service Monitor", SERVICE_ALL_ACCESS,
                                  SERVICE_WIN32_OWN_PROCESS, SERVICE_DEMAND_START, SERVICE_ERROR_NORMAL,
                                  ServiceCommandLine().c_str(), nullptr, nullptr, nullptr, nullptr, nullptr);
        ASSERT_NE(service_, nullptr) << GetLastError();
        ASSERT_TRUE(StartServiceW(service_, 0, nullptr)) << GetLastError();
        for (const ULONGLONG deadline = GetTickCount64() + 20000;
             StateOf(service_) != SERVICE_RUNNING && GetTickCount64() < deadline;)
            Sleep(100);  // the service manager tells of no state change
        ASSERT_EQ(StateOf(service_), static_cast<DWORD>(SERVICE_RUNNING));
    }
    void TearDown() override {
        form.reset();
        if (service_) {
            SERVICE_STATUS status{};
            ControlService(service_, SERVICE_CONTROL_STOP, &status);
            for (const ULONGLONG deadline = GetTickCount64() + 30000;
                 StateOf(service_) != SERVICE_STOPPED && GetTickCount64() < deadline;)
                Sleep(100);
            DeleteService(service_);
            CloseServiceHandle(service_);
        }
        if (manager_) CloseServiceHandle(manager_);
        RegDeleteKeyW(HKEY_LOCAL_MACHINE, Wide(kMachineKeyPath).c_str());
    }
    TMainForm& OpenConsole() {
        MainFormContext context{dialogs, system, OpenMachineStore, "9.8.7.6", {}, false};
        context.serviceConsole = true;
        form = std::make_unique<TMainForm>(std::move(context));
        form->Create();
        form->Show(SW_SHOWNORMAL);
        return *form;
    }

    static constexpr const char* kMissing = "No Such Service For The Console";
    SC_HANDLE manager_ = nullptr;
    SC_HANDLE service_ = nullptr;
};

TEST_F(ServiceConsoleTest, ShowsTheServicesReportsSendsItsCommandsAndLeavesItRunning) {
    TMainForm& f = OpenConsole();
    ASSERT_NE(f.Console(), nullptr);
    EXPECT_TRUE(f.Console()->MayChange());
    EXPECT_TRUE(PumpUntil([&] { return f.IsMonitoring(); })) << "the service monitors its rows";
    EXPECT_TRUE(IsWindowEnabled(f.Control(kStopBtn)));
    EXPECT_FALSE(IsWindowEnabled(f.Control(kStartBtn)));

    PostMessageW(f.Handle(), WM_COMMAND, IDM_FORCE_CHECK, 0);
    const std::string line = std::string("\"") + kMissing + "\" on \\\\127.0.0.1 is not installed";
    EXPECT_TRUE(PumpUntil([&] { return f.MemoText().find(line) != std::string::npos; }))
        << "the service's pass shows within seconds: " << f.MemoText();
    EXPECT_TRUE(f.MemoInAlarm());

    SendMessageW(f.Control(kStopBtn), BM_CLICK, 0, 0);
    EXPECT_EQ(StateOf(service_), static_cast<DWORD>(SERVICE_PAUSED));
    EXPECT_TRUE(PumpUntil([&] { return IsWindowEnabled(f.Control(kStartBtn)) != FALSE; }));
    SendMessageW(f.Control(kStartBtn), BM_CLICK, 0, 0);
    EXPECT_EQ(StateOf(service_), static_cast<DWORD>(SERVICE_RUNNING));

    SendMessageW(f.Handle(), WM_CLOSE, 0, 0);
    EXPECT_TRUE(dialogs.Texts().empty() || dialogs.Texts()[0] == "Do you really want to shutdown Vigilor?")
        << "no refusal to close while the service monitors";
    form.reset();
    EXPECT_EQ(StateOf(service_), static_cast<DWORD>(SERVICE_RUNNING)) << "the service runs on without the window";
}

}  // namespace
}  // namespace vigilor
