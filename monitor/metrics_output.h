#pragma once
// The metrics file written after every check pass, however the pass ended,
// when "MetricsOutputEnabled" is on and "MetricsOutput" names a file. A
// failure to write is reported in the memo and the event log, never in a
// box: nobody may be at the screen.
#include <functional>
#include <string>
#include <vector>

#include "config/settings.h"
#include "monitor/pass_record.h"
#include "notify/alert_host.h"
#include "notify/email_alerts.h"

namespace vigilor {

// The system's wall clock and its steady clock.
PassTime SystemPassTime();

class MetricsOutput {
public:
    // Puts the text in place as the whole file at the path; raises an error
    // with its reason when it cannot.
    using FileWriter = std::function<void(const std::string& path, const std::string& text)>;
    // Now on both clocks.
    using Clock = std::function<PassTime()>;

    // monitoredBy: who monitors, as MonitoredBy gives it. The settings, the
    // counts and the channels must outlive this object.
    MetricsOutput(std::string monitoredBy, const ProgramSettings& settings, const AlertCounts& alerts,
                  FailureMemo& memo, NotificationChannels& channels, FileWriter writer, Clock clock = SystemPassTime);

    PassRecord& Record() { return record_; }
    void PassBegins(const std::vector<std::string>& rows);
    // Closes the record and writes the file when it is on. Raises nothing.
    void PassEnded() noexcept;

private:
    void Report(const AppEvent& entry) noexcept;

    std::string monitoredBy_;
    const ProgramSettings& settings_;
    const AlertCounts& alerts_;
    FailureMemo& memo_;
    NotificationChannels& channels_;
    FileWriter writer_;
    Clock clock_;
    PassRecord record_;
};

// Records one check pass for as long as it lives, the rows being those the
// pass walks, and writes the metrics file when it ends, also after an
// error.
class RecordedPass {
public:
    RecordedPass(MetricsOutput& output, const std::vector<std::string>& rows) : output_(output) {
        output_.PassBegins(rows);
    }
    ~RecordedPass() { output_.PassEnded(); }
    RecordedPass(const RecordedPass&) = delete;
    RecordedPass& operator=(const RecordedPass&) = delete;

private:
    MetricsOutput& output_;
};

}  // namespace vigilor
