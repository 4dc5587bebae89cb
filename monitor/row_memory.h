#pragma once
// What monitoring remembers of each row from one pass to the next: how many
// passes in a row its service has been seen in the same pending or paused
// state, and the times of its successful automatic restarts. Rows are told
// apart by machine and service, letter case ignored. Held in memory only.
#include <cstdint>
#include <deque>
#include <map>
#include <string>

namespace vigilor {

class RowMemory {
public:
    // The row's service was seen in a pending or paused state: the passes
    // in a row, this one included, that it has been in that same state.
    int SeenWaiting(const std::string& machine, const std::string& service, int state);
    // Seen in any other way: the count of waiting passes starts again.
    void SeenSettled(const std::string& machine, const std::string& service);

    // A successful automatic restart at now (seconds): the restarts of the
    // row within the last window (later than now - window), this one
    // included.
    int Restarted(const std::string& machine, const std::string& service, std::int64_t now,
                  std::int64_t windowSeconds);
    // Drops the restarts that have left the window; true when that leaves
    // none of a row that had some: a whole window passed with no restart.
    bool WindowPassed(const std::string& machine, const std::string& service, std::int64_t now,
                      std::int64_t windowSeconds);

    // A row removed from the list; added again, it starts afresh.
    void Forget(const std::string& machine, const std::string& service);
    void Clear() { rows_.clear(); }

private:
    struct Row {
        int waitingState = 0;
        int waitingPasses = 0;
        std::deque<std::int64_t> restarts;  // oldest first
    };
    static std::string Key(const std::string& machine, const std::string& service);
    // Drops the restarts at or before now - window.
    static void Expire(Row& row, std::int64_t now, std::int64_t windowSeconds);

    std::map<std::string, Row> rows_;
};

}  // namespace vigilor
