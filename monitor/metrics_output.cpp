#include "monitor/metrics_output.h"

#include <chrono>
#include <exception>

#include "monitor/metrics_text.h"
#include "notify/failure_reports.h"

namespace vigilor {

namespace {

double UnixSeconds() {
    const auto since = std::chrono::system_clock::now().time_since_epoch();
    return std::chrono::duration<double>(since).count();
}

}  // namespace

MetricsOutput::MetricsOutput(std::string monitor, const ProgramSettings& settings, const AlertCounts& alerts,
                             FailureMemo& memo, NotificationChannels& channels, FileWriter writer)
    : monitor_(std::move(monitor)),
      settings_(settings),
      alerts_(alerts),
      memo_(memo),
      channels_(channels),
      writer_(std::move(writer)) {}

void MetricsOutput::PassBegins(const std::vector<std::string>& rows) { record_.Begin(rows, UnixSeconds()); }

void MetricsOutput::PassEnded() noexcept {
    record_.End(UnixSeconds());
    if (!settings_.metricsOutputEnabled || settings_.metricsOutput.empty()) return;
    const std::string& path = settings_.metricsOutput;
    try {
        writer_(path, MetricsText(monitor_, record_, alerts_));
    } catch (const std::exception& error) {
        Report("The metrics file " + path + " was not written: " + error.what());
    } catch (...) {
        Report("The metrics file " + path + " was not written");
    }
}

void MetricsOutput::Report(const std::string& text) noexcept {
    try {
        AppendFailureReport(memo_, channels_.Now(), text);
        channels_.LogAppEvent(text);
    } catch (...) {
        // Whatever holds the report back must not end the pass's caller,
        // nor bring up a box that an unattended monitor cannot answer.
    }
}

}  // namespace vigilor
