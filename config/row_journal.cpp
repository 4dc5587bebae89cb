#include "config/row_journal.h"

#include "monitor/monitored_service.h"

namespace vigilor {

namespace {

constexpr const char* kHeader = "rows-v1 ";
constexpr size_t kMostRows = 100000;

// A stored text ends at its first NUL; the journal keeps the same text.
std::string AsStored(const std::string& text) { return text.substr(0, text.find('\0')); }

// "<length>:<text>" at pos; nullopt when the text is not of that form.
std::optional<std::string> TakeField(const std::string& text, size_t& pos) {
    size_t length = 0;
    size_t digits = 0;
    while (pos < text.size() && text[pos] >= '0' && text[pos] <= '9' && digits < 9) {
        length = length * 10 + static_cast<size_t>(text[pos++] - '0');
        ++digits;
    }
    if (digits == 0 || pos >= text.size() || text[pos] != ':') return std::nullopt;
    ++pos;
    if (length > text.size() - pos) return std::nullopt;
    std::string field = text.substr(pos, length);
    pos += length;
    return field;
}

}  // namespace

std::string RowJournalText(const std::vector<std::string>& rows) {
    std::string text = kHeader + std::to_string(rows.size()) + ":";
    for (const std::string& row : rows) {
        for (int column = 0; column < kMonitoredColumns; ++column) {
            const std::string field = AsStored(FieldOf(row, column));
            text += std::to_string(field.size()) + ":" + field;
        }
    }
    return text;
}

std::optional<std::vector<std::string>> ParseRowJournal(const std::string& text) {
    if (text.rfind(kHeader, 0) != 0) return std::nullopt;
    size_t pos = std::string(kHeader).size();
    size_t count = 0;
    size_t digits = 0;
    while (pos < text.size() && text[pos] >= '0' && text[pos] <= '9' && digits < 9) {
        count = count * 10 + static_cast<size_t>(text[pos++] - '0');
        ++digits;
    }
    if (digits == 0 || count > kMostRows || pos >= text.size() || text[pos++] != ':') return std::nullopt;
    std::vector<std::string> rows;
    for (size_t r = 0; r < count; ++r) {
        MonitoredService row;
        std::string* fields[] = {&row.server, &row.service, &row.autoRestart, &row.email};
        for (std::string* field : fields) {
            auto value = TakeField(text, pos);
            if (!value) return std::nullopt;
            *field = std::move(*value);
        }
        rows.push_back(row.ToRow());
    }
    if (pos != text.size()) return std::nullopt;
    return rows;
}

}  // namespace vigilor
