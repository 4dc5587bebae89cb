#pragma once
// What the fuzz targets share: how an input is cut into fields, and how a
// broken property ends the run so that libFuzzer keeps the input.
//
// An input is a run of fields separated by the byte 0x1F; inside a field
// the byte 0x1E separates the entries of a list. A missing field is empty,
// so every input means something, and the seeds stay plain text.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

namespace vigilor::fuzz {

constexpr char kFieldSeparator = '\x1f';
constexpr char kEntrySeparator = '\x1e';

class Fields {
public:
    Fields(const uint8_t* data, size_t size) : rest_(reinterpret_cast<const char*>(data), size) {}

    // The next field.
    std::string Next() {
        const size_t end = rest_.find(kFieldSeparator);
        std::string field(rest_.substr(0, end));
        rest_ = end == std::string_view::npos ? std::string_view() : rest_.substr(end + 1);
        return field;
    }
    // The next field cut into its entries; an empty field is an empty list.
    std::vector<std::string> NextList() {
        const std::string field = Next();
        std::vector<std::string> entries;
        if (field.empty()) return entries;
        size_t start = 0;
        for (;;) {
            const size_t end = field.find(kEntrySeparator, start);
            entries.push_back(field.substr(start, end == std::string::npos ? std::string::npos : end - start));
            if (end == std::string::npos) return entries;
            start = end + 1;
        }
    }
    bool AtEnd() const { return rest_.empty(); }
    // Everything not taken yet, separators included.
    std::string Rest() {
        std::string rest(rest_);
        rest_ = {};
        return rest;
    }

private:
    std::string_view rest_;
};

// Byte n of an options field, 0 past its end: each target says what its
// option bytes choose.
inline unsigned Option(const std::string& options, size_t n) {
    return n < options.size() ? static_cast<unsigned char>(options[n]) : 0;
}

// Text with control and non-ASCII bytes written as \xNN, for messages.
inline std::string Visible(std::string_view text, size_t limit = 300) {
    std::string out;
    for (size_t i = 0; i < text.size() && i < limit; ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c >= 0x20 && c < 0x7F && c != '\\') {
            out += static_cast<char>(c);
        } else {
            char code[5];
            std::snprintf(code, sizeof code, "\\x%02X", c);
            out += code;
        }
    }
    if (text.size() > limit) out += "...";
    return out;
}

[[noreturn]] inline void Broken(const char* condition, const std::string& detail, const char* file, int line) {
    std::fprintf(stderr, "\n%s:%d: property broken: %s\n  %s\n", file, line, condition, detail.c_str());
    std::abort();
}

}  // namespace vigilor::fuzz

// Stops the run when a property does not hold; the detail says with what.
#define FUZZ_REQUIRE(condition, detail)                                                 \
    do {                                                                                \
        if (!(condition)) ::vigilor::fuzz::Broken(#condition, (detail), __FILE__, __LINE__); \
    } while (0)
