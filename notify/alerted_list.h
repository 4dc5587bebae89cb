#pragma once
// The keys (machine + "@" + service, or machine + "@IsNotAlive", and for the
// other failures of a row machine + "@" + service + "@" + kind) that have
// been announced since the last Reset. Kept sorted, duplicates ignored.
#include <set>
#include <string>
#include <vector>

namespace vigilor {

class AlertedList {
public:
    // Exact comparison: keys that differ only in letter case are two keys.
    bool Contains(const std::string& key) const { return keys_.count(key) != 0; }
    void Add(const std::string& key) { keys_.insert(key); }
    // The key may be alerted again.
    void Remove(const std::string& key) { keys_.erase(key); }
    void Clear() { keys_.clear(); }
    std::vector<std::string> Keys() const { return {keys_.begin(), keys_.end()}; }

private:
    // Sorted as the user reads names, letter case second.
    struct KeyOrder {
        bool operator()(const std::string& a, const std::string& b) const;
    };
    std::set<std::string, KeyOrder> keys_;
};

std::string AlertKey(const std::string& machine, const std::string& service);

}  // namespace vigilor
