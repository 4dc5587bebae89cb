// Times the service layer against the real service manager: a load of the
// all-services list and a series of stand-alone state queries, each next
// to the same platform calls made bare, and prints the ratio.
//   services_bench [rounds] [key name]
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "bench/bench_clock_win.h"
#include "net/network_platform_win.h"
#include "platform/wide_win.h"
#include "services/service_browser.h"
#include "services/service_platform_win.h"
#include "services/service_utils.h"

namespace {

using namespace vigilor;

struct Pair {
    double ours;
    double bare;
};

// Microseconds per call of each: the median over several series, the two
// series taken in turn so that a change in the machine's load hits both.
Pair MicrosecondsPerCall(int calls, const std::function<void()>& ours, const std::function<void()>& bare) {
    std::vector<double> a, b;
    for (int s = 0; s < 7; ++s) {
        for (auto [call, into] : {std::pair{&ours, &a}, std::pair{&bare, &b}}) {
            const double start = Seconds();
            for (int i = 0; i < calls; ++i) (*call)();
            into->push_back((Seconds() - start) * 1e6 / calls);
        }
    }
    std::sort(a.begin(), a.end());
    std::sort(b.begin(), b.end());
    return {a[a.size() / 2], b[b.size() / 2]};
}

int g_sink = 0;

void BareLoad() {
    SC_HANDLE manager = OpenSCManagerW(nullptr, nullptr, SC_MANAGER_CONNECT | SC_MANAGER_ENUMERATE_SERVICE);
    static std::vector<BYTE> buffer(32768);
    DWORD needed = 0, returned = 0, resume = 0;
    EnumServicesStatusW(manager, SERVICE_WIN32, SERVICE_STATE_ALL,
                        reinterpret_cast<ENUM_SERVICE_STATUSW*>(buffer.data()), static_cast<DWORD>(buffer.size()),
                        &needed, &returned, &resume);
    g_sink += static_cast<int>(returned);
    CloseServiceHandle(manager);
}

void BareState(const std::wstring& key) {
    SC_HANDLE manager = OpenSCManagerW(nullptr, nullptr, SC_MANAGER_CONNECT);
    SC_HANDLE service = OpenServiceW(manager, key.c_str(), SERVICE_QUERY_STATUS);
    SERVICE_STATUS status{};
    QueryServiceStatus(service, &status);
    g_sink += static_cast<int>(status.dwCurrentState);
    CloseServiceHandle(service);
    CloseServiceHandle(manager);
}

void Report(const char* what, Pair times) {
    std::printf("%-34s %10.1f us   bare %10.1f us   ratio %5.2f\n", what, times.ours, times.bare,
                times.ours / times.bare);
}

}  // namespace

int main(int argc, char** argv) {
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 200;
    const std::string key = argc > 2 ? argv[2] : "Spooler";
    const std::wstring wideKey = Wide(key);

    TNTService service(SystemServices(), SystemNetwork());
    ServiceBrowser browser(service);
    browser.Load("");
    std::printf("services listed: %zu; %d calls a series, median of 7 series each\n", browser.Rows().size(), rounds);

    const Pair load = MicrosecondsPerCall(rounds, [&] { browser.Load(""); }, BareLoad);
    Report("load of the list (open+enum+close)", load);
    const Pair state = MicrosecondsPerCall(
        rounds, [&] { g_sink += ServiceCurrentState(SystemServices(), "", key); }, [&] { BareState(wideKey); });
    Report("ServiceCurrentState", state);
    const Pair running = MicrosecondsPerCall(
        rounds, [&] { g_sink += ServiceIsRunning(SystemServices(), "", key); }, [&] { BareState(wideKey); });
    Report("ServiceIsRunning", running);
    return g_sink == -1 ? 1 : 0;
}
