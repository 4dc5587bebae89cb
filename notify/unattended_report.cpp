#include "notify/unattended_report.h"

#include <exception>

namespace vigilor {

void ReportUnattended(FailureMemo& memo, NotificationChannels& channels, const LocalTime& now,
                      const std::string& text) {
    AppendFailureReport(memo, now, text);
    try {
        channels.WriteEvent(MessageNotShownEvent(text));
    } catch (const std::exception&) {
    }
}

}  // namespace vigilor
