#include "config/settings.h"

#include <algorithm>
#include <charconv>
#include <optional>

#include "config/row_journal.h"
#include "platform/text.h"

namespace vigilor {

namespace {

std::string Slot(const char* name, size_t n) { return name + std::to_string(n); }

constexpr const char* kRowValues[] = {"MacMonitor", "SvcMonitor", "Autorestart", "Email"};

// The slot a value of a stored row belongs to ("SvcMonitor7": 7), as
// Slot() names it; nullopt for any other value.
std::optional<size_t> RowSlotOf(std::string_view valueName) {
    for (const std::string_view prefix : kRowValues) {
        if (valueName.size() <= prefix.size() ||
            CompareIgnoringAsciiCase(valueName.substr(0, prefix.size()), prefix) != 0)
            continue;
        const std::string_view digits = valueName.substr(prefix.size());
        if (digits.size() > 9 || (digits.size() > 1 && digits[0] == '0')) return std::nullopt;
        size_t slot = 0;
        const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), slot);
        if (error != std::errc() || end != digits.data() + digits.size()) return std::nullopt;
        return slot;
    }
    return std::nullopt;
}

// One past the highest slot below the limit that holds a row value; rows
// need not be contiguous, as anyone may have edited the key.
size_t SlotsToRead(SettingsStore& store) {
    size_t slots = 0;
    for (const std::string& name : store.Names())
        if (const auto slot = RowSlotOf(name); slot && *slot < kMaxStoredRows) slots = std::max(slots, *slot + 1);
    return slots;
}

// The check of a stored HTML output path: when its folder does not exist,
// the output is switched off, in memory and in the store. Unattended it
// stays on, since the folder may only be out of reach until the network
// is up, and nobody would answer the box.
void CheckHtmlOutput(SettingsStore& store, SettingsHost& host, ProgramSettings& settings) {
    settings.htmlOutput = store.ReadString("HTMLOutput", "");
    settings.htmlOutputEnabled = store.ReadBool("HTMLOutputEnabled", false);
    if (settings.htmlOutputEnabled) {
        const std::string directory = DirectoryPart(settings.htmlOutput);
        if (directory.empty() || !host.DirectoryExists(directory)) {
            const std::string missing = "HTML output directory does not exist (" + directory + ")";
            if (!host.Attended()) {
                host.ReportUnattended(missing);
                return;
            }
            host.ShowError(missing + "\r\n\r\nDisabling HTML output.");
            settings.htmlOutput.clear();
            store.WriteString("HTMLOutput", "");
            store.WriteBool("HTMLOutputEnabled", false);
        }
    }
    settings.htmlOutputEnabled = store.ReadBool("HTMLOutputEnabled", false);
}

// Rows first, then the slots above the last row: at no moment is the
// stored list erased.
void WriteRows(SettingsStore& store, const std::vector<std::string>& rows) {
    for (size_t i = 0; i < rows.size(); ++i) {
        const auto row = MonitoredService::FromRow(rows[i]);
        store.WriteString(Slot("MacMonitor", i), row.server);
        store.WriteString(Slot("SvcMonitor", i), row.service);
        store.WriteString(Slot("Autorestart", i), row.autoRestart);
        store.WriteString(Slot("EMail", i), row.email);
    }
    for (const std::string& name : store.Names())
        if (const auto slot = RowSlotOf(name); slot && *slot >= rows.size()) store.Remove(name);
}

// A save that was cut short left its journal: its rows are written now.
// A journal that cannot be read was never finished; the rows stand.
void FinishInterruptedSave(SettingsStore& store) {
    const std::string journal = store.ReadString(kRowJournalValue, "");
    if (journal.empty()) return;
    if (const auto rows = ParseRowJournal(journal)) WriteRows(store, *rows);
    store.Remove(kRowJournalValue);
}

int ReadScanInterval(SettingsStore& store) {
    const int minutes = store.ReadInteger("ScanInterval", 1);
    // Anything outside the offered range would stall or flood the timer.
    return (minutes >= 1 && minutes <= 60) ? minutes : 1;
}

int ReadBounded(SettingsStore& store, const char* name, int low, int high, int fallback) {
    const int value = store.ReadInteger(name, fallback);
    return (value >= low && value <= high) ? value : fallback;
}

}  // namespace

