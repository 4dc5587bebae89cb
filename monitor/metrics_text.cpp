#include "monitor/metrics_text.h"

#include <charconv>
#include <set>
#include <utility>

#include "platform/text.h"

namespace vigilor {

namespace {

class MetricsWriter {
public:
    explicit MetricsWriter(std::string_view monitoredBy) : monitoredBy_(MetricsLabelValue(monitoredBy)) {}

    void Family(const char* name, const char* type, const char* help) {
        name_ = name;
        text_ += std::string("# HELP ") + name + " " + help + "\n";
        text_ += std::string("# TYPE ") + name + " " + type + "\n";
    }

    // One series of the current family; labels after monitored_by, as
    // name="escaped value" pairs.
    void Series(std::initializer_list<std::pair<const char*, std::string_view>> labels, std::string_view value) {
        text_ += name_ + "{monitored_by=\"" + monitoredBy_ + "\"";
        for (const auto& [label, labelValue] : labels)
            text_ += std::string(",") + label + "=\"" + MetricsLabelValue(labelValue) + "\"";
        text_ += "} ";
        text_ += value;
        text_ += "\n";
    }

    std::string Text() && { return std::move(text_); }

private:
    std::string monitoredBy_;
    std::string name_;
    std::string text_;
};

std::string Count(std::uint64_t value) { return std::to_string(value); }

}  // namespace

std::string MetricsLabelValue(std::string_view text) {
    std::string escaped;
    for (const char c : ToUtf8(ToUtf16(text))) {
        if (c == '\\')
            escaped += "\\\\";
        else if (c == '"')
            escaped += "\\\"";
        else if (c == '\n')
            escaped += "\\n";
        else
            escaped += c;
    }
    return escaped;
}

std::string MetricsNumber(double value) {
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    return std::string(buffer, result.ptr);
}

std::string MonitoredBy(std::string_view computer, std::string_view user) {
    if (user.empty()) return std::string(computer);
    return std::string(computer) + "/" + std::string(user);
}

std::string MetricsText(std::string_view monitoredBy, const PassRecord& pass, const AlertCounts& alerts,
                        int intervalMinutes) {
    MetricsWriter out(monitoredBy);
    out.Family("vigilor_pass_timestamp_seconds", "gauge", "End of the latest check pass, Unix time.");
    out.Series({}, MetricsNumber(pass.Ended()));
    out.Family("vigilor_pass_duration_seconds", "gauge", "Duration of the latest check pass.");
    out.Series({}, MetricsNumber(pass.DurationSeconds()));
    out.Family("vigilor_pass_interval_seconds", "gauge", "Time between the end of one check pass and the next.");
    out.Series({}, std::to_string(intervalMinutes * 60));
    out.Family("vigilor_pass_complete", "gauge",
               "1 when the latest check pass checked every row, 0 when it ended early.");
    out.Series({}, pass.Complete() ? "1" : "0");

    out.Family("vigilor_computer_up", "gauge",
               "1 when the computer answered the latest check pass, 0 when it did not.");
    for (const RecordedComputer& computer : pass.Computers())
        out.Series({{"computer", computer.computer}}, computer.answered ? "1" : "0");

    out.Family("vigilor_service_state", "gauge", "1 for the state the latest check pass found the service in.");
    std::set<std::pair<std::string, std::string>> written;
    for (const RecordedRow& row : pass.Rows()) {
        if (!written.emplace(LowerAscii(row.computer), LowerAscii(row.service)).second) continue;
        for (const RowOutcome outcome : kRowOutcomes)
            out.Series({{"computer", row.computer}, {"service", row.service}, {"state", OutcomeName(outcome)}},
                       outcome == row.outcome ? "1" : "0");
    }

    out.Family("vigilor_service_restarts_total", "counter", "Automatic restarts since the program started.");
    for (const RestartCount& restarts : pass.Restarts()) {
        out.Series({{"computer", restarts.computer}, {"service", restarts.service}, {"result", "success"}},
                   Count(restarts.success));
        out.Series({{"computer", restarts.computer}, {"service", restarts.service}, {"result", "failure"}},
                   Count(restarts.failure));
    }

    out.Family("vigilor_alerts_total", "counter", "Alerts raised since the program started.");
    out.Series({{"kind", "failure"}}, Count(alerts.failure));
    out.Series({{"kind", "restart"}}, Count(alerts.restart));
    out.Series({{"kind", "down"}}, Count(alerts.down));
    return std::move(out).Text();
}

}  // namespace vigilor
