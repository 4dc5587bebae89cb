#include "monitor/pass_record.h"

#include <algorithm>

#include "monitor/monitored_service.h"
#include "monitor/status_words.h"
#include "platform/text.h"

namespace vigilor {

namespace {

constexpr int kPausedState = 7;  // the service manager's code

// Names are kept as valid UTF-8, so that two names the file would spell
// alike are also told apart as one.
std::string Valid(const std::string& name) { return ToUtf8(ToUtf16(name)); }

}  // namespace

const char* OutcomeName(RowOutcome outcome) {
    switch (outcome) {
        case RowOutcome::Running: return "running";
        case RowOutcome::Stopped: return "stopped";
        case RowOutcome::Restarted: return "restarted";
        case RowOutcome::Paused: return "paused";
        case RowOutcome::Pending: return "pending";
        case RowOutcome::NotFound: return "not_found";
        case RowOutcome::Unknown: return "unknown";
        case RowOutcome::NotChecked: return "not_checked";
    }
    return "unknown";
}

RowOutcome OutcomeOf(std::string_view statusWord, int readState) {
    if (statusWord == kStatusRunning) return RowOutcome::Running;
    if (statusWord == kStatusStopped) return RowOutcome::Stopped;
    if (statusWord == kStatusRestarted) return RowOutcome::Restarted;
    if (statusWord == kStatusNotFound) return RowOutcome::NotFound;
    if (statusWord == kStatusUnknown) return RowOutcome::Unknown;
    // Pending or paused, hung or not yet; anything else is a state that
    // changed between the queries and was not seen settled.
    if (readState == kPausedState) return RowOutcome::Paused;
    if (!WaitingStateWord(readState).empty()) return RowOutcome::Pending;
    return RowOutcome::Unknown;
}

void PassRecord::Begin(const std::vector<std::string>& rows, PassTime started) {
    started_ = started;
    ended_ = started;
    rows_.clear();
    computers_.clear();
    for (const std::string& row : rows) {
        const MonitoredService fields = MonitoredService::FromRow(row);
        rows_.push_back({Valid(fields.server), Valid(fields.service), RowOutcome::NotChecked});
        if (fields.AutoRestartOn()) CountOf(fields.server, fields.service);
    }
}

void PassRecord::ComputerAnswered(const std::string& name, bool answered) {
    const std::string computer = Valid(name);
    const auto known = std::find_if(computers_.begin(), computers_.end(), [&](const RecordedComputer& seen) {
        return EqualsIgnoringAsciiCase(seen.computer, computer);
    });
    if (known == computers_.end())
        computers_.push_back({computer, answered});
    else
        known->answered = answered;
}

void PassRecord::RowChecked(std::size_t index, RowOutcome outcome) {
    if (index < rows_.size()) rows_[index].outcome = outcome;
}

RestartCount& PassRecord::CountOf(const std::string& computerName, const std::string& serviceName) {
    const std::string computer = Valid(computerName);
    const std::string service = Valid(serviceName);
    const auto known = std::find_if(restarts_.begin(), restarts_.end(), [&](const RestartCount& seen) {
        return EqualsIgnoringAsciiCase(seen.computer, computer) && EqualsIgnoringAsciiCase(seen.service, service);
    });
    if (known != restarts_.end()) return *known;
    return restarts_.emplace_back(RestartCount{computer, service, 0, 0});
}

void PassRecord::Restarted(const std::string& computer, const std::string& service, bool success) {
    RestartCount& count = CountOf(computer, service);
    ++(success ? count.success : count.failure);
}

void PassRecord::End(PassTime ended) { ended_ = ended; }

bool PassRecord::Complete() const {
    return std::none_of(rows_.begin(), rows_.end(),
                        [](const RecordedRow& row) { return row.outcome == RowOutcome::NotChecked; });
}

}  // namespace vigilor
