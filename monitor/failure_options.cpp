#include "monitor/failure_options.h"

#include "platform/text.h"

namespace vigilor {

std::string FailureOptionsCaption(const MonitoredService& row) {
    return "Options for " + Trim(row.service) + " on " + Trim(row.server);
}

FailureOptions CurrentFailureOptions(const MonitoredService& row) { return {row.AutoRestartOn(), row.EmailOn()}; }

std::string RowWithFailureOptions(const MonitoredService& row, FailureOptions options) {
    return MonitoredService{Trim(row.server), Trim(row.service), options.restart ? "Yes" : "No",
                            options.email ? "Yes" : "No"}
        .ToRow();
}

}  // namespace vigilor
