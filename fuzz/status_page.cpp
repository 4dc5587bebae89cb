// The HTML status page: names from remote computers, escaped, in the rows
// of a page.
//
// Fields: computer name, service name, status word, and any further rows
// as more such triples.
//
// Properties of the escaped text: printable ASCII only, no "<", ">" or a
// double quote, every "&" starts one of the entities used, numeric
// references only for what is not printed as it is, and the entities
// decode to the name's code points. Properties of a row: its fixed lines
// are the fixed texts, each name line is the escaped name and its closing
// tags, and the cell colour says STOPPED. Properties of the page: every
// line ends in CR LF with no bare CR or LF, and the names add no "<" or
// ">" to it.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "fuzz/fuzz_input.h"
#include "monitor/status_page.h"
#include "platform/text.h"

namespace vigilor::fuzz {
namespace {

constexpr const char* kNavyCell = R"(<font face="Verdana" size="2" color="#000080">)";
constexpr const char* kRedCell = R"(<font face="Verdana" size="2" color="#FF0000">)";

void CheckEscaped(const std::string& name, const std::string& html) {
    std::u32string decoded;
    for (size_t i = 0; i < html.size();) {
        const char c = html[i];
        FUZZ_REQUIRE(c >= 0x20 && c < 0x7F, "a byte that is not printable ASCII in " + Visible(html));
        FUZZ_REQUIRE(c != '<' && c != '>' && c != '"', "a raw \"<\", \">\" or quote in " + Visible(html));
        if (c != '&') {
            decoded += static_cast<char32_t>(c);
            ++i;
            continue;
        }
        const size_t semicolon = html.find(';', i);
        FUZZ_REQUIRE(semicolon != std::string::npos, "an unclosed entity in " + Visible(html));
        const std::string entity = html.substr(i, semicolon + 1 - i);
        if (entity == "&amp;") {
            decoded += U'&';
        } else if (entity == "&lt;") {
            decoded += U'<';
        } else if (entity == "&gt;") {
            decoded += U'>';
        } else if (entity == "&quot;") {
            decoded += U'"';
        } else {
            FUZZ_REQUIRE(entity.size() > 3 && entity.size() <= 10 && entity[1] == '#' &&
                             std::all_of(entity.begin() + 2, entity.end() - 1, [](char d) { return d >= '0' && d <= '9'; }),
                         "an unknown entity " + Visible(entity));
            const unsigned long value = std::stoul(entity.substr(2, entity.size() - 3));
            FUZZ_REQUIRE(value < 0x20 || (value >= 0x7F && value <= 0x10FFFF && (value < 0xD800 || value > 0xDFFF)),
                         "a numeric reference to " + std::to_string(value));
            decoded += static_cast<char32_t>(value);
        }
        i = semicolon + 1;
    }
    FUZZ_REQUIRE(decoded == ToUtf32(name), "the escaped text does not decode to " + Visible(name));
}

// The words that report a failure, shown red; every other word is navy.
bool RedStatus(const std::string& status) {
    static const char* const red[] = {"STOPPED",       "NOT FOUND",        "UNKNOWN",       "START PENDING",
                                      "STOP PENDING",  "CONTINUE PENDING", "PAUSE PENDING", "PAUSED"};
    return std::find(std::begin(red), std::end(red), status) != std::end(red);
}

void CheckRow(const std::string& server, const std::string& service, const std::string& status,
              const std::vector<std::string>& row) {
    FUZZ_REQUIRE(row.size() == 9, "a row of " + std::to_string(row.size()) + " lines");
    FUZZ_REQUIRE(row[0] == "<tr>" && row[7] == kNavyCell && row[8] == "</tr>", "a fixed line of the row changed");
    FUZZ_REQUIRE(row[1].ends_with(kNavyCell) && row[3].ends_with(kNavyCell), "a name cell is not navy");
    FUZZ_REQUIRE(row[5].ends_with(RedStatus(status) ? kRedCell : kNavyCell), "wrong status colour");
    const std::pair<const std::string*, const std::string*> names[] = {
        {&server, &row[2]}, {&service, &row[4]}, {&status, &row[6]}};
    for (const auto& [name, line] : names) {
        FUZZ_REQUIRE(line->ends_with("</font></td>"), "a name line without its closing tags: " + Visible(*line));
        const std::string html = line->substr(0, line->size() - 12);
        CheckEscaped(*name, html);
    }
}

size_t Count(const std::string& text, char c) { return static_cast<size_t>(std::count(text.begin(), text.end(), c)); }

}  // namespace
}  // namespace vigilor::fuzz

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace vigilor;
    fuzz::Fields fields(data, size);
    std::vector<std::string> lines = StatusPageHead();
    std::vector<std::string> blank = lines;
    const LocalTime end{2024, 2, 29, 23, 59, 0, 4};
    for (int rows = 0; rows < 8; ++rows) {
        const std::string server = fields.Next();
        const std::string service = fields.Next();
        const std::string status = fields.Next();
        const std::vector<std::string> row = StatusPageRow(server, service, status);
        fuzz::CheckRow(server, service, status, row);
        fuzz::CheckEscaped(server + service + status, HtmlText(server + service + status));
        lines.insert(lines.end(), row.begin(), row.end());
        const std::vector<std::string> blankRow = StatusPageRow("", "", status == "STOPPED" ? "STOPPED" : "");
        blank.insert(blank.end(), blankRow.begin(), blankRow.end());
        if (fields.AtEnd()) break;
    }
    for (auto* page : {&lines, &blank}) {
        const std::vector<std::string> foot = StatusPageFoot(end);
        page->insert(page->end(), foot.begin(), foot.end());
    }
    const std::string page = StatusPageText(lines);
    const std::string empty = StatusPageText(blank);
    size_t start = 0;
    while (start < page.size()) {
        const size_t lineEnd = page.find_first_of("\r\n", start);
        FUZZ_REQUIRE(lineEnd != std::string::npos && page.compare(lineEnd, 2, "\r\n") == 0,
                     "a bare CR or LF in the page, or a line without its end");
        start = lineEnd + 2;
    }
    FUZZ_REQUIRE(fuzz::Count(page, '<') == fuzz::Count(empty, '<') && fuzz::Count(page, '>') == fuzz::Count(empty, '>'),
                 "the names added tags to the page");
    return 0;
}
