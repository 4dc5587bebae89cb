#pragma once
// What the latest check pass found, as the metrics file reports it: the
// computers it reached and whether they answered, each row's outcome, when
// it ran and whether it got to the end; and the automatic restarts counted
// since the program started, which a new pass keeps.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace vigilor {

enum class RowOutcome { Running, Stopped, Restarted, Paused, Pending, NotFound, Unknown, NotChecked };

constexpr RowOutcome kRowOutcomes[] = {RowOutcome::Running, RowOutcome::Stopped,  RowOutcome::Restarted,
                                       RowOutcome::Paused,  RowOutcome::Pending,  RowOutcome::NotFound,
                                       RowOutcome::Unknown, RowOutcome::NotChecked};

// "running", "stopped", ... "not_checked".
const char* OutcomeName(RowOutcome outcome);

// A checked row's outcome from the status word the pass gave it and, for a
// row with no such word or a pending or paused one, the state code its
// service was read in (negative when it was not read).
RowOutcome OutcomeOf(std::string_view statusWord, int readState);

struct RecordedRow {
    std::string computer;  // the row's machine as stored
    std::string service;   // its display name
    RowOutcome outcome = RowOutcome::NotChecked;
};

struct RecordedComputer {
    std::string computer;
    bool answered = false;
};

// A moment of a pass on both clocks: the wall clock's Unix time, which the
// file reports, and a monotonic clock, which alone measures a duration that
// a change of the wall clock cannot bend.
struct PassTime {
    double unixSeconds = 0;
    double monotonicSeconds = 0;
};

struct RestartCount {
    std::string computer;
    std::string service;
    std::uint64_t success = 0;
    std::uint64_t failure = 0;
};

// Computers, and services on a computer, are told apart with letter case
// ignored; each keeps the spelling it was first seen in.
class PassRecord {
public:
    // A new pass over the rows (tab-separated, as the monitored list holds
    // them): every row not checked yet. A row that restarts its service by
    // itself gets its restart counts from this pass on, at 0 until a
    // restart, so that the first restart is an increase too.
    void Begin(const std::vector<std::string>& rows, PassTime started);
    // The latest answer of a computer counts.
    void ComputerAnswered(const std::string& computer, bool answered);
    void RowChecked(std::size_t index, RowOutcome outcome);
    void Restarted(const std::string& computer, const std::string& service, bool success);
    void End(PassTime ended);

    // Unix time.
    double Ended() const { return ended_.unixSeconds; }
    double DurationSeconds() const { return ended_.monotonicSeconds - started_.monotonicSeconds; }
    // True when the pass checked every row.
    bool Complete() const;
    const std::vector<RecordedRow>& Rows() const { return rows_; }
    // In the order the pass reached them.
    const std::vector<RecordedComputer>& Computers() const { return computers_; }
    // In the order they were first counted.
    const std::vector<RestartCount>& Restarts() const { return restarts_; }

private:
    RestartCount& CountOf(const std::string& computer, const std::string& service);

    PassTime started_;
    PassTime ended_;
    std::vector<RecordedRow> rows_;
    std::vector<RecordedComputer> computers_;
    std::vector<RestartCount> restarts_;
};

}  // namespace vigilor
