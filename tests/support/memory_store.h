#pragma once
// An in-memory key/value store that folds the case of names as the
// registry does, and can hold a value of a non-text type.
#include <map>
#include <string>

#include "config/key_value_store.h"
#include "platform/text.h"

namespace vigilor::test {

struct FoldedLess {
    bool operator()(const std::string& a, const std::string& b) const { return CompareIgnoringAsciiCase(a, b) < 0; }
};

class MemoryStore : public KeyValueStore {
public:
    std::optional<std::string> Read(const std::string& name) override {
        if (binary.count(name)) return std::nullopt;
        const auto it = values.find(name);
        if (it == values.end()) return std::nullopt;
        return it->second;
    }
    void Write(const std::string& name, const std::string& value) override {
        ++writes;
        binary.erase(name);
        values[name] = value;
    }
    void Remove(const std::string& name) override {
        binary.erase(name);
        values.erase(name);
    }
    std::vector<std::string> Names() override {
        std::vector<std::string> names;
        for (const auto& [name, value] : values) names.push_back(name);
        for (const auto& [name, flag] : binary) names.push_back(name);
        return names;
    }
    bool Has(const std::string& name) const { return values.count(name) || binary.count(name); }

    std::map<std::string, std::string, FoldedLess> values;
    std::map<std::string, bool, FoldedLess> binary;  // names holding a non-text value
    int writes = 0;
};

}  // namespace vigilor::test
