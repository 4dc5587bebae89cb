#include "config/registry_store_win.h"

#include <cstring>

#include <vector>

#include "platform/app_error.h"
#include "platform/wide_win.h"

namespace vigilor {

RegistryStore::RegistryStore(std::string subKey, HKEY root, Numbers numbers)
    : subKey_(std::move(subKey)), root_(root), numbers_(numbers) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(root_, Wide(subKey_).c_str(), 0, KEY_READ, &key) == ERROR_SUCCESS) key_.Reset(key);
}

std::optional<std::string> RegistryStore::Read(const std::string& name) {
    if (!key_) return std::nullopt;
    const std::wstring wideName = Wide(name);
    std::vector<wchar_t> buffer(256);
    for (;;) {
        DWORD type = 0;
        DWORD bytes = static_cast<DWORD>(buffer.size() * sizeof(wchar_t));
        const LONG result =
            RegQueryValueExW(key_.Get(), wideName.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(buffer.data()), &bytes);
        if (result == ERROR_MORE_DATA) {
            buffer.resize(bytes / sizeof(wchar_t) + 1);
            continue;
        }
        if (result != ERROR_SUCCESS) return std::nullopt;
        if (type == REG_DWORD && numbers_ == Numbers::AsText && bytes == sizeof(DWORD)) {
            DWORD number;
            std::memcpy(&number, buffer.data(), sizeof number);
            return std::to_string(number);
        }
        // Only text can be a setting; anything else reads as missing.
        if (type != REG_SZ && type != REG_EXPAND_SZ) return std::nullopt;
        const size_t chars = bytes / sizeof(wchar_t);
        std::wstring_view text(buffer.data(), chars);
        // Text ends at its first NUL, whether or not the value carries one.
        const size_t nul = text.find(L'\0');
        if (nul != std::wstring_view::npos) text = text.substr(0, nul);
        return Narrow(text);
    }
}

HKEY RegistryStore::KeyForWriting(const std::string& valueName) {
    if (writable_) return key_.Get();
    HKEY key = nullptr;
    if (RegCreateKeyExW(root_, Wide(subKey_).c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_READ | KEY_WRITE, nullptr,
                        &key, nullptr) != ERROR_SUCCESS)
        throw AppError("Failed to set data for '" + valueName + "'");
    key_.Reset(key);
    writable_ = true;
    return key;
}

void RegistryStore::Write(const std::string& name, const std::string& value) {
    const HKEY key = KeyForWriting(name);
    const std::wstring text = Wide(value);
    const DWORD bytes = static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t));
    if (RegSetValueExW(key, Wide(name).c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()), bytes) !=
        ERROR_SUCCESS)
        throw AppError("Failed to set data for '" + name + "'");
}

void RegistryStore::Remove(const std::string& name) {
    if (!key_) return;
    if (!writable_) {
        HKEY key = nullptr;
        if (RegOpenKeyExW(root_, Wide(subKey_).c_str(), 0, KEY_READ | KEY_WRITE, &key) != ERROR_SUCCESS) return;
        key_.Reset(key);
        writable_ = true;
    }
    RegDeleteValueW(key_.Get(), Wide(name).c_str());
}

std::vector<std::string> RegistryStore::Names() {
    std::vector<std::string> names;
    if (!key_) return names;
    // Value names are at most 16,383 characters.
    std::vector<wchar_t> name(16384);
    for (DWORD index = 0;; ++index) {
        DWORD chars = static_cast<DWORD>(name.size());
        const LONG result = RegEnumValueW(key_.Get(), index, name.data(), &chars, nullptr, nullptr, nullptr, nullptr);
        if (result == ERROR_NO_MORE_ITEMS) return names;
        if (result != ERROR_SUCCESS) throw AppError("Failed to read the value names of '" + subKey_ + "'");
        names.push_back(Narrow(std::wstring_view(name.data(), chars)));
    }
}

}  // namespace vigilor
