// Times a check pass over 100 rows of test services on the real service
// manager (half running, half stopped; no restarts, e-mail off, every row
// on 127.0.0.1) three ways, each the median of several series:
//   ours  the program's pass, one manager per computer for the whole pass;
//   bare  the calls the same results need, made directly: one manager, then
//         per row one echo, one key-name look-up, one service open, two
//         state queries and one close;
//   part  the pass with every query opening the manager anew (three manager
//         opens a row) and a ping window made for every row.
//   check_pass_bench [series] [rows]
#include <windows.h>
#include <iphlpapi.h>
#include <icmpapi.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "monitor/check_pass.h"
#include "net/ping_form_win.h"
#include "platform/system_error_win.h"
#include "platform/wide_win.h"
#include "services/service_platform_win.h"
#include "services/service_session.h"
#include "services/service_utils.h"
#include "tests/support/test_service_win.h"

namespace {

using namespace vigilor;

constexpr const char* kMachine = "\\\\127.0.0.1";

double Seconds() {
    LARGE_INTEGER now, frequency;
    QueryPerformanceCounter(&now);
    QueryPerformanceFrequency(&frequency);
    return static_cast<double>(now.QuadPart) / static_cast<double>(frequency.QuadPart);
}

int g_sink = 0;

// The pass with the window side left out. Ours keeps one manager and one
// ping window for the pass; the other way opens the manager for every query
// and makes a ping window for every row.
class BenchHost : public CheckPassHost {
public:
    BenchHost(HWND owner, bool managerPerQuery) : owner_(owner), managerPerQuery_(managerPerQuery) {
        settings_.notifyByMail = false;
        settings_.screenNotify = false;
    }
    const ProgramSettings& Settings() override { return settings_; }
    std::string ServiceKeyName(const std::string& machine, const std::string& display) override {
        return managerPerQuery_ ? vigilor::ServiceKeyName(SystemServices(), machine, display)
                                : Session().KeyName(machine, display);
    }
    bool ServiceIsRunning(const std::string& machine, const std::string& key) override {
        return managerPerQuery_ ? vigilor::ServiceIsRunning(SystemServices(), machine, key)
                                : Session().IsRunning(machine, key);
    }
    bool ServiceIsStopped(const std::string& machine, const std::string& key) override {
        return managerPerQuery_ ? vigilor::ServiceIsStopped(SystemServices(), machine, key)
                                : Session().IsStopped(machine, key);
    }
    ServiceReading ReadService(const std::string& machine, const std::string& display) override {
        ServiceSession session(SystemServices());
        ServiceSession& reader = managerPerQuery_ ? session : Session();
        return ReadServiceRow(reader, errors_, machine, display);
    }
    void ServiceQueriesDone() override {
        if (!managerPerQuery_) Session().CloseKeptService();
    }
    bool ServiceStartAndWait(const std::string&, const std::string&) override { return false; }
    bool IsMachineAlive(const std::string& machine) override {
        if (managerPerQuery_) return vigilor::IsMachineAlive(machine, owner_);
        if (!pingForm_) pingForm_ = std::make_unique<TPingTstForm>(owner_);
        return pingForm_->Check(machine).Alive();
    }
    void ReleasePassResources() override {
        pingForm_.reset();
        session_.reset();
    }
    void ClearFailureReports() override {}
    void AppendFailureReport(const std::string& message) override { g_sink += static_cast<int>(message.size()); }
    void ShowStatus(const std::string&) override {}
    void ShowAlarm() override {}
    void ShowAllClear() override {}
    void ShowProgress(int) override {}
    void SetProgress(int) override {}
    void HideProgress() override {}
    void SetCursor(ScreenCursor) override {}
    void ReloadAllServices() override {}
    void SendFailureAlert(const std::string&, const std::string&) override { ++g_sink; }
    void SendRestartNotice(const std::string&, const std::string&) override {}
    void SendScreenMessage(const std::string&, const std::string&) override {}
    void SendAlert(const AlertMessage&) override { ++g_sink; }
    void WithdrawAlert(const std::string&) override {}
    RowMemory& Memory() override { return memory_; }
    PassRecord& Record() override { return record_; }
    std::int64_t MonotonicSeconds() override { return static_cast<std::int64_t>(GetTickCount64() / 1000); }
    LocalTime Now() override { return {}; }
    void WriteStatusPage(const std::string&, const std::vector<std::string>&) override {}

private:
    ServiceSession& Session() {
        if (!session_) session_ = std::make_unique<ServiceSession>(SystemServices());
        return *session_;
    }
    HWND owner_;
    bool managerPerQuery_;
    ProgramSettings settings_;
    std::unique_ptr<ServiceSession> session_;
    std::unique_ptr<TPingTstForm> pingForm_;
    Win32SystemErrors errors_;
    RowMemory memory_;
    PassRecord record_;
};

void BarePass(const std::vector<std::wstring>& displayNames) {
    HANDLE icmp = IcmpCreateFile();
    SC_HANDLE manager = OpenSCManagerW(L"\\\\127.0.0.1", nullptr, SC_MANAGER_CONNECT);
    const IPAddr loopback = htonl(INADDR_LOOPBACK);
    char data[56] = {};
    std::vector<char> reply(sizeof(ICMP_ECHO_REPLY) + sizeof data + 8);
    for (const std::wstring& display : displayNames) {
        g_sink += static_cast<int>(IcmpSendEcho(icmp, loopback, data, sizeof data, nullptr, reply.data(),
                                                static_cast<DWORD>(reply.size()), 4000));
        wchar_t key[256];
        DWORD length = 256;
        GetServiceKeyNameW(manager, display.c_str(), key, &length);
        SC_HANDLE service = OpenServiceW(manager, key, SERVICE_QUERY_STATUS);
        SERVICE_STATUS status{};
        QueryServiceStatus(service, &status);
        g_sink += static_cast<int>(status.dwCurrentState);
        QueryServiceStatus(service, &status);
        g_sink += static_cast<int>(status.dwCurrentState);
        CloseServiceHandle(service);
    }
    CloseServiceHandle(manager);
    IcmpCloseHandle(icmp);
}

double MedianMs(std::vector<double> samples) {
    std::sort(samples.begin(), samples.end());
    return samples[samples.size() / 2] * 1000.0;
}

}  // namespace

