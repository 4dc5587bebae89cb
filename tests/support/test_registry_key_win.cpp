#include "tests/support/test_registry_key_win.h"

#include <stdexcept>

#include "platform/handles_win.h"
#include "platform/wide_win.h"

namespace vigilor::test {

namespace {
void DeleteKey(const std::string& path) {
    const std::wstring key = Wide(path);
    RegDeleteTreeW(HKEY_CURRENT_USER, key.c_str());
    RegDeleteKeyW(HKEY_CURRENT_USER, key.c_str());
}
}  // namespace

TestRegistryKey::TestRegistryKey(const std::string& name)
    : path_("SOFTWARE\\VigilorTest\\" + name + "_" + std::to_string(GetCurrentProcessId())) {
    DeleteKey(path_);
}

TestRegistryKey::~TestRegistryKey() { DeleteKey(path_); }

bool TestRegistryKey::Exists() const {
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, Wide(path_).c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
    RegCloseKey(key);
    return true;
}

void TestRegistryKey::SetRaw(const std::string& name, DWORD type, const void* data, DWORD bytes) {
    HKEY raw = nullptr;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, Wide(path_).c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &raw, nullptr) !=
        ERROR_SUCCESS)
        throw std::runtime_error("cannot create test key " + path_);
    RegistryKey key(raw);
    if (RegSetValueExW(key.Get(), Wide(name).c_str(), 0, type, static_cast<const BYTE*>(data), bytes) != ERROR_SUCCESS)
        throw std::runtime_error("cannot set " + name);
}

void TestRegistryKey::SetText(const std::string& name, const std::string& value) {
    const std::wstring text = Wide(value);
    SetRaw(name, REG_SZ, text.c_str(), static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
}

}  // namespace vigilor::test
