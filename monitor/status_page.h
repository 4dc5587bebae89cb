#pragma once
// The HTML status page rewritten after every monitoring pass: one row per
// monitored service with its computer and state. It is built as lines in
// three pieces, so that the pass can add each row as it checks it.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "notify/local_time.h"

namespace vigilor {

// UTF-8 text made safe for the page: & < > " as entities, control
// characters and everything outside ASCII as numeric references. The result
// is plain ASCII without line breaks; a malformed byte becomes U+FFFD.
std::string HtmlText(std::string_view utf8);

// Title, caption and the table's column headings.
std::vector<std::string> StatusPageHead();

// One service; a word that reports a failure (STOPPED, NOT FOUND, UNKNOWN,
// a pending or paused state) is shown in red, any other in navy.
std::vector<std::string> StatusPageRow(std::string_view server, std::string_view service,
                                       std::string_view statusWord);

// Closes the table and the page under the time the pass ended.
std::vector<std::string> StatusPageFoot(const LocalTime& endOfPass);

// The file's bytes: each line followed by CR LF.
std::string StatusPageText(const std::vector<std::string>& lines);

// Where a new page is drafted: beside the page (the final replace stays on
// one volume), its name followed by the suffix, the name cut short where
// the whole would be longer than limit characters. None when not even the
// folder and the suffix fit.
std::optional<std::wstring> StatusPageDraftPath(const std::wstring& page, const std::wstring& suffix, size_t limit);

}  // namespace vigilor