int main(int argc, char** argv) {
    const int series = argc > 1 ? std::max(1, std::atoi(argv[1])) : 7;
    const int rowCount = argc > 2 ? std::max(2, std::atoi(argv[2])) : 100;

    // Ten test services, five running and five stopped, each on ten rows.
    std::vector<std::unique_ptr<test::InstalledTestService>> services;
    for (int i = 0; i < 10; ++i) {
        services.push_back(std::make_unique<test::InstalledTestService>("run"));
        if (i % 2 == 0 && !services.back()->StartAndWaitFor(SERVICE_RUNNING)) {
            std::fprintf(stderr, "a test service did not start\n");
            return 2;
        }
    }
    std::vector<std::string> rows;
    std::vector<std::wstring> displayNames;
    for (int r = 0; r < rowCount; ++r) {
        const std::string& display = services[r % services.size()]->DisplayName();
        rows.push_back(std::string(kMachine) + "\t" + display + "\tNo\tNo");
        displayNames.push_back(Wide(display));
    }

    const HWND owner = CreateWindowExW(0, L"STATIC", L"bench", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                       GetModuleHandleW(nullptr), nullptr);
    BenchHost ours(owner, false);
    BenchHost part(owner, true);
    std::vector<double> a, b, c;
    RunCheckPass(ours, rows);  // warms the caches of all three alike
    for (int s = 0; s < series; ++s) {
        double start = Seconds();
        RunCheckPass(ours, rows);
        a.push_back(Seconds() - start);
        start = Seconds();
        BarePass(displayNames);
        b.push_back(Seconds() - start);
        start = Seconds();
        RunCheckPass(part, rows);
        c.push_back(Seconds() - start);
    }
    DestroyWindow(owner);
    const double oursMs = MedianMs(a), bareMs = MedianMs(b), partMs = MedianMs(c);
    std::printf("%d rows on %s, 10 test services (5 running, 5 stopped), median of %d series\n", rowCount, kMachine,
                series);
    std::printf("ours %9.1f ms  (%.2f ms a row)\n", oursMs, oursMs / rowCount);
    std::printf("bare %9.1f ms  (%.2f ms a row)\n", bareMs, bareMs / rowCount);
    std::printf("part %9.1f ms  (%.2f ms a row)\n", partMs, partMs / rowCount);
    std::printf("ours/bare %.2f\n", oursMs / bareMs);
    std::printf("part/ours %.2f\n", partMs / oursMs);
    return g_sink == -1 ? 1 : 0;
}
