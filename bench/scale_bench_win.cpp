// Times the engine's pass over a thousand rows: the test hosts that
// bench/scale_bench.sh sets up (their echo replies come late), each with the
// rows of TestServiceRows, forced through the monitoring engine as the
// window forces it. Median of several series each:
//   thousand  the pass over every host's rows;
//   local     the same rows on as many loopback hosts, which answer at once:
//             the rows' work on the one local manager that stands in for
//             every host's;
//   window    the local pass forced in the program's main window and shown
//             there, its 500 reports in the memo;
//   thousand-local  what the hosts' distance adds, the part the pass's
//             design controls (at most 16 computers read at once);
//   window-local    what showing the pass in the window adds.
//   scale_bench series address...
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <string>
#include <vector>

#include "bench/bench_clock_win.h"
#include "bench/bench_window_win.h"
#include "bench/engine_pass_win.h"
#include "bench/test_service_rows_win.h"

namespace {

using namespace vigilor;

// Whether the pass found what the rows hold: every stopped service
// reported, no computer silent. Anything else measured something else.
bool FoundTheRows(const char* way, const std::vector<std::string>& reports, size_t hosts) {
    size_t stopped = 0, silent = 0;
    for (const std::string& line : reports) {
        if (line.ends_with(" is stopped")) ++stopped;
        if (line.ends_with(" is no longer responding !")) ++silent;
    }
    if (stopped == hosts * TestServiceRows::kStoppedEach && silent == 0) return true;
    std::fprintf(stderr, "%s: unexpected findings: %zu computers not answering, %zu services stopped%s%s\n", way,
                 silent, stopped, reports.empty() ? "" : "; first report: ", reports.empty() ? "" : reports[0].c_str());
    return false;
}

int Run(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: scale_bench series address...\n");
        return 2;
    }
    const int series = std::max(1, std::atoi(argv[1]));
    const std::vector<std::string> addresses(argv + 2, argv + argc);

    const TestServiceRows services;
    const std::vector<std::string> distant = services.RowsOn(addresses),
                                   nearby = services.RowsOn(TestServiceRows::LoopbackHosts(addresses.size()));
    EnginePass thousand(distant), local(nearby);
    BenchWindow window("SOFTWARE\\Vigilor1Scale", nearby, {{"NotifybyMail", "0"}, {"ScreenNotify", "0"}});
    const auto measure = [&](const char* way, auto& engine, std::vector<double>& into) {
        const double start = Seconds();
        if (!engine.Pass()) {
            std::fprintf(stderr, "%s: the pass did not end within a minute\n", way);
            return false;
        }
        into.push_back(Seconds() - start);
        return FoundTheRows(way, engine.Reports(), addresses.size());
    };
    std::vector<double> warm, a, b, c;
    // Warms the manager, the hosts' address entries and the echo engine.
    bool sound =
        measure("thousand", thousand, warm) && measure("local", local, warm) && measure("window", window, warm);
    for (int s = 0; s < series && sound; ++s)
        sound = measure("thousand", thousand, a) && measure("local", local, b) && measure("window", window, c);
    if (!sound) return 1;

    std::printf("%zu test hosts %s..%s, %d rows each on %d test services (%d stopped), median of %d series "
                "[each series]\n",
                addresses.size(), addresses.front().c_str(), addresses.back().c_str(), TestServiceRows::kServices,
                TestServiceRows::kServices, TestServiceRows::kStoppedEach, series);
    PrintFigure("thousand  engine's pass over " + std::to_string(distant.size()) + " rows", a, 56);
    PrintFigure("local     the same on loopback hosts, no echo delay", b, 56);
    PrintFigure("window    the local pass shown in the main window", c, 56);
    std::printf("window-local %.0f\n", MedianMs(c) - MedianMs(b));
    std::printf("thousand-local %.0f\n", MedianMs(a) - MedianMs(b));
    return 0;
}

}  // namespace

int main(int argc, char** argv) { return vigilor::RunBenchmark(Run, argc, argv); }
