#pragma once
// Typed reads and writes over the key/value store, with the stored forms
// the program has always used: integers as decimal text, booleans "0"/"1".
#include <optional>
#include <string>
#include <vector>

#include "config/key_value_store.h"

namespace vigilor {

class SettingsStore {
public:
    explicit SettingsStore(KeyValueStore& store) : store_(store) {}

    std::string ReadString(const std::string& name, const std::string& fallback);
    int ReadInteger(const std::string& name, int fallback);
    bool ReadBool(const std::string& name, bool fallback);

    // Text is stored up to its first NUL character, as the registry's text
    // values end there.
    void WriteString(const std::string& name, const std::string& value);
    void WriteInteger(const std::string& name, int value);
    void WriteBool(const std::string& name, bool value);
    void Remove(const std::string& name);
    std::vector<std::string> Names() { return store_.Names(); }

private:
    KeyValueStore& store_;
};

// A decimal integer with an optional sign and leading blanks; nullopt for
// anything else or a number outside the 32-bit range.
std::optional<int> ParseDecimal(const std::string& text);

}  // namespace vigilor
