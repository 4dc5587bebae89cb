#include "tests/support/event_log_tap_win.h"

#include "platform/wide_win.h"

namespace vigilor::test {

namespace {

EventLogTap* g_tap = nullptr;
decltype(&RegisterEventSourceW) g_register = nullptr;
decltype(&ReportEventW) g_report = nullptr;

// Replaces, in every import table of the program file, the slot that holds
// `from` by `to`; the number of slots replaced.
int BendImport(void* from, void* to) {
    auto* base = reinterpret_cast<BYTE*>(GetModuleHandleW(nullptr));
    const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
    const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    const IMAGE_DATA_DIRECTORY& imports = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    int replaced = 0;
    if (!imports.VirtualAddress) return replaced;
    for (auto* module = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(base + imports.VirtualAddress); module->Name;
         ++module) {
        for (auto* slot = reinterpret_cast<IMAGE_THUNK_DATA*>(base + module->FirstThunk); slot->u1.Function; ++slot) {
            if (reinterpret_cast<void*>(slot->u1.Function) != from) continue;
            DWORD protection = 0;
            VirtualProtect(&slot->u1.Function, sizeof slot->u1.Function, PAGE_READWRITE, &protection);
            slot->u1.Function = reinterpret_cast<ULONG_PTR>(to);
            VirtualProtect(&slot->u1.Function, sizeof slot->u1.Function, protection, &protection);
            ++replaced;
        }
    }
    return replaced;
}

}  // namespace

EventLogTap::EventLogTap() {
    const HMODULE advapi = GetModuleHandleW(L"advapi32.dll");
    const auto entry = [advapi](const char* name) { return reinterpret_cast<void*>(GetProcAddress(advapi, name)); };
    g_register = reinterpret_cast<decltype(g_register)>(entry("RegisterEventSourceW"));
    g_report = reinterpret_cast<decltype(g_report)>(entry("ReportEventW"));
    g_tap = this;
    BendImport(reinterpret_cast<void*>(g_register), reinterpret_cast<void*>(&Register));
    BendImport(reinterpret_cast<void*>(g_report), reinterpret_cast<void*>(&Report));
}

EventLogTap::~EventLogTap() {
    BendImport(reinterpret_cast<void*>(&Register), reinterpret_cast<void*>(g_register));
    BendImport(reinterpret_cast<void*>(&Report), reinterpret_cast<void*>(g_report));
    g_tap = nullptr;
}

std::vector<std::string> EventLogTap::Messages(const std::string& source) const {
    std::vector<std::string> messages;
    for (const EventEntry& entry : entries_)
        if (entry.source == source && !entry.strings.empty()) messages.push_back(entry.strings[0]);
    return messages;
}

HANDLE WINAPI EventLogTap::Register(LPCWSTR server, LPCWSTR source) {
    const HANDLE handle = g_register(server, source);
    if (g_tap && handle) g_tap->sources_.emplace_back(handle, source ? Narrow(source) : "");
    return handle;
}

BOOL WINAPI EventLogTap::Report(HANDLE log, WORD type, WORD category, DWORD id, PSID user, WORD count, DWORD size,
                                LPCWSTR* strings, LPVOID data) {
    const BOOL reported = g_report(log, type, category, id, user, count, size, strings, data);
    if (g_tap && reported) {
        EventEntry entry{"", type, category, id, {}};
        for (auto it = g_tap->sources_.rbegin(); it != g_tap->sources_.rend(); ++it)
            if (it->first == log) {
                entry.source = it->second;
                break;
            }
        for (WORD i = 0; i < count; ++i) entry.strings.push_back(Narrow(strings[i]));
        g_tap->entries_.push_back(std::move(entry));
    }
    return reported;
}

}  // namespace vigilor::test
