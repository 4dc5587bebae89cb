#pragma once
// The metrics file in the text format that Prometheus and its exporters
// read (version 0.0.4): what the latest pass found and what has been
// counted since the program started, every series labelled with the
// monitoring computer, so that several monitors can feed one server.
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

// The whole file: # HELP and # TYPE before each family, every line ended
// by a line feed. Rows that name the same service on the same computer
// (letter case ignored) give one set of state series, from the first.
std::string MetricsText(std::string_view monitor, const PassRecord& pass, const AlertCounts& alerts);

}  // namespace vigilor
