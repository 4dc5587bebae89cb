// Times check passes over several computers whose echo replies come late:
// the test hosts that bench/parallel_pass_bench.sh sets up, each with the
// rows of TestServiceRows.
// Median of several series each:
//   one   the program's pass over the first host's 10 rows;
//   many  the program's pass over 10 rows on every host;
//   local the same pass with the hosts' addresses replaced by loopback
//         ones, which answer at once: what is left when the echo replies
//         take no time, that is the rows' work on the one local manager
//         that stands in for every host's;
//   part  the rows of "many" one after another the way the stand-alone
//         calls go: per row a ping window (look-up and one echo), then a
//         key-name look-up and two state queries, each opening and closing
//         the manager.
//   parallel_pass_bench series address...
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <string>
#include <vector>

#include "bench/bench_clock_win.h"
#include "bench/quiet_pass_host.h"
#include "monitor/check_pass.h"
#include "monitor/monitored_service.h"
#include "monitor/pass_readers_win.h"
#include "net/ping_form_win.h"
#include "services/service_platform_win.h"
#include "services/service_utils.h"
#include "bench/test_service_rows_win.h"

namespace {

using namespace vigilor;

// What a pass found, to make sure every series measured the same work.
struct Findings {
    int stopped = 0;
    int deadComputers = 0;
    std::string firstDead;  // the report line of the first computer that did not answer
};

Findings g_found;

// The pass with the window side left out; its rows are read as the main
// window has them read, ahead by a worker per computer.
class BenchHost : public QuietPassHost<PassHost> {
public:
    std::string ServiceKeyName(const std::string& machine, const std::string& display) override {
        return vigilor::ServiceKeyName(SystemServices(), machine, display);
    }
    void AppendFailureReport(const std::string& message) override {
        if (message.ends_with(" is stopped")) ++g_found.stopped;
        if (message.ends_with(" is no longer responding !") && g_found.deadComputers++ == 0)
            g_found.firstDead = message;
    }
};

// The rows one after another, every call on its own: a ping window per row
// and three manager opens.
void OneAfterAnother(HWND owner, const std::vector<std::string>& rows) {
    for (size_t index = 0; index < rows.size(); ++index) {
        const MonitoredService row = MonitoredService::FromRow(rows[index]);
        const double start = Seconds();
        if (!IsMachineAlive(row.server, owner)) {
            ++g_found.deadComputers;
            g_found.firstDead = row.server + ", row " + std::to_string(index + 1) + ", did not answer within " +
                                std::to_string(static_cast<int>((Seconds() - start) * 1000)) + " ms";
            return;
        }
        const std::string key = ServiceKeyName(SystemServices(), row.server, row.service);
        ServiceIsRunning(SystemServices(), row.server, key);
        if (ServiceIsStopped(SystemServices(), row.server, key)) ++g_found.stopped;
    }
}

int Run(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: parallel_pass_bench series address...\n");
        return 2;
    }
    const int series = std::max(1, std::atoi(argv[1]));
    const std::vector<std::string> addresses(argv + 2, argv + argc);
    const int hosts = static_cast<int>(addresses.size());

    const TestServiceRows services;
    const std::vector<std::string> one = services.RowsOn({addresses.front()}), many = services.RowsOn(addresses),
                                   local = services.RowsOn(TestServiceRows::LoopbackHosts(addresses.size()));
    const int stoppedPerHost = TestServiceRows::kStoppedEach;

    const HWND owner = CreateWindowExW(0, L"STATIC", L"bench", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                       GetModuleHandleW(nullptr), nullptr);
    BenchHost host;
    SystemRowReaders readers(SystemServices());
    const auto pass = [&](const std::vector<std::string>& rows) { RunCheckPass(host, rows, readers); };
    // Each measurement must have found every host answering and every
    // stopped service; anything else measured something else.
    auto measure = [&](const char* way, auto run, int rowHosts, std::vector<double>& into) {
        g_found = {};
        const double start = Seconds();
        run();
        into.push_back(Seconds() - start);
        if (g_found.deadComputers == 0 && g_found.stopped == stoppedPerHost * rowHosts) return true;
        std::fprintf(stderr, "%s: unexpected findings: %d computers not answering, %d services stopped%s%s\n", way,
                     g_found.deadComputers, g_found.stopped, g_found.firstDead.empty() ? "" : "; ",
                     g_found.firstDead.c_str());
        return false;
    };
    std::vector<double> warm, a, b, c, d;
    // Warms the service manager, the test hosts' address entries and the
    // ping engine for every way alike.
    bool sound =
        measure("many", [&] { pass(many); }, hosts, warm) && measure("local", [&] { pass(local); }, hosts, warm);
    for (int s = 0; s < series && sound; ++s) {
        sound = measure("one", [&] { pass(one); }, 1, a) && measure("many", [&] { pass(many); }, hosts, b) &&
                measure("local", [&] { pass(local); }, hosts, d) &&
                measure("part", [&] { OneAfterAnother(owner, many); }, hosts, c);
    }
    DestroyWindow(owner);
    if (!sound) return 1;

    const double oneMs = MedianMs(a), manyMs = MedianMs(b), partMs = MedianMs(c);
    std::printf("%d test hosts %s..%s, 10 rows each on 10 test services (5 running, 5 stopped), median of %d series "
                "[each series]\n",
                hosts, addresses.front().c_str(), addresses.back().c_str(), series);
    const std::string rowsEach = " x " + std::to_string(TestServiceRows::kServices) + " rows";
    PrintFigure("one   pass over 1 host" + rowsEach, a, 48);
    PrintFigure("many  pass over " + std::to_string(hosts) + " hosts" + rowsEach, b, 48);
    PrintFigure("local the same on " + std::to_string(hosts) + " loopback hosts, no echo delay", d, 48);
    PrintFigure("part  " + std::to_string(many.size()) + " rows one after another", c, 48);
    std::printf("many/one %.2f\n", manyMs / oneMs);
    std::printf("part/ours %.2f\n", partMs / manyMs);
    return 0;
}

}  // namespace

int main(int argc, char** argv) { return vigilor::RunBenchmark(Run, argc, argv); }
