#pragma once
// The list of monitored services in display order, with its sort order.
#include <string>
#include <vector>

#include "monitor/monitored_service.h"

namespace vigilor {

class MonitoredList {
public:
    const std::vector<std::string>& Rows() const { return rows_; }
    size_t Count() const { return rows_.size(); }
    MonitoredService At(size_t index) const { return MonitoredService::FromRow(rows_.at(index)); }

    void Clear() { rows_.clear(); }
    // A row as read from the store; the caller sorts once all are in.
    void AppendUnsorted(std::string row) { rows_.push_back(std::move(row)); }

    // Appends machine/service with both flags "No" and sorts, unless a row
    // of that machine and service, in any letter case, exists already: then
    // nothing changes and the answer is false.
    bool Add(const std::string& machine, const std::string& service);
    void Remove(size_t index);
    void Replace(size_t index, std::string row);

    // A click on a column header: sorts by it, reversing the direction when
    // it is the current sort column already.
    void ColumnClicked(int column);
    void Sort();
    int SortColumn() const { return sortColumn_; }
    bool Ascending() const { return ascending_; }

    // "MONITORED SERVICES [n]"
    std::string CountLabel() const;

private:
    std::vector<std::string> rows_;
    int sortColumn_ = kServerColumn;
    bool ascending_ = true;
};

}  // namespace vigilor
