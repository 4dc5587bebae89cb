#include "monitor/monitored_service.h"

#include "platform/text.h"

namespace vigilor {

std::string FieldOf(std::string_view row, int n) {
    size_t start = 0;
    for (int i = 0; i < n; ++i) {
        const size_t tab = row.find('\t', start);
        if (tab == std::string_view::npos) return {};
        start = tab + 1;
    }
    const size_t end = row.find('\t', start);
    return std::string(row.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start));
}

bool FlagIsOn(std::string_view flag) { return UpperAscii(flag) == "YES"; }

MonitoredService MonitoredService::FromRow(std::string_view row) {
    return {FieldOf(row, kServerColumn), FieldOf(row, kServiceColumn), FieldOf(row, kAutoColumn),
            FieldOf(row, kEmailColumn)};
}

namespace {

// A tab inside a field (a service may be named with one, a stored value may
// hold one) would shift every field after it: it is written as a blank.
std::string AsField(std::string text) {
    for (char& c : text)
        if (c == '\t') c = ' ';
    return text;
}

}  // namespace

std::string MonitoredService::ToRow() const {
    return AsField(server) + '\t' + AsField(service) + '\t' + AsField(autoRestart) + '\t' + AsField(email);
}

}  // namespace vigilor
