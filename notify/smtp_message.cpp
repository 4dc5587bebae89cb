#include "notify/smtp_message.h"

#include <algorithm>

namespace vigilor {

namespace {

bool BodyIsAscii(const std::vector<std::string>& body) {
    return std::all_of(body.begin(), body.end(), [](const std::string& line) { return IsAscii(line); });
}


// Free header text: as it is when ASCII, else one encoded word per run of
// at most 45 bytes that does not split a UTF-8 sequence.
std::string HeaderText(const std::string& value) {
    const std::string clean = WithoutLineBreaks(value);
    if (IsAscii(clean)) return clean;
    std::string out;
    size_t start = 0;
    while (start < clean.size()) {
        size_t end = std::min(start + 45, clean.size());
        while (end < clean.size() && end > start + 1 && (static_cast<unsigned char>(clean[end]) & 0xC0) == 0x80) --end;
        if (!out.empty()) out += ' ';
        out += "=?utf-8?B?" + Base64(clean.substr(start, end - start)) + "?=";
        start = end;
    }
    return out;
}

std::string Joined(const std::vector<std::string>& entries) {
    std::string out;
    for (size_t i = 0; i < entries.size(); ++i) out += (i ? "," : "") + WithoutLineBreaks(entries[i]);
    return out;
}

// Lines of a body that may hold CR, LF or CR LF inside its entries.
std::vector<std::string> PhysicalLines(const std::vector<std::string>& body) {
    std::vector<std::string> lines;
    for (const auto& entry : body) {
        std::string line;
        for (size_t i = 0; i < entry.size(); ++i) {
            if (entry[i] == '\r' || entry[i] == '\n') {
                lines.push_back(line);
                line.clear();
                if (entry[i] == '\r' && i + 1 < entry.size() && entry[i + 1] == '\n') ++i;
            } else {
                line += entry[i];
            }
        }
        lines.push_back(line);
    }
    return lines;
}

// One line as quoted-printable, cut by soft breaks into pieces of at most
// 76 characters.
std::vector<std::string> QuotedPrintable(const std::string& line) {
    static const char kHex[] = "0123456789ABCDEF";
    std::vector<std::string> pieces(1);
    for (size_t i = 0; i < line.size(); ++i) {
        const auto c = static_cast<unsigned char>(line[i]);
        const bool last = i + 1 == line.size();
        std::string code;
        if ((c >= 33 && c <= 126 && c != '=') || ((c == ' ' || c == '\t') && !last))
            code = std::string(1, static_cast<char>(c));
        else
            code = std::string{'=', kHex[c >> 4], kHex[c & 15]};
        if (pieces.back().size() + code.size() > 75) {
            pieces.back() += '=';
            pieces.emplace_back();
        }
        pieces.back() += code;
    }
    return pieces;
}

}  // namespace

std::string Base64(const std::string& bytes) {
    static const char kDigits[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out;
    size_t i = 0;
    for (; i + 2 < bytes.size(); i += 3) {
        const unsigned v = static_cast<unsigned char>(bytes[i]) << 16 | static_cast<unsigned char>(bytes[i + 1]) << 8 |
                           static_cast<unsigned char>(bytes[i + 2]);
        out += kDigits[v >> 18], out += kDigits[(v >> 12) & 63], out += kDigits[(v >> 6) & 63], out += kDigits[v & 63];
    }
    if (i + 1 == bytes.size()) {
        const unsigned v = static_cast<unsigned char>(bytes[i]) << 16;
        out += kDigits[v >> 18], out += kDigits[(v >> 12) & 63], out += "==";
    } else if (i + 2 == bytes.size()) {
        const unsigned v = static_cast<unsigned char>(bytes[i]) << 16 | static_cast<unsigned char>(bytes[i + 1]) << 8;
        out += kDigits[v >> 18], out += kDigits[(v >> 12) & 63], out += kDigits[(v >> 6) & 63], out += '=';
    }
    return out;
}

bool IsAscii(const std::string& text) {
    return std::all_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

std::string WithoutLineBreaks(const std::string& value) {
    std::string out;
    for (char c : value)
        if (c != '\r' && c != '\n') out += c;
    return out;
}

std::string ExtractAddress(const std::string& entry) {
    const size_t angle = entry.find('<');
    if (angle != std::string::npos) {
        std::string inner = entry.substr(angle + 1, entry.find('<', angle + 1) - angle - 1);
        return inner.substr(0, inner.find('>'));
    }
    const size_t colon = entry.find(':');
    if (colon != std::string::npos) return entry.substr(colon + 1, entry.find(':', colon + 1) - colon - 1);
    return entry;
}

std::vector<std::string> HeaderLines(const TPostMessage& message) {
    std::vector<std::string> lines;
    lines.push_back("From: " + HeaderText(message.FromName) + "<" + WithoutLineBreaks(message.FromAddress) + ">");
    if (!message.ToAddress.empty()) lines.push_back("To: " + Joined(message.ToAddress));
    if (!message.ToCarbonCopy.empty()) lines.push_back("CC: " + Joined(message.ToCarbonCopy));
    if (!message.Subject.empty()) lines.push_back("Subject: " + HeaderText(message.Subject));
    if (!message.LocalProgram.empty()) lines.push_back("X-Mailer: " + HeaderText(message.LocalProgram));
    if (!message.ReplyTo.empty()) lines.push_back("Reply-To: " + WithoutLineBreaks(message.ReplyTo));
    if (!message.Date.empty()) lines.push_back("Date: " + WithoutLineBreaks(message.Date));
    lines.push_back("Mime-Version: 1.0");
    if (BodyIsAscii(message.Body)) {
        lines.push_back("Content-Type: text/plain; charset=us-ascii");
    } else {
        lines.push_back("Content-Type: text/plain; charset=utf-8");
        lines.push_back("Content-Transfer-Encoding: quoted-printable");
    }
    return lines;
}

std::string BodyText(const std::vector<std::string>& body) {
    const bool ascii = BodyIsAscii(body);
    std::string text;
    for (const auto& line : PhysicalLines(body)) {
        const std::vector<std::string> pieces = ascii ? std::vector<std::string>{line} : QuotedPrintable(line);
        for (const auto& piece : pieces) text += (piece.starts_with(".") ? "." : "") + piece + "\r\n";
    }
    return text;
}

}  // namespace vigilor
