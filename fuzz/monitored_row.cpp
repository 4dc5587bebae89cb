// A monitored row: four fields (computer, service, restart flag, mail
// flag) held as one text, and the list of such rows.
//
// Fields: computer, service, restart flag, mail flag, then further pairs of
// computer and service to add to a list. The whole input is also read as
// a row text.
//
// Properties: a field of a row holds no tab, the fields joined by tabs are
// the row, and fields past the last are empty; a row of four fields is
// written back as it was; a service is read back from its row field for
// field, a tab inside a field as a blank; a flag is on for "YES" in any case only; a list refuses a
// machine and service it has, and stays sorted by any column in either
// direction.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "fuzz/fuzz_input.h"
#include "monitor/monitored_list.h"
#include "platform/text.h"

namespace vigilor::fuzz {
namespace {

std::string Describe(const MonitoredService& s) {
    return "[" + Visible(s.server, 60) + "|" + Visible(s.service, 60) + "|" + Visible(s.autoRestart, 20) + "|" +
           Visible(s.email, 20) + "]";
}

std::string Untabbed(std::string text) {
    std::replace(text.begin(), text.end(), '\t', ' ');
    return text;
}

bool Same(const MonitoredService& a, const MonitoredService& b) {
    return a.server == b.server && a.service == b.service && a.autoRestart == b.autoRestart && a.email == b.email;
}

void CheckRowText(const std::string& row) {
    const int tabs = static_cast<int>(std::count(row.begin(), row.end(), '\t'));
    std::string joined;
    for (int n = 0; n <= tabs; ++n) {
        const std::string field = FieldOf(row, n);
        FUZZ_REQUIRE(field.find('\t') == std::string::npos, "a tab inside field " + std::to_string(n));
        joined += (n ? "\t" : "") + field;
    }
    FUZZ_REQUIRE(joined == row, "the fields do not make up the row " + Visible(row));
    FUZZ_REQUIRE(FieldOf(row, tabs + 1).empty() && FieldOf(row, tabs + 7).empty(), "a field past the last");
    if (tabs == kMonitoredColumns - 1)
        FUZZ_REQUIRE(MonitoredService::FromRow(row).ToRow() == row, "a row of four fields changed: " + Visible(row));
}

void CheckFlag(const std::string& flag) {
    const bool yes = flag.size() == 3 && (flag[0] == 'y' || flag[0] == 'Y') && (flag[1] == 'e' || flag[1] == 'E') &&
                     (flag[2] == 's' || flag[2] == 'S');
    FUZZ_REQUIRE(FlagIsOn(flag) == yes, "flag " + Visible(flag));
}

void CheckService(const MonitoredService& service) {
    const MonitoredService back = MonitoredService::FromRow(service.ToRow());
    const MonitoredService expected{Untabbed(service.server), Untabbed(service.service), Untabbed(service.autoRestart),
                                    Untabbed(service.email)};
    FUZZ_REQUIRE(Same(back, expected), Describe(service) + " came back as " + Describe(back));
    CheckFlag(service.autoRestart);
    CheckFlag(service.email);
    FUZZ_REQUIRE(back.AutoRestartOn() == FlagIsOn(service.autoRestart) && back.EmailOn() == FlagIsOn(service.email),
                 "a flag changed on the way: " + Describe(service));
}

void CheckSorted(const MonitoredList& list) {
    for (size_t i = 1; i < list.Count(); ++i) {
        const int order = CompareIgnoringAsciiCase(FieldOf(list.Rows()[i - 1], list.SortColumn()),
                                                   FieldOf(list.Rows()[i], list.SortColumn()));
        FUZZ_REQUIRE(list.Ascending() ? order <= 0 : order >= 0, "the list is out of order at row " +
                                                                     std::to_string(i));
    }
}

void CheckList(Fields& fields, const MonitoredService& first) {
    MonitoredList list;
    std::vector<std::pair<std::string, std::string>> added;
    FUZZ_REQUIRE(list.Add(first.server, first.service), "the first row was refused");
    added.emplace_back(Untabbed(first.server), Untabbed(first.service));
    for (int i = 0; i < 6 && !fields.AtEnd(); ++i) {
        const std::string machine = fields.Next();
        const std::string service = fields.Next();
        const auto pair = std::pair(Untabbed(machine), Untabbed(service));
        // Letter case does not tell two rows apart.
        const bool known = std::any_of(added.begin(), added.end(), [&pair](const auto& row) {
            return EqualsIgnoringAsciiCase(row.first, pair.first) && EqualsIgnoringAsciiCase(row.second, pair.second);
        });
        FUZZ_REQUIRE(list.Add(machine, service) == !known, "Add of " + Visible(machine) + "/" + Visible(service) +
                                                               (known ? " twice was taken" : " was refused"));
        if (!known) added.push_back(pair);
        CheckSorted(list);
        list.ColumnClicked(static_cast<int>(machine.size() % 5));
        CheckSorted(list);
    }
    FUZZ_REQUIRE(list.Count() == added.size(), "rows lost or made up");
    for (const auto& [machine, service] : added) {
        bool found = false;
        for (size_t i = 0; i < list.Count(); ++i) {
            const MonitoredService row = list.At(i);
            found = found || (row.server == machine && row.service == service && row.autoRestart == "No" &&
                              row.email == "No");
        }
        FUZZ_REQUIRE(found, "the added row " + Visible(machine) + "/" + Visible(service) + " is not in the list");
    }
}

}  // namespace
}  // namespace vigilor::fuzz

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace vigilor;
    fuzz::Fields fields(data, size);
    MonitoredService service;
    service.server = fields.Next();
    service.service = fields.Next();
    service.autoRestart = fields.Next();
    service.email = fields.Next();
    fuzz::CheckService(service);
    fuzz::CheckRowText(std::string(reinterpret_cast<const char*>(data), size));
    fuzz::CheckList(fields, service);
    return 0;
}
