// Soaks the program: passes forced back to back in the real main window, as
// F9 forces them, over 100 rows on 10 computers: 9 loopback hosts and one
// test host (set up by bench/soak_bench.sh) that leaves every 50th echo
// unanswered, so that it is silent in about every 50th pass. Each computer
// lists 8 running test services and one stopped one (EMail "Yes"); on the
// first, a service that stops by itself soon after each start has Auto and
// EMail "Yes", so it is restarted over and over; on the others a ninth
// running service. Mail goes to the loopback SMTP server; the status page
// and the metrics file are written after every pass.
// Every 50 passes it samples the process (kernel handles, private bytes,
// threads, USER objects) and at the end prints each figure's growth per
// 1,000 passes, from a line fitted over the samples of pass 100 on.
//   soak_bench passes smtp-port silent-address folder
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "bench/bench_clock_win.h"
#include "bench/bench_window_win.h"
#include "bench/process_figures_win.h"
#include "tests/support/test_service_win.h"

namespace {

using namespace vigilor;

constexpr int kSampleEvery = 50;
constexpr int kFitFrom = 100;

struct Sample {
    int pass;
    ProcessFigures figures;
};

// The slope of the least-squares line through the points, per 1,000 passes;
// nullopt when any sample lacks the figure.
std::optional<double> GrowthPer1000(const std::vector<Sample>& samples,
                                    std::optional<double> ProcessFigures::*figure) {
    double n = 0, sx = 0, sy = 0, sxx = 0, sxy = 0;
    for (const Sample& s : samples) {
        if (s.pass < kFitFrom) continue;
        if (!(s.figures.*figure)) return std::nullopt;
        const double x = s.pass, y = *(s.figures.*figure);
        n += 1, sx += x, sy += y, sxx += x * x, sxy += x * y;
    }
    if (n < 2) return std::nullopt;
    return (n * sxy - sx * sy) / (n * sxx - sx * sx) * 1000.0;
}

std::string Shown(std::optional<double> value, const char* format) {
    if (!value) return "n/a";
    char text[32];
    std::snprintf(text, sizeof text, format, *value);
    return text;
}

std::vector<std::pair<std::string, std::string>> SoakSettings(const std::string& smtpPort, const std::string& folder) {
    return {
        {"NotifybyMail", "1"},
        {"ScreenNotify", "0"},
        {"EMailSMTPHost", "127.0.0.1"},
        {"EMailSMTPPort", smtpPort},
        {"EMailSMTPID", "soak-host"},
        {"EMailLocalName", "Vigilor Soak"},
        {"EMailLocalAddr", "vigilor@example.org"},
        {"EMailTo", "ops@example.org"},
        {"HTMLOutputEnabled", "1"},
        {"HTMLOutput", folder + "\\status.html"},
        {"MetricsOutputEnabled", "1"},
        {"MetricsOutput", folder + "\\vigilor.prom"},
    };
}

int Run(int argc, char** argv) {
    if (argc != 5) {
        std::fprintf(stderr, "usage: soak_bench passes smtp-port silent-address folder\n");
        return 2;
    }
    const int passes = std::max(kFitFrom + kSampleEvery, std::atoi(argv[1]));
    const std::string smtpPort = argv[2], silentAddress = argv[3], folder = argv[4];

    std::vector<std::unique_ptr<test::InstalledTestService>> running;
    for (int i = 0; i < 9; ++i) {
        running.push_back(std::make_unique<test::InstalledTestService>("run"));
        if (!running.back()->StartAndWaitFor(SERVICE_RUNNING)) throw std::runtime_error("a test service did not start");
    }
    const test::InstalledTestService stopped("run"), restarted("stop-after 300");
    std::vector<std::string> computers;
    for (int h = 0; h < 9; ++h) computers.push_back("\\\\127.0.0." + std::to_string(11 + h));
    computers.push_back("\\\\" + silentAddress);
    std::vector<std::string> rows;
    for (size_t c = 0; c < computers.size(); ++c) {
        for (int s = 0; s < 8; ++s) rows.push_back(computers[c] + "\t" + running[s]->DisplayName() + "\tNo\tNo");
        rows.push_back(computers[c] + "\t" + stopped.DisplayName() + "\tNo\tYes");
        rows.push_back(c == 0 ? computers[c] + "\t" + restarted.DisplayName() + "\tYes\tYes"
                              : computers[c] + "\t" + running[8]->DisplayName() + "\tNo\tNo");
    }
    BenchWindow window("SOFTWARE\\Vigilor1Soak", rows, SoakSettings(smtpPort, folder));

    std::printf("%d passes over %zu rows on %zu computers (%s silent every 50th echo); sampled every %d passes\n",
                passes, rows.size(), computers.size(), silentAddress.c_str(), kSampleEvery);
    std::vector<Sample> samples;
    int silentPasses = 0;
    const double start = Seconds();
    for (int pass = 1; pass <= passes; ++pass) {
        if (!window.Pass()) {
            std::fprintf(stderr, "pass %d did not end within a minute\n", pass);
            return 1;
        }
        if (window.Form().MemoText().find(" is no longer responding !") != std::string::npos) ++silentPasses;
        if (pass % kSampleEvery) continue;
        samples.push_back({pass, SampleProcess()});
        const ProcessFigures& f = samples.back().figures;
        std::printf("pass %5d  %6.0f s  handles %s  private_mb %s  threads %s  user %s\n", pass, Seconds() - start,
                    Shown(f.handles, "%.0f").c_str(), Shown(f.privateMb, "%.2f").c_str(),
                    Shown(f.threads, "%.0f").c_str(), Shown(f.userObjects, "%.0f").c_str());
        std::fflush(stdout);
    }
    std::printf("passes with the silent computer reported: %d; boxes shown: %d%s%s\n", silentPasses,
                window.BoxesShown(), window.BoxesShown() ? ", the first: " : "", window.FirstBox().c_str());
    std::printf("handles/1000 %s\n", Shown(GrowthPer1000(samples, &ProcessFigures::handles), "%+.1f").c_str());
    std::printf("private_mb/1000 %s\n", Shown(GrowthPer1000(samples, &ProcessFigures::privateMb), "%+.2f").c_str());
    std::printf("threads/1000 %s\n", Shown(GrowthPer1000(samples, &ProcessFigures::threads), "%+.1f").c_str());
    std::printf("user/1000 %s\n", Shown(GrowthPer1000(samples, &ProcessFigures::userObjects), "%+.1f").c_str());
    return 0;
}

}  // namespace

int main(int argc, char** argv) { return vigilor::RunBenchmark(Run, argc, argv); }
