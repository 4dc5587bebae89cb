#pragma once
// What nobody at the screen could be shown goes to the failure reports and
// to an event entry of its own.
#include <string>

#include "notify/alert_host.h"

namespace vigilor {

// The entry is written quietly: the report holds the text, and a refused
// entry must neither bring up a box nobody would answer nor end a pass.
void ReportUnattended(FailureMemo& memo, NotificationChannels& channels, const LocalTime& now,
                      const std::string& text);

}  // namespace vigilor
