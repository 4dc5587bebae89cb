// Times a check pass over 100 rows of test services on the real service
// manager (half running, half stopped; no restarts, e-mail off, every row
// on 127.0.0.1) three ways, each the median of several series:
//   ours  the program's pass, forced through the monitoring engine and
//         waited for as the window waits: the rows read ahead by a worker
//         with one manager for the whole pass and one liveness test, the
//         walk on the engine's thread, every report posted as an event;
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

#include "bench/bench_clock_win.h"
#include "bench/engine_pass_win.h"
#include "bench/quiet_pass_host.h"
#include "monitor/check_pass.h"
#include "monitor/pass_readers_win.h"
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

int g_sink = 0;

// The pass with the window side left out. Its own reads, for the pass that
// reads every row in its turn, open the manager for every query and make a
// ping window for every row.
class BenchHost : public QuietPassHost<CheckPassHost> {
public:
    explicit BenchHost(HWND owner) : owner_(owner) {}
    std::string ServiceKeyName(const std::string& machine, const std::string& display) override {
        return vigilor::ServiceKeyName(SystemServices(), machine, display);
    }
    bool ServiceIsRunning(const std::string& machine, const std::string& key) override {
        return vigilor::ServiceIsRunning(SystemServices(), machine, key);
    }
    bool ServiceIsStopped(const std::string& machine, const std::string& key) override {
        return vigilor::ServiceIsStopped(SystemServices(), machine, key);
    }
    ServiceReading ReadService(const std::string& machine, const std::string& display) override {
        ServiceSession session(SystemServices());
        return ReadServiceRow(session, errors_, machine, display);
    }
    void ServiceQueriesDone() override {}
    bool IsMachineAlive(const std::string& machine) override { return vigilor::IsMachineAlive(machine, owner_); }
    void AppendFailureReport(const std::string& message) override { g_sink += static_cast<int>(message.size()); }
    void SendFailureAlert(const std::string&, const std::string&) override { ++g_sink; }
    void SendAlert(const AlertMessage&) override { ++g_sink; }

private:
    HWND owner_;
    Win32SystemErrors errors_;
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
    BenchHost host(owner);
    EnginePass engine(rows);
    const auto ours = [&] {
        if (engine.Pass()) return;
        std::fprintf(stderr, "the engine's pass did not end\n");
        std::exit(2);
    };
    std::vector<double> a, b, c;
    ours();  // warms the caches of all three alike, and raises the alerts once
    if (engine.Reports().size() != static_cast<size_t>(rowCount / 2)) {
        std::fprintf(stderr, "the engine's pass found %zu stopped rows, not %d\n", engine.Reports().size(),
                     rowCount / 2);
        return 2;
    }
    for (int s = 0; s < series; ++s) {
        double start = Seconds();
        ours();
        a.push_back(Seconds() - start);
        start = Seconds();
        BarePass(displayNames);
        b.push_back(Seconds() - start);
        start = Seconds();
        RunCheckPass(host, rows);
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
