#pragma once
// What the failure-options dialog shows for a row and what it makes of it.
#include <string>

#include "monitor/monitored_service.h"

namespace vigilor {

struct FailureOptions {
    bool restart = false;
    bool email = false;
};

std::string FailureOptionsCaption(const MonitoredService& row);
FailureOptions CurrentFailureOptions(const MonitoredService& row);
// The row after OK: Server and Service trimmed, flags "Yes"/"No".
std::string RowWithFailureOptions(const MonitoredService& row, FailureOptions options);

}  // namespace vigilor
