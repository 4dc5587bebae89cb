// The message as the SMTP client writes it: header lines and body.
//
// Fields: sender name, sender address, To entries, CC entries, subject,
// mailer, date, reply-to, body lines.
//
// Properties, header: no line holds a CR or LF; the lines come in their
// order; addresses and plain values are the fields without CR and LF;
// free text is the field itself when ASCII, else encoded words of at most
// 75 characters that decode to the field, each a whole UTF-8 piece when
// the field is valid UTF-8; the content type says how the body goes.
// Body: every line ends in CR LF, with no bare CR or LF; no line is a
// lone "."; a line starting with "." starts with ".."; without the added
// dots the lines are the body's lines (an ASCII body) or quoted-printable
// lines of at most 76 characters that decode to them.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "fuzz/fuzz_input.h"
#include "notify/smtp_message.h"
#include "platform/text.h"

namespace vigilor::fuzz {
namespace {

std::string WithoutCrLf(std::string text) {
    std::erase_if(text, [](char c) { return c == '\r' || c == '\n'; });
    return text;
}

bool IsValidUtf8(const std::string& text) { return ToUtf8(ToUtf16(text)) == text; }

int Base64Value(char c) {
    if (c >= 'A' && c <= 'Z') return c - 'A';
    if (c >= 'a' && c <= 'z') return c - 'a' + 26;
    if (c >= '0' && c <= '9') return c - '0' + 52;
    if (c == '+') return 62;
    if (c == '/') return 63;
    return -1;
}

std::string DecodeBase64(const std::string& text) {
    FUZZ_REQUIRE(text.size() % 4 == 0, "base64 of a length not a multiple of 4: " + Visible(text));
    std::string out;
    for (size_t i = 0; i < text.size(); i += 4) {
        unsigned v = 0;
        int pads = 0;
        for (size_t k = 0; k < 4; ++k) {
            const char c = text[i + k];
            if (c == '=' && i + 4 == text.size() && k >= 2) {
                ++pads;
                v <<= 6;
                continue;
            }
            FUZZ_REQUIRE(pads == 0 && Base64Value(c) >= 0, "not base64: " + Visible(text));
            v = v << 6 | static_cast<unsigned>(Base64Value(c));
        }
        out += static_cast<char>(v >> 16);
        if (pads < 2) out += static_cast<char>((v >> 8) & 0xFF);
        if (pads < 1) out += static_cast<char>(v & 0xFF);
    }
    return out;
}

// Free header text back to the field it came from.
void CheckFreeText(const std::string& written, const std::string& field) {
    const std::string clean = WithoutCrLf(field);
    if (IsAscii(clean)) {
        FUZZ_REQUIRE(written == clean, "ASCII text changed: " + Visible(written));
        return;
    }
    const bool valid = IsValidUtf8(clean);
    std::string decoded;
    size_t start = 0;
    for (;;) {
        const size_t end = written.find(' ', start);
        const std::string word = written.substr(start, end == std::string::npos ? std::string::npos : end - start);
        FUZZ_REQUIRE(word.size() <= 75, "an encoded word over 75 characters: " + Visible(word));
        FUZZ_REQUIRE(word.starts_with("=?utf-8?B?") && word.ends_with("?=") && word.size() > 12,
                     "not an encoded word: " + Visible(word));
        const std::string piece = DecodeBase64(word.substr(10, word.size() - 12));
        if (valid) FUZZ_REQUIRE(IsValidUtf8(piece), "an encoded word splits a character: " + Visible(piece));
        decoded += piece;
        if (end == std::string::npos) break;
        start = end + 1;
    }
    FUZZ_REQUIRE(decoded == clean, "encoded words decode to " + Visible(decoded) + ", not " + Visible(clean));
}

std::string Joined(const std::vector<std::string>& entries) {
    std::string out;
    for (size_t i = 0; i < entries.size(); ++i) out += (i ? "," : "") + WithoutCrLf(entries[i]);
    return out;
}

void CheckHeader(const TPostMessage& m, const std::vector<std::string>& lines) {
    for (const auto& line : lines)
        FUZZ_REQUIRE(line.find_first_of("\r\n") == std::string::npos, "a line break in a header line: " + Visible(line));
    size_t n = 0;
    auto next = [&](const std::string& name) {
        FUZZ_REQUIRE(n < lines.size() && lines[n].starts_with(name), "header line " + std::to_string(n) +
                                                                          " is not \"" + name + "\"");
        return lines[n++].substr(name.size());
    };
    const std::string from = next("From: ");
    const std::string address = "<" + WithoutCrLf(m.FromAddress) + ">";
    FUZZ_REQUIRE(from.ends_with(address), "the sender's address is not " + Visible(address) + ": " + Visible(from));
    CheckFreeText(from.substr(0, from.size() - address.size()), m.FromName);
    if (!m.ToAddress.empty()) FUZZ_REQUIRE(next("To: ") == Joined(m.ToAddress), "To line");
    if (!m.ToCarbonCopy.empty()) FUZZ_REQUIRE(next("CC: ") == Joined(m.ToCarbonCopy), "CC line");
    if (!m.Subject.empty()) CheckFreeText(next("Subject: "), m.Subject);
    if (!m.LocalProgram.empty()) CheckFreeText(next("X-Mailer: "), m.LocalProgram);
    if (!m.ReplyTo.empty()) FUZZ_REQUIRE(next("Reply-To: ") == WithoutCrLf(m.ReplyTo), "Reply-To line");
    if (!m.Date.empty()) FUZZ_REQUIRE(next("Date: ") == WithoutCrLf(m.Date), "Date line");
    FUZZ_REQUIRE(next("Mime-Version: ") == "1.0", "Mime-Version line");
    bool ascii = true;
    for (const auto& line : m.Body) ascii = ascii && IsAscii(line);
    if (ascii) {
        FUZZ_REQUIRE(next("Content-Type: ") == "text/plain; charset=us-ascii", "Content-Type of an ASCII body");
    } else {
        FUZZ_REQUIRE(next("Content-Type: ") == "text/plain; charset=utf-8", "Content-Type of a UTF-8 body");
        FUZZ_REQUIRE(next("Content-Transfer-Encoding: ") == "quoted-printable", "Content-Transfer-Encoding");
    }
    FUZZ_REQUIRE(n == lines.size(), "extra header lines");
}

// The body's lines: each entry cut at CR LF, CR or LF.
std::vector<std::string> LinesOf(const std::vector<std::string>& body) {
    std::vector<std::string> lines;
    for (const auto& entry : body) {
        lines.emplace_back();
        for (size_t i = 0; i < entry.size(); ++i) {
            if (entry[i] == '\r' || entry[i] == '\n') {
                if (entry[i] == '\r' && i + 1 < entry.size() && entry[i + 1] == '\n') ++i;
                lines.emplace_back();
            } else {
                lines.back() += entry[i];
            }
        }
    }
    return lines;
}

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// Quoted-printable lines back to the lines they encode.
std::vector<std::string> DecodeQuotedPrintable(const std::vector<std::string>& wire) {
    std::vector<std::string> lines;
    bool continued = false;
    for (const auto& line : wire) {
        FUZZ_REQUIRE(line.size() <= 76, "a quoted-printable line over 76 characters: " + Visible(line));
        if (!continued) lines.emplace_back();
        continued = line.ends_with("=");
        const size_t end = continued ? line.size() - 1 : line.size();
        if (!continued && end > 0)
            FUZZ_REQUIRE(line[end - 1] != ' ' && line[end - 1] != '\t', "a blank at the end: " + Visible(line));
        for (size_t i = 0; i < end; ++i) {
            const char c = line[i];
            if (c == '=') {
                FUZZ_REQUIRE(i + 2 < end && HexValue(line[i + 1]) >= 0 && HexValue(line[i + 2]) >= 0,
                             "a broken escape in " + Visible(line));
                lines.back() += static_cast<char>(HexValue(line[i + 1]) * 16 + HexValue(line[i + 2]));
                i += 2;
            } else {
                FUZZ_REQUIRE((c >= 33 && c <= 126) || c == ' ' || c == '\t', "a raw byte in " + Visible(line));
                lines.back() += c;
            }
        }
    }
    FUZZ_REQUIRE(!continued, "the body ends in a soft line break");
    return lines;
}

void CheckBody(const std::vector<std::string>& body, const std::string& text) {
    std::vector<std::string> wire;
    size_t start = 0;
    while (start < text.size()) {
        const size_t end = text.find_first_of("\r\n", start);
        FUZZ_REQUIRE(end != std::string::npos && text.compare(end, 2, "\r\n") == 0,
                     "a bare CR or LF, or a last line without its end: " + Visible(text.substr(start)));
        std::string line = text.substr(start, end - start);
        FUZZ_REQUIRE(line != ".", "a line that is a lone \".\"");
        if (line.starts_with(".")) {
            FUZZ_REQUIRE(line.starts_with(".."), "a line starting with a single dot: " + Visible(line));
            line.erase(0, 1);
        }
        wire.push_back(line);
        start = end + 2;
    }
    bool ascii = true;
    for (const auto& line : body) ascii = ascii && IsAscii(line);
    const std::vector<std::string> expected = LinesOf(body);
    const std::vector<std::string> lines = ascii ? wire : DecodeQuotedPrintable(wire);
    FUZZ_REQUIRE(lines == expected, "the body's lines changed on the way: " + Visible(text));
}

}  // namespace
}  // namespace vigilor::fuzz

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace vigilor;
    fuzz::Fields fields(data, size);
    TPostMessage message;
    message.FromName = fields.Next();
    message.FromAddress = fields.Next();
    message.ToAddress = fields.NextList();
    message.ToCarbonCopy = fields.NextList();
    message.Subject = fields.Next();
    message.LocalProgram = fields.Next();
    message.Date = fields.Next();
    message.ReplyTo = fields.Next();
    message.Body = fields.NextList();
    fuzz::CheckHeader(message, HeaderLines(message));
    fuzz::CheckBody(message.Body, BodyText(message.Body));
    return 0;
}
