#pragma once
// The monitored rows in one text, the journal of a save: every row is four
// stored values, so a save cut short could pair one row's computer with
// another row's service. The journal is written first, as one value (one
// value write is whole or absent), and removed when the rows are written;
// a load that finds it finishes the save from it.
#include <optional>
#include <string>
#include <vector>

namespace vigilor {

constexpr const char* kRowJournalValue = "MonitorListJournal";

// The rows (tab-separated, four fields each) as the journal's text.
std::string RowJournalText(const std::vector<std::string>& rows);

// The rows back from a journal's text; nullopt for anything malformed.
std::optional<std::vector<std::string>> ParseRowJournal(const std::string& text);

}  // namespace vigilor
