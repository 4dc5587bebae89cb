#pragma once
// What a long run may leak, sampled from inside the process: kernel
// handles and threads as the wineserver (or the kernel) counts them,
// private bytes, and USER objects. Under Wine GetGuiResources answers 0 and
// GetProcessHandleCount nothing useful (and the process list's handle count
// is the size of the wineserver's handle table, which grows by doubling), so
// the handles are counted in the system's list of open handles, which the
// wineserver fills from every process's table, and the USER objects are
// counted as the process's windows, message-only ones included. A figure
// that cannot be had is nullopt, never 0.
#include <windows.h>
#include <psapi.h>
#include <winternl.h>

#include <algorithm>
#include <cstdio>
#include <optional>
#include <utility>
#include <vector>

namespace vigilor {

struct ProcessFigures {
    std::optional<double> handles, privateMb, threads, userObjects;
};

namespace process_figures {

inline BOOL CALLBACK CountIfOwn(HWND window, LPARAM context) {
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    auto* counting = reinterpret_cast<std::pair<DWORD, double>*>(context);
    if (owner == counting->first) ++counting->second;
    return TRUE;
}

// The window and all its descendants that belong to the process.
inline void CountOwnTree(HWND window, DWORD process, double& count) {
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner != process) return;
    std::pair<DWORD, double> counting{process, 0};
    EnumChildWindows(window, CountIfOwn, reinterpret_cast<LPARAM>(&counting));
    count += 1 + counting.second;
}

inline BOOL CALLBACK CountTopLevel(HWND window, LPARAM context) {
    auto* counting = reinterpret_cast<std::pair<DWORD, double>*>(context);
    CountOwnTree(window, counting->first, counting->second);
    return TRUE;
}

inline std::optional<double> OwnWindows() {
    const DWORD process = GetCurrentProcessId();
    std::pair<DWORD, double> counting{process, 0};
    EnumWindows(CountTopLevel, reinterpret_cast<LPARAM>(&counting));
    for (HWND window = FindWindowExW(HWND_MESSAGE, nullptr, nullptr, nullptr); window;
         window = FindWindowExW(HWND_MESSAGE, window, nullptr, nullptr))
        CountOwnTree(window, process, counting.second);
    return counting.second;
}

inline std::optional<double> Positive(double value) {
    return value > 0 ? std::optional<double>(value) : std::nullopt;
}

using QuerySystemInformation = NTSTATUS(NTAPI*)(ULONG, PVOID, ULONG, PULONG);

// The system information of the class, grown until it fits; empty when the
// system does not give it.
inline std::vector<unsigned char> SystemInformation(ULONG informationClass) {
    const auto query = reinterpret_cast<QuerySystemInformation>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "NtQuerySystemInformation")));
    if (!query) return {};
    std::vector<unsigned char> buffer(1 << 20);
    ULONG needed = 0;
    NTSTATUS status;
    while ((status = query(informationClass, buffer.data(), static_cast<ULONG>(buffer.size()), &needed)) ==
           static_cast<NTSTATUS>(0xC0000004L))  // STATUS_INFO_LENGTH_MISMATCH
        buffer.resize(std::max<size_t>(buffer.size() * 2, needed));
    if (status < 0) buffer.clear();
    return buffer;
}

// SystemExtendedHandleInformation: every open handle of every process.
constexpr ULONG kExtendedHandleInformation = 64;
struct HandleEntry {
    PVOID object;
    ULONG_PTR process;
    ULONG_PTR value;
    ULONG access;
    USHORT creatorBackTrace;
    USHORT objectType;
    ULONG attributes;
    ULONG reserved;
};
struct HandleList {
    ULONG_PTR count;
    ULONG_PTR reserved;
    HandleEntry entries[1];
};

inline std::optional<double> OwnHandles() {
    const std::vector<unsigned char> buffer = SystemInformation(kExtendedHandleInformation);
    if (buffer.size() < sizeof(HandleList)) return std::nullopt;
    const auto* list = reinterpret_cast<const HandleList*>(buffer.data());
    double count = 0;
    for (ULONG_PTR i = 0; i < list->count; ++i)
        if (list->entries[i].process == GetCurrentProcessId()) ++count;
    return Positive(count);
}

// This process's entry in the system's process list.
inline std::optional<SYSTEM_PROCESS_INFORMATION> OwnEntry() {
    const std::vector<unsigned char> buffer = SystemInformation(SystemProcessInformation);
    if (buffer.empty()) return std::nullopt;
    const auto process = reinterpret_cast<HANDLE>(static_cast<ULONG_PTR>(GetCurrentProcessId()));
    for (size_t offset = 0;;) {
        const auto* entry = reinterpret_cast<const SYSTEM_PROCESS_INFORMATION*>(buffer.data() + offset);
        if (entry->UniqueProcessId == process) return *entry;
        if (entry->NextEntryOffset == 0) return std::nullopt;
        offset += entry->NextEntryOffset;
    }
}

// Private bytes: Windows' count when it gives one; under Wine, which gives
// none, the process's anonymous memory as Linux counts it (resident plus
// swapped), read through the drive that maps the Unix root.
inline std::optional<double> PrivateMb() {
    PROCESS_MEMORY_COUNTERS_EX memory{};
    memory.cb = sizeof memory;
    if (K32GetProcessMemoryInfo(GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&memory),
                                sizeof memory) &&
        memory.PrivateUsage > 0)
        return static_cast<double>(memory.PrivateUsage) / (1024.0 * 1024.0);
    std::FILE* status = std::fopen("Z:\\proc\\self\\status", "r");
    if (!status) return std::nullopt;
    char line[256];
    double kb = 0;
    bool found = false;
    while (std::fgets(line, sizeof line, status)) {
        unsigned long value = 0;
        if (std::sscanf(line, "RssAnon: %lu", &value) == 1 || std::sscanf(line, "VmSwap: %lu", &value) == 1) {
            kb += static_cast<double>(value);
            found = true;
        }
    }
    std::fclose(status);
    return found ? std::optional<double>(kb / 1024.0) : std::nullopt;
}


}  // namespace process_figures

inline ProcessFigures SampleProcess() {
    using namespace process_figures;
    ProcessFigures figures;
    figures.handles = OwnHandles();
    if (const auto entry = OwnEntry()) figures.threads = Positive(entry->NumberOfThreads);
    figures.privateMb = PrivateMb();
    const DWORD gui = GetGuiResources(GetCurrentProcess(), GR_USEROBJECTS);
    figures.userObjects = gui > 0 ? std::optional<double>(gui) : OwnWindows();
    return figures;
}

}  // namespace vigilor
