// Times the check pass with its reads made ahead, against service managers
// in memory that take a fixed time for every call (a round trip each):
// one computer with 10 rows, then 10 computers with 10 rows each. With one
// worker per computer the second costs about what the first does, not ten
// times as much. Median of several series.
//   pass_reads_bench [series] [ms a call]
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "bench/quiet_pass_host.h"
#include "monitor/check_pass.h"

namespace {

using namespace vigilor;
using Clock = std::chrono::steady_clock;

// Every answer takes the delay; even services run, odd ones are stopped.
class DelayedReader : public RowReader {
public:
    explicit DelayedReader(std::chrono::milliseconds delay) : delay_(delay) {}
    std::string ServiceKeyName(const std::string&, const std::string& display) override {
        Call();
        return display;
    }
    bool IsMachineAlive(const std::string&) override { return Call(), true; }
    bool ServiceIsRunning(const std::string&, const std::string& key) override { return Call(), Even(key); }
    bool ServiceIsStopped(const std::string&, const std::string& key) override { return Call(), !Even(key); }
    ServiceReading ReadService(const std::string&, const std::string&) override { return Call(), ServiceReading{}; }
    void ServiceQueriesDone() override {}

private:
    void Call() const { std::this_thread::sleep_for(delay_); }
    static bool Even(const std::string& key) { return (key.back() - '0') % 2 == 0; }
    std::chrono::milliseconds delay_;
};

class DelayedReaders : public RowReaderFactory {
public:
    explicit DelayedReaders(std::chrono::milliseconds delay) : delay_(delay) {}
    std::unique_ptr<RowReader> NewReader(std::stop_token) override { return std::make_unique<DelayedReader>(delay_); }

private:
    std::chrono::milliseconds delay_;
};

// Counts what the pass reported, so that the work cannot be left out.
class QuietHost : public QuietPassHost<PassHost> {
public:
    std::string ServiceKeyName(const std::string&, const std::string& display) override { return display; }
    void AppendFailureReport(const std::string& message) override { reported_ += message.size(); }
    std::size_t Reported() const { return reported_; }

private:
    std::size_t reported_ = 0;
};

std::vector<std::string> Rows(int computers, int rowsEach) {
    std::vector<std::string> rows;
    for (int c = 0; c < computers; ++c)
        for (int r = 0; r < rowsEach; ++r)
            rows.push_back("\\\\HOST" + std::to_string(c) + "\tSvc" + std::to_string(r) + "\tNo\tNo");
    return rows;
}

double MedianMs(const std::vector<std::string>& rows, RowReaderFactory& readers, int series, QuietHost& host) {
    std::vector<double> samples;
    for (int s = 0; s < series; ++s) {
        const auto start = Clock::now();
        RunCheckPass(host, rows, readers);
        samples.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
    }
    std::sort(samples.begin(), samples.end());
    return samples[samples.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
    const int series = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
    const int delayMs = argc > 2 ? std::max(0, std::atoi(argv[2])) : 20;
    DelayedReaders readers{std::chrono::milliseconds(delayMs)};
    QuietHost host;
    const double one = MedianMs(Rows(1, 10), readers, series, host);
    const double many = MedianMs(Rows(10, 10), readers, series, host);
    std::printf("%d ms a call, median of %d series\n", delayMs, series);
    std::printf("one   1 computer  x 10 rows %8.1f ms\n", one);
    std::printf("many 10 computers x 10 rows %8.1f ms\n", many);
    std::printf("many/one %.2f\n", many / one);
    return host.Reported() > 0 ? 0 : 1;
}
