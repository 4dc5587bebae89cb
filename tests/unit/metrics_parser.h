#pragma once
// A reader of the Prometheus text format 0.0.4 written from the format's
// own rules, to check the metrics file without trusting its writer: every
// line ends in a line feed, # HELP and # TYPE come before a family's
// samples, a family's samples are one group, names and label names follow
// the format's patterns, label values take only the escapes \\ \" \n, values
// are floating-point numbers, no series comes twice, the text is UTF-8.
#include <charconv>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace vigilor::test {

struct MetricSample {
    std::string name;
    std::map<std::string, std::string> labels;  // unescaped
    double value = 0;
};

struct MetricFamily {
    std::string name;
    std::string help;
    std::string type;
    std::vector<MetricSample> samples;
};

struct ParsedMetrics {
    std::vector<MetricFamily> families;
    std::string error;  // empty when the text follows the format

    const MetricFamily* Family(const std::string& name) const {
        for (const MetricFamily& family : families)
            if (family.name == name) return &family;
        return nullptr;
    }
    // The samples of the family whose labels include all of these.
    std::vector<MetricSample> Find(const std::string& family, const std::map<std::string, std::string>& labels) const {
        std::vector<MetricSample> found;
        if (const MetricFamily* f = Family(family))
            for (const MetricSample& sample : f->samples) {
                bool all = true;
                for (const auto& [name, value] : labels) {
                    const auto it = sample.labels.find(name);
                    all = all && it != sample.labels.end() && it->second == value;
                }
                if (all) found.push_back(sample);
            }
        return found;
    }
};

namespace metrics_parser_detail {

inline bool ValidUtf8(const std::string& text) {
    for (size_t i = 0; i < text.size();) {
        const auto c = static_cast<unsigned char>(text[i]);
        size_t more = 0;
        if (c >= 0xC2 && c <= 0xDF)
            more = 1;
        else if (c >= 0xE0 && c <= 0xEF)
            more = 2;
        else if (c >= 0xF0 && c <= 0xF4)
            more = 3;
        else if (c >= 0x80)
            return false;
        if (text.size() - i <= more) return false;
        for (size_t k = 1; k <= more; ++k)
            if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80) return false;
        i += more + 1;
    }
    return true;
}

inline bool NameStart(char c, bool colons) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_' || (colons && c == ':');
}
inline bool NameChar(char c, bool colons) { return NameStart(c, colons) || (c >= '0' && c <= '9'); }

// A metric name (colons allowed) or a label name at pos.
inline std::optional<std::string> ReadName(const std::string& line, size_t& pos, bool colons) {
    if (pos >= line.size() || !NameStart(line[pos], colons)) return std::nullopt;
    const size_t start = pos;
    while (pos < line.size() && NameChar(line[pos], colons)) ++pos;
    return line.substr(start, pos - start);
}

inline std::optional<double> ReadValue(const std::string& token) {
    if (token == "+Inf" || token == "-Inf" || token == "NaN") return 0.0;
    double value = 0;
    const char* end = token.data() + token.size();
    const auto result = std::from_chars(token.data(), end, value);
    if (token.empty() || result.ec != std::errc() || result.ptr != end) return std::nullopt;
    return value;
}

}  // namespace metrics_parser_detail

inline ParsedMetrics ParseMetrics(const std::string& text) {
    using namespace metrics_parser_detail;
    ParsedMetrics parsed;
    auto fail = [&parsed](const std::string& why, const std::string& line) {
        parsed.error = why + ": [" + line + "]";
        return parsed;
    };
    if (!ValidUtf8(text)) return fail("not UTF-8", "");
    if (text.empty() || text.back() != '\n') return fail("the last line does not end in a line feed", "");
    std::set<std::string> seenSeries;
    std::set<std::string> closedFamilies;
    MetricFamily* current = nullptr;
    auto family = [&](const std::string& name) -> MetricFamily& {
        if (current && current->name == name) return *current;
        if (current) closedFamilies.insert(current->name);
        parsed.families.push_back({name, "", "", {}});
        current = &parsed.families.back();
        return *current;
    };
    size_t start = 0;
    while (start < text.size()) {
        const size_t end = text.find('\n', start);
        const std::string line = text.substr(start, end - start);
        start = end + 1;
        if (line.empty()) continue;
        if (line[0] == '#') {
            const bool help = line.rfind("# HELP ", 0) == 0;
            const bool type = line.rfind("# TYPE ", 0) == 0;
            if (!help && !type) continue;  // a plain comment
            size_t pos = 7;
            const auto name = ReadName(line, pos, true);
            if (!name || pos >= line.size() || line[pos] != ' ') return fail("bad name after # HELP/# TYPE", line);
            if (closedFamilies.count(*name)) return fail("family split in two groups", line);
            MetricFamily& f = family(*name);
            const std::string rest = line.substr(pos + 1);
            if (help) {
                if (!f.help.empty()) return fail("second # HELP", line);
                f.help = rest;
            } else {
                if (!f.type.empty()) return fail("second # TYPE", line);
                if (!f.samples.empty()) return fail("# TYPE after samples", line);
                if (rest != "counter" && rest != "gauge" && rest != "histogram" && rest != "summary" &&
                    rest != "untyped")
                    return fail("unknown type", line);
                f.type = rest;
            }
            continue;
        }
        size_t pos = 0;
        MetricSample sample;
        const auto name = ReadName(line, pos, true);
        if (!name) return fail("bad metric name", line);
        sample.name = *name;
        std::string series = *name + "{";
        if (pos < line.size() && line[pos] == '{') {
            ++pos;
            while (pos < line.size() && line[pos] != '}') {
                const auto label = ReadName(line, pos, false);
                if (!label || pos + 1 >= line.size() || line[pos] != '=' || line[pos + 1] != '"')
                    return fail("bad label", line);
                pos += 2;
                std::string value;
                for (;; ++pos) {
                    if (pos >= line.size()) return fail("label value without its closing quote", line);
                    const char c = line[pos];
                    if (c == '"') break;
                    if (c != '\\') {
                        value += c;
                        continue;
                    }
                    if (++pos >= line.size()) return fail("escape at the end", line);
                    const char e = line[pos];
                    if (e == '\\' || e == '"')
                        value += e;
                    else if (e == 'n')
                        value += '\n';
                    else
                        return fail("invalid escape", line);
                }
                ++pos;
                if (!sample.labels.emplace(*label, value).second) return fail("label given twice", line);
                if (pos < line.size() && line[pos] == ',') ++pos;
            }
            if (pos >= line.size()) return fail("labels without their closing brace", line);
            ++pos;
        }
        for (const auto& [label, value] : sample.labels) series += label + "=" + value + "\x1F";
        if (pos >= line.size() || line[pos] != ' ') return fail("no blank before the value", line);
        const std::string rest = line.substr(pos + 1);
        const size_t blank = rest.find(' ');  // a time stamp may follow
        const auto value = ReadValue(rest.substr(0, blank));
        if (!value) return fail("bad value", line);
        sample.value = *value;
        if (!current || current->name != sample.name) return fail("sample outside its family's group", line);
        if (current->help.empty() || current->type.empty()) return fail("sample before # HELP and # TYPE", line);
        if (!seenSeries.insert(series).second) return fail("duplicate series", line);
        current->samples.push_back(std::move(sample));
    }
    return parsed;
}

}  // namespace vigilor::test
