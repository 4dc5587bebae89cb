#pragma once
// The settings key in the registry of the current user.
#include <string>

#include "config/key_value_store.h"
#include "platform/handles_win.h"

namespace vigilor {

constexpr const char* kSettingsKeyPath = "SOFTWARE\\Vigilor1";

// Opens the key for one operation (the object's life) and closes it after;
// the key is created only when something is written.
class RegistryStore : public KeyValueStore {
public:
    // Numbers: whether a REG_DWORD value reads as its decimal text (as
    // Group Policy and .reg files write numbers) or as missing.
    enum class Numbers { Missing, AsText };
    explicit RegistryStore(std::string subKey = kSettingsKeyPath, HKEY root = HKEY_CURRENT_USER,
                           Numbers numbers = Numbers::Missing);

    std::optional<std::string> Read(const std::string& name) override;
    void Write(const std::string& name, const std::string& value) override;
    void Remove(const std::string& name) override;
    std::vector<std::string> Names() override;

private:
    HKEY KeyForWriting(const std::string& valueName);

    std::string subKey_;
    HKEY root_;
    RegistryKey key_;
    bool writable_ = false;
    Numbers numbers_;
};

}  // namespace vigilor
