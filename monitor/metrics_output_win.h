#pragma once
// The metrics file output with the system's file replace behind it.
#include <memory>
#include <string>

#include "monitor/metrics_output.h"

namespace vigilor {

// Puts the text in place as the whole file; never in place, so that an
// exporter reading it never sees half a file.
void WriteMetricsFile(const std::string& path, const std::string& text);

// Never writes the file in place: an exporter reading it must not see half
// a file.
std::unique_ptr<MetricsOutput> MakeMetricsOutput(std::string monitoredBy, const ProgramSettings& settings,
                                                 const AlertCounts& alerts, FailureMemo& memo,
                                                 NotificationChannels& channels);

}  // namespace vigilor
