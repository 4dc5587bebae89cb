#include "monitor/row_memory.h"

#include "platform/text.h"

namespace vigilor {

std::string RowMemory::Key(const std::string& machine, const std::string& service) {
    return UpperAscii(machine) + "@" + UpperAscii(service);
}

int RowMemory::SeenWaiting(const std::string& machine, const std::string& service, int state) {
    Row& row = rows_[Key(machine, service)];
    if (row.waitingState != state) {
        row.waitingState = state;
        row.waitingPasses = 0;
    }
    return ++row.waitingPasses;
}

void RowMemory::SeenSettled(const std::string& machine, const std::string& service) {
    const auto found = rows_.find(Key(machine, service));
    if (found == rows_.end()) return;
    found->second.waitingState = 0;
    found->second.waitingPasses = 0;
}

void RowMemory::Expire(Row& row, std::int64_t now, std::int64_t windowSeconds) {
    while (!row.restarts.empty() && row.restarts.front() <= now - windowSeconds) row.restarts.pop_front();
}

int RowMemory::Restarted(const std::string& machine, const std::string& service, std::int64_t now,
                         std::int64_t windowSeconds) {
    Row& row = rows_[Key(machine, service)];
    row.restarts.push_back(now);
    Expire(row, now, windowSeconds);
    return static_cast<int>(row.restarts.size());
}

bool RowMemory::WindowPassed(const std::string& machine, const std::string& service, std::int64_t now,
                             std::int64_t windowSeconds) {
    const auto found = rows_.find(Key(machine, service));
    if (found == rows_.end() || found->second.restarts.empty()) return false;
    Expire(found->second, now, windowSeconds);
    return found->second.restarts.empty();
}

void RowMemory::Forget(const std::string& machine, const std::string& service) { rows_.erase(Key(machine, service)); }

}  // namespace vigilor
