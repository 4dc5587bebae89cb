// Loading the settings and the monitored list from a store whose values
// come from the input, saving them again, and a save cut short.
//
// Fields: options, then stored values as "Name=value" (a field without
// "=" stores nothing). Option bytes:
//   0  bit 0: every folder exists
//   1  the write after which a later save is cut short (n; 255: never)
//
// Properties of a load: the scan interval is 1-60 and the column widths
// 0-4096; at most one error is shown, only for HTML output that was on,
// and HTML output stays on only with an existing folder; the list is
// sorted by computer, has at most one row per slot, and each row has a
// computer; the mail address is trimmed. Saving what was loaded and
// loading again gives the same settings and list. A save of another list
// cut short after any write leaves the old list or the new one for the
// next load, never a mix or neither.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "config/key_value_store.h"
#include "config/settings.h"
#include "fuzz/fuzz_input.h"
#include "platform/app_error.h"
#include "platform/text.h"

namespace vigilor::fuzz {
namespace {

struct FoldedLess {
    bool operator()(const std::string& a, const std::string& b) const { return CompareIgnoringAsciiCase(a, b) < 0; }
};

// The registry as the program sees it: names without regard to case, text
// up to its first NUL, and a write that fails when the store is cut.
class CutStore : public KeyValueStore {
public:
    std::optional<std::string> Read(const std::string& name) override {
        const auto it = values.find(name);
        if (it == values.end()) return std::nullopt;
        return it->second.substr(0, it->second.find('\0'));
    }
    void Write(const std::string& name, const std::string& value) override {
        if (cutAfter && *cutAfter == 0) throw AppError("Failed to set data for '" + name + "'");
        if (cutAfter) --*cutAfter;
        values[name] = value;
    }
    void Remove(const std::string& name) override {
        if (cutAfter && *cutAfter == 0) return;
        values.erase(name);
    }
    std::vector<std::string> Names() override {
        std::vector<std::string> names;
        for (const auto& [name, value] : values) names.push_back(name);
        return names;
    }

    std::map<std::string, std::string, FoldedLess> values;
    std::optional<size_t> cutAfter;
};

class Host : public SettingsHost {
public:
    explicit Host(bool folders) : folders_(folders) {}
    std::string LocalComputerName() override { return "HOST"; }
    std::string CurrentUserName() override { return "operator"; }
    bool DirectoryExists(const std::string&) override { return folders_; }
    bool Attended() override { return true; }
    void ShowError(const std::string&) override { ++errors; }
    void ReportUnattended(const std::string&) override {}
    int errors = 0;

private:
    bool folders_;
};

std::string Describe(const std::vector<std::string>& rows) {
    std::string text;
    for (const auto& row : rows) text += "[" + Visible(row, 80) + "]";
    return text;
}

void CheckLoaded(const ProgramSettings& s, const MonitoredList& list, const Host& host, bool htmlWasOn,
                 bool folders) {
    FUZZ_REQUIRE(s.scanInterval >= 1 && s.scanInterval <= 60, "scan interval " + std::to_string(s.scanInterval));
    for (int width : s.columnWidths) FUZZ_REQUIRE(width >= 0 && width <= 4096, "column width " + std::to_string(width));
    FUZZ_REQUIRE(host.errors <= (htmlWasOn ? 1 : 0), std::to_string(host.errors) + " errors shown");
    if (s.htmlOutputEnabled)
        FUZZ_REQUIRE(folders && !DirectoryPart(s.htmlOutput).empty(), "HTML output on without its folder");
    FUZZ_REQUIRE(s.emailTo == Trim(s.emailTo), "the mail address is not trimmed");
    FUZZ_REQUIRE(list.Count() <= kMaxStoredRows, std::to_string(list.Count()) + " rows");
    for (size_t i = 0; i < list.Count(); ++i) {
        FUZZ_REQUIRE(!Trim(list.At(i).server).empty(), "a row without a computer: " + Describe(list.Rows()));
        if (i > 0)
            FUZZ_REQUIRE(CompareIgnoringAsciiCase(list.At(i - 1).server, list.At(i).server) <= 0,
                         "the list is not sorted by computer: " + Describe(list.Rows()));
    }
}

void RequireSame(const ProgramSettings& a, const MonitoredList& la, const ProgramSettings& b,
                 const MonitoredList& lb) {
    FUZZ_REQUIRE(la.Rows() == lb.Rows(), "the list changed from " + Describe(la.Rows()) + " to " + Describe(lb.Rows()));
    FUZZ_REQUIRE(a.selectedComputer == b.selectedComputer, "computer " + Visible(b.selectedComputer));
    FUZZ_REQUIRE(a.scanInterval == b.scanInterval && a.columnWidths == b.columnWidths, "interval or widths");
    FUZZ_REQUIRE(a.notifyByMail == b.notifyByMail && a.screenNotify == b.screenNotify &&
                     a.launchAppActive == b.launchAppActive && a.execAndWait == b.execAndWait &&
                     a.htmlOutputEnabled == b.htmlOutputEnabled,
                 "a switch");
    FUZZ_REQUIRE(a.notifyLogin == b.notifyLogin && a.emailTo == b.emailTo && a.launchApp == b.launchApp &&
                     a.htmlOutput == b.htmlOutput,
                 "a text");
}

std::vector<std::string> Sorted(std::vector<std::string> rows) {
    std::sort(rows.begin(), rows.end());
    return rows;
}

void Check(const uint8_t* data, size_t size) {
    Fields fields(data, size);
    const std::string options = fields.Next();
    const bool folders = Option(options, 0) & 1;
    CutStore store;
    while (!fields.AtEnd()) {
        const std::string field = fields.Next();
        const size_t equals = field.find('=');
        if (equals != std::string::npos) store.values[field.substr(0, equals)] = field.substr(equals + 1);
    }
    SettingsStore settingsStore(store);

    const bool htmlWasOn = ParseDecimal(store.Read("HTMLOutputEnabled").value_or("0")).value_or(0) != 0;
    Host host(folders);
    ProgramSettings first;
    MonitoredList list;
    LoadSettings(settingsStore, host, first, list);
    CheckLoaded(first, list, host, htmlWasOn, folders);

    SaveSettings(settingsStore, first, list);
    Host again(folders);
    ProgramSettings second;
    MonitoredList secondList;
    LoadSettings(settingsStore, again, second, secondList);
    RequireSame(first, list, second, secondList);

    // Another list, saved over this one and cut short.
    MonitoredList changed = list;
    if (changed.Count() > 0) changed.Remove(0);
    changed.Add("\\\\NEWPC", "New service");
    store.cutAfter = Option(options, 1);
    try {
        SaveSettings(settingsStore, first, changed);
    } catch (const AppError&) {
    }
    store.cutAfter.reset();
    Host last(folders);
    ProgramSettings third;
    MonitoredList thirdList;
    LoadSettings(settingsStore, last, third, thirdList);
    const auto rows = Sorted(thirdList.Rows());
    FUZZ_REQUIRE(rows == Sorted(list.Rows()) || rows == Sorted(changed.Rows()),
                 "a save cut after " + std::to_string(Option(options, 1)) + " writes left " +
                     Describe(thirdList.Rows()) + ", neither " + Describe(list.Rows()) + " nor " +
                     Describe(changed.Rows()));
}

}  // namespace
}  // namespace vigilor::fuzz

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    vigilor::fuzz::Check(data, size);
    return 0;
}
