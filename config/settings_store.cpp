#include "config/settings_store.h"

#include <climits>
#include <optional>

namespace vigilor {

std::optional<int> ParseDecimal(const std::string& text) {
    size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    if (i == text.size()) return std::nullopt;
    long long value = 0;
    for (; i < text.size(); ++i) {
        if (text[i] < '0' || text[i] > '9') return std::nullopt;
        value = value * 10 + (text[i] - '0');
        if (value > static_cast<long long>(INT_MAX) + 1) return std::nullopt;
    }
    if (negative) value = -value;
    if (value < INT_MIN || value > INT_MAX) return std::nullopt;
    return static_cast<int>(value);
}

std::string SettingsStore::ReadString(const std::string& name, const std::string& fallback) {
    return store_.Read(name).value_or(fallback);
}

int SettingsStore::ReadInteger(const std::string& name, int fallback) {
    const auto text = store_.Read(name);
    if (!text) return fallback;
    return ParseDecimal(*text).value_or(fallback);
}

bool SettingsStore::ReadBool(const std::string& name, bool fallback) {
    return ReadInteger(name, fallback ? 1 : 0) != 0;
}

void SettingsStore::WriteString(const std::string& name, const std::string& value) {
    store_.Write(name, value.substr(0, value.find('\0')));
}

void SettingsStore::WriteInteger(const std::string& name, int value) {
    store_.Write(name, std::to_string(value));
}

void SettingsStore::WriteBool(const std::string& name, bool value) { store_.Write(name, value ? "1" : "0"); }

void SettingsStore::Remove(const std::string& name) { store_.Remove(name); }

}  // namespace vigilor
