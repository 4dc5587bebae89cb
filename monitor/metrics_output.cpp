#include "monitor/metrics_output.h"

#include <chrono>
#include <exception>

#include "monitor/metrics_text.h"
#include "notify/failure_reports.h"

namespace vigilor {

PassTime SystemPassTime() {
    using Seconds = std::chrono::duration<double>;
    return {Seconds(std::chrono::system_clock::now().time_since_epoch()).count(),
            Seconds(std::chrono::steady_clock::now().time_since_epoch()).count()};
}

MetricsOutput::MetricsOutput(std::string monitoredBy, const ProgramSettings& settings, const AlertCounts& alerts,
                             FailureMemo& memo, NotificationChannels& channels, FileWriter writer, Clock clock)
    : monitoredBy_(std::move(monitoredBy)),
      settings_(settings),
      alerts_(alerts),
      memo_(memo),
      channels_(channels),
      writer_(std::move(writer)),
      clock_(std::move(clock)) {}

void MetricsOutput::PassBegins(const std::vector<std::string>& rows) { record_.Begin(rows, clock_()); }

void MetricsOutput::PassEnded() noexcept {
    record_.End(clock_());
    if (!settings_.metricsOutputEnabled || settings_.metricsOutput.empty()) return;
    const std::string& path = settings_.metricsOutput;
    try {
        writer_(path, MetricsText(monitoredBy_, record_, alerts_, settings_.scanInterval));
    } catch (const std::exception& error) {
        Report(MetricsNotWrittenEvent(path, error.what()));
    } catch (...) {
        Report(MetricsNotWrittenEvent(path, "Unknown error"));
    }
}

void MetricsOutput::Report(const AppEvent& entry) noexcept {
    try {
        AppendFailureReport(memo_, channels_.Now(), entry.text);
        channels_.WriteEvent(entry);
    } catch (...) {
        // Whatever holds the report back must not end the pass's caller,
        // nor bring up a box that an unattended monitor cannot answer.
    }
}

}  // namespace vigilor
