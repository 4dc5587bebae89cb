#include "monitor/monitored_list.h"

#include <algorithm>

#include "platform/text.h"

namespace vigilor {

bool MonitoredList::Add(const std::string& machine, const std::string& service) {
    // Compared as the row holds them, so that a name with a tab is found,
    // and regardless of letter case, as Windows names computers and
    // services and as the row memory keys them.
    std::string added = MonitoredService{machine, service, "No", "No"}.ToRow();
    const std::string addedMachine = FieldOf(added, kServerColumn);
    const std::string addedService = FieldOf(added, kServiceColumn);
    for (const auto& row : rows_)
        if (EqualsIgnoringAsciiCase(FieldOf(row, kServerColumn), addedMachine) &&
            EqualsIgnoringAsciiCase(FieldOf(row, kServiceColumn), addedService))
            return false;
    rows_.push_back(std::move(added));
    Sort();
    return true;
}

void MonitoredList::Remove(size_t index) {
    if (index < rows_.size()) rows_.erase(rows_.begin() + static_cast<std::ptrdiff_t>(index));
}

void MonitoredList::Replace(size_t index, std::string row) {
    if (index < rows_.size()) rows_[index] = std::move(row);
}

void MonitoredList::ColumnClicked(int column) {
    if (column < 0 || column >= kMonitoredColumns) return;
    if (column == sortColumn_) {
        ascending_ = !ascending_;
    } else {
        sortColumn_ = column;
        ascending_ = true;
    }
    Sort();
}

void MonitoredList::Sort() {
    // Stable, so rows with equal keys keep the order they had.
    std::stable_sort(rows_.begin(), rows_.end(), [this](const std::string& a, const std::string& b) {
        const int order = CompareIgnoringAsciiCase(FieldOf(a, sortColumn_), FieldOf(b, sortColumn_));
        return ascending_ ? order < 0 : order > 0;
    });
}

std::string MonitoredList::CountLabel() const { return "MONITORED SERVICES [" + std::to_string(rows_.size()) + "]"; }

}  // namespace vigilor
