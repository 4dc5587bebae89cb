#pragma once
// The metrics file in the text format that Prometheus and its exporters
// read (version 0.0.4): what the latest pass found and what has been
// counted since the program started, every series labelled with who
// monitors (monitored_by), so that several monitors can feed one server and
// one exporter. The label is not "monitor": Prometheus set-ups commonly put
// that on every series of a server, and a series' own label would hide it.
#include <string>
#include <string_view>

#include "monitor/pass_record.h"
#include "notify/email_alerts.h"

namespace vigilor {

// A label value between its double quotes: backslash, double quote and line
// feed escaped; malformed UTF-8 replaced, so the file stays UTF-8.
std::string MetricsLabelValue(std::string_view text);

// A number as the format reads it, whatever the locale: shortest exact
// decimal form.
std::string MetricsNumber(double value);

// The monitored_by value: the computer's name for the service, the
// computer's name, "/" and the user's name for a window, so that a window
// and the service, or the windows of two users, on one computer never write
// the same series, which an exporter reading both files rejects.
std::string MonitoredBy(std::string_view computer, std::string_view user);

// The whole file: # HELP and # TYPE before each family, every line ended
// by a line feed. Rows that name the same service on the same computer
// (letter case ignored) give one set of state series, from the first.
// intervalMinutes: the time between passes, exported so that an alert can
// tell a monitor that stopped passing.
std::string MetricsText(std::string_view monitoredBy, const PassRecord& pass, const AlertCounts& alerts,
                        int intervalMinutes);

}  // namespace vigilor
