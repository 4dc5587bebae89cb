#include "monitor/metrics_output_win.h"

#include "monitor/status_page_writer_win.h"

namespace vigilor {

void WriteMetricsFile(const std::string& path, const std::string& text) {
    ReplaceWholeFile(path, text, WithoutDraft::Refuse);
}

std::unique_ptr<MetricsOutput> MakeMetricsOutput(std::string monitoredBy, const ProgramSettings& settings,
                                                 const AlertCounts& alerts, FailureMemo& memo,
                                                 NotificationChannels& channels) {
    return std::make_unique<MetricsOutput>(std::move(monitoredBy), settings, alerts, memo, channels,
                                           WriteMetricsFile);
}

}  // namespace vigilor
