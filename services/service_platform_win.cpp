#include "services/service_platform_win.h"

#include <windows.h>

#include <vector>

#include "platform/wide_win.h"

namespace vigilor {

namespace {

// The configuration record and its texts fit here on every service seen;
// a larger one is asked for when the manager says so.
constexpr DWORD kConfigBufferBytes = 8192;

SC_HANDLE Sc(ScHandle handle) { return static_cast<SC_HANDLE>(handle); }
HKEY Key(RegHandle handle) { return static_cast<HKEY>(handle); }

std::string Text(const wchar_t* text) { return text ? Narrow(text) : std::string(); }

// A wide multi-string (as the manager or registry gives it, at most chars
// characters) as a UTF-8 block, each text followed by its NUL, closed by an
// empty text.
std::string BlockFromWide(const wchar_t* block, size_t chars) {
    std::string out;
    if (block) {
        size_t i = 0;
        while (i < chars && block[i] != L'\0') {
            size_t end = i;
            while (end < chars && block[end] != L'\0') ++end;
            out += Narrow(std::wstring_view(block + i, end - i));
            out += '\0';
            i = end + 1;
        }
    }
    out += '\0';
    if (out.size() == 1) out += '\0';
    return out;
}

// The other way; an empty block gives the empty multi-string.
std::wstring WideFromBlock(const std::string& block) {
    std::wstring out;
    size_t i = 0;
    while (i < block.size() && block[i] != '\0') {
        size_t end = block.find('\0', i);
        if (end == std::string::npos) end = block.size();
        out += Wide(std::string_view(block).substr(i, end - i));
        out += L'\0';
        i = end + 1;
    }
    out += L'\0';
    if (out.size() == 1) out += L'\0';
    return out;
}

void CopyStatus(const SERVICE_STATUS& from, ServiceStatusRecord& to) {
    to.serviceType = from.dwServiceType;
    to.currentState = from.dwCurrentState;
    to.controlsAccepted = from.dwControlsAccepted;
    to.win32ExitCode = from.dwWin32ExitCode;
    to.serviceSpecificExitCode = from.dwServiceSpecificExitCode;
    to.checkPoint = from.dwCheckPoint;
    to.waitHint = from.dwWaitHint;
}

// Null for "leave as is".
struct OptionalWide {
    explicit OptionalWide(const std::optional<std::string>& text) : present(text.has_value()) {
        if (present) value = Wide(*text);
    }
    const wchar_t* Get() const { return present ? value.c_str() : nullptr; }
    bool present;
    std::wstring value;
};

}  // namespace

ScHandle Win32ServicePlatform::OpenManager(const std::optional<std::string>& machine,
                                           const std::optional<std::string>& database, std::uint32_t access) {
    const OptionalWide machineName(machine);
    const OptionalWide databaseName(database);
    return OpenSCManagerW(machineName.Get(), databaseName.Get(), access);
}

ScHandle Win32ServicePlatform::OpenServiceHandle(ScHandle manager, const std::string& keyName, std::uint32_t access) {
    return OpenServiceW(Sc(manager), Wide(keyName).c_str(), access);
}

bool Win32ServicePlatform::CloseScHandle(ScHandle handle) { return CloseServiceHandle(Sc(handle)); }

bool Win32ServicePlatform::QueryConfig(ScHandle service, ServiceConfigRecord& config) {
    std::vector<BYTE> buffer(kConfigBufferBytes);
    DWORD needed = 0;
    auto* record = reinterpret_cast<QUERY_SERVICE_CONFIGW*>(buffer.data());
    if (!QueryServiceConfigW(Sc(service), record, static_cast<DWORD>(buffer.size()), &needed)) {
        if (GetLastError() != ERROR_INSUFFICIENT_BUFFER) return false;
        buffer.assign(needed, 0);
        record = reinterpret_cast<QUERY_SERVICE_CONFIGW*>(buffer.data());
        if (!QueryServiceConfigW(Sc(service), record, static_cast<DWORD>(buffer.size()), &needed)) return false;
    }
    config.serviceType = record->dwServiceType;
    config.startType = record->dwStartType;
    config.errorControl = record->dwErrorControl;
    config.binaryPathName = Text(record->lpBinaryPathName);
    config.loadOrderGroup = Text(record->lpLoadOrderGroup);
    config.tagId = record->dwTagId;
    // The dependencies run at most to the end of the buffer.
    const size_t dependencyChars =
        record->lpDependencies
            ? (buffer.data() + buffer.size() - reinterpret_cast<const BYTE*>(record->lpDependencies)) / sizeof(wchar_t)
            : 0;
    config.dependencies = BlockFromWide(record->lpDependencies, dependencyChars);
    config.serviceStartName = Text(record->lpServiceStartName);
    config.displayName = Text(record->lpDisplayName);
    return true;
}

bool Win32ServicePlatform::ChangeConfig(ScHandle service, const ServiceConfigChange& change) {
    const OptionalWide path(change.binaryPathName);
    const OptionalWide group(change.loadOrderGroup);
    const std::wstring dependencies = WideFromBlock(change.dependencies);
    const OptionalWide startName(change.serviceStartName);
    const OptionalWide password(change.password);
    const OptionalWide displayName(change.displayName);
    DWORD tag = change.tagId ? *change.tagId : 0;
    const BOOL ok = ChangeServiceConfigW(Sc(service), change.serviceType, change.startType, change.errorControl,
                                         path.Get(), group.Get(), change.tagId ? &tag : nullptr, dependencies.c_str(),
                                         startName.Get(), password.Get(), displayName.Get());
    if (ok && change.tagId) *change.tagId = tag;
    return ok;
}

bool Win32ServicePlatform::Start(ScHandle service) { return StartServiceW(Sc(service), 0, nullptr); }

bool Win32ServicePlatform::Control(ScHandle service, std::uint32_t control) {
    SERVICE_STATUS status{};
    return ControlService(Sc(service), control, &status);
}

bool Win32ServicePlatform::QueryStatus(ScHandle service, ServiceStatusRecord& status) {
    SERVICE_STATUS raw{};
    if (!QueryServiceStatus(Sc(service), &raw)) return false;
    CopyStatus(raw, status);
    return true;
}

bool Win32ServicePlatform::EnumStatus(ScHandle manager, std::uint32_t kinds, std::uint32_t states,
                                      std::uint32_t bufferBytes, std::vector<EnumServiceRecord>& records,
                                      std::uint32_t& bytesNeeded, std::uint32_t& resumeHandle) {
    std::vector<BYTE> buffer(bufferBytes);
    auto* entries = reinterpret_cast<ENUM_SERVICE_STATUSW*>(buffer.data());
    DWORD needed = 0;
    DWORD returned = 0;
    DWORD resume = resumeHandle;
    const BOOL ok = EnumServicesStatusW(Sc(manager), kinds, states, buffer.empty() ? nullptr : entries, bufferBytes,
                                        &needed, &returned, &resume);
    const DWORD error = GetLastError();
    bytesNeeded = needed;
    resumeHandle = resume;
    records.clear();
    for (DWORD i = 0; i < returned; ++i) {
        EnumServiceRecord record;
        record.serviceName = Text(entries[i].lpServiceName);
        record.displayName = Text(entries[i].lpDisplayName);
        CopyStatus(entries[i].ServiceStatus, record.status);
        records.push_back(std::move(record));
    }
    // The conversions above must not disturb the caller's view of the call.
    SetLastError(error);
    return ok;
}

bool Win32ServicePlatform::KeyNameOf(ScHandle manager, const std::string& displayName, std::uint32_t maxChars,
                                     std::string& keyName) {
    std::vector<wchar_t> buffer(maxChars + 1, L'\0');
    DWORD length = maxChars;
    if (!GetServiceKeyNameW(Sc(manager), Wide(displayName).c_str(), buffer.data(), &length)) return false;
    keyName = Narrow(std::wstring_view(buffer.data(), std::min<DWORD>(length, maxChars)));
    return true;
}

long Win32ServicePlatform::ConnectRegistry(const std::optional<std::string>& machine, RegHandle& key) {
    const OptionalWide name(machine);
    HKEY connected = nullptr;
    const LONG result = RegConnectRegistryW(name.Get(), HKEY_LOCAL_MACHINE, &connected);
    key = connected;
    return result;
}

long Win32ServicePlatform::OpenRegistryKey(RegHandle key, const std::string& path, RegHandle& opened) {
    HKEY result = nullptr;
    const LONG status = RegOpenKeyExW(Key(key), Wide(path).c_str(), 0, KEY_READ, &result);
    opened = result;
    return status;
}

long Win32ServicePlatform::QueryMultiString(RegHandle key, const std::string& name, std::uint32_t bufferBytes,
                                            std::string& block) {
    std::vector<wchar_t> buffer(bufferBytes / sizeof(wchar_t) + 1, L'\0');
    DWORD bytes = bufferBytes;
    const LONG status =
        RegQueryValueExW(Key(key), Wide(name).c_str(), nullptr, nullptr, reinterpret_cast<BYTE*>(buffer.data()), &bytes);
    if (status == ERROR_SUCCESS) block = bytes ? BlockFromWide(buffer.data(), bytes / sizeof(wchar_t)) : std::string();
    return status;
}

void Win32ServicePlatform::CloseRegistryKey(RegHandle key) { RegCloseKey(Key(key)); }

void Win32ServicePlatform::Wait(std::uint32_t milliseconds) { ::Sleep(milliseconds); }

std::uint64_t Win32ServicePlatform::TickCount() { return GetTickCount64(); }

Win32ServicePlatform& SystemServices() {
    static Win32ServicePlatform services;
    return services;
}

}  // namespace vigilor
