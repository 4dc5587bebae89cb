#pragma once
// The raw store under the settings: named text values, names compared
// without regard to letter case.
#include <optional>
#include <string>
#include <vector>

namespace vigilor {

class KeyValueStore {
public:
    virtual ~KeyValueStore() = default;
    // Missing values, and values that do not hold text, read as nullopt.
    virtual std::optional<std::string> Read(const std::string& name) = 0;
    // Raises AppError "Failed to set data for '<name>'" when the write fails.
    virtual void Write(const std::string& name, const std::string& value) = 0;
    // Removing a missing value is no error.
    virtual void Remove(const std::string& name) = 0;
    // The names of all values held, of any type, in no particular order.
    virtual std::vector<std::string> Names() = 0;
};

}  // namespace vigilor