int ReadRestartAlertCount(SettingsStore& store) {
    return ReadBounded(store, "RestartAlertCount", 0, kMaxRestartAlertCount, kDefaultRestartAlertCount);
}

int ReadRestartAlertWindow(SettingsStore& store) {
    return ReadBounded(store, "RestartAlertWindow", 1, kMaxRestartAlertWindow, kDefaultRestartAlertWindow);
}

std::string DirectoryPart(const std::string& path) {
    const size_t last = path.find_last_of("\\:");
    return last == std::string::npos ? std::string() : path.substr(0, last + 1);
}

std::string ScramblePassword(const std::string& text) {
    std::u16string chars = ToUtf16(text);
    for (char16_t& c : chars)
        if (c <= 0xFF) c = static_cast<char16_t>(0xFF - c);
    return ToUtf8(chars);
}

void LoadSettings(SettingsStore& store, SettingsHost& host, ProgramSettings& settings, MonitoredList& list) {
    FinishInterruptedSave(store);
    list.Clear();
    ReloadSettings(store, host, settings);
    const size_t slots = SlotsToRead(store);
    for (size_t n = 0; n < slots; ++n) {
        std::string server = store.ReadString(Slot("MacMonitor", n), "");
        if (Trim(server).empty()) continue;
        MonitoredService row{std::move(server), store.ReadString(Slot("SvcMonitor", n), ""),
                             store.ReadString(Slot("Autorestart", n), "No"), store.ReadString(Slot("Email", n), "No")};
        list.AppendUnsorted(row.ToRow());
    }
    for (size_t c = 0; c < settings.columnWidths.size(); ++c) {
        const int width = store.ReadInteger(Slot("colWidth", c), kDefaultColumnWidths[c]);
        settings.columnWidths[c] = (width >= 0 && width <= 4096) ? width : kDefaultColumnWidths[c];
    }
    list.Sort();
}

void ReloadSettings(SettingsStore& store, SettingsHost& host, ProgramSettings& settings) {
    CheckHtmlOutput(store, host, settings);
    // No folder check: a missing folder fails each write with a report, and
    // the exporter that makes it may be installed after this program.
    settings.metricsOutput = store.ReadString("MetricsOutput", "");
    settings.metricsOutputEnabled = store.ReadBool("MetricsOutputEnabled", false);

    settings.selectedComputer = store.ReadString("ComputerName", "\\\\" + host.LocalComputerName());
    settings.hasComputer = true;
    settings.scanInterval = ReadScanInterval(store);
    settings.restartAlertCount = ReadRestartAlertCount(store);
    settings.restartAlertWindow = ReadRestartAlertWindow(store);

    settings.notifyByMail = store.ReadBool("NotifybyMail", true);
    settings.emailTo = Trim(store.ReadString("EMailTo", ""));
    settings.launchAppActive = store.ReadBool("LaunchAppActive", false);
    settings.execAndWait = store.ReadBool("ExecAndWait", true);
    settings.launchApp = store.ReadString("LaunchApp", "");
    settings.notifyLogin = store.ReadString("NotifyLogin", host.CurrentUserName());
    settings.screenNotify = store.ReadBool("ScreenNotify", true);
}

void SaveSettings(SettingsStore& store, const ProgramSettings& settings, const MonitoredList& list) {
    store.WriteString("ComputerName", settings.selectedComputer);

    // The journal first: a save cut short anywhere after it is finished by
    // the next load, so the stored list is always the old or the new one.
    store.WriteString(kRowJournalValue, RowJournalText(list.Rows()));
    WriteRows(store, list.Rows());
    store.Remove(kRowJournalValue);

    for (size_t c = 0; c < settings.columnWidths.size(); ++c)
        store.WriteInteger(Slot("colWidth", c), settings.columnWidths[c]);
    store.WriteBool("NotifybyMail", settings.notifyByMail);
    store.WriteBool("ScreenNotify", settings.screenNotify);
    store.WriteString("NotifyLogin", settings.notifyLogin);
    store.WriteInteger("ScanInterval", settings.scanInterval);
    store.WriteInteger("RestartAlertCount", settings.restartAlertCount);
    store.WriteInteger("RestartAlertWindow", settings.restartAlertWindow);
}

}  // namespace vigilor
