#include "net/computer_list.h"

#include <algorithm>
#include <string_view>

#include "net/ipv4_address.h"
#include "platform/app_error.h"
#include "platform/text.h"

namespace vigilor {

namespace {

constexpr size_t kNetBiosNameLength = 15;
constexpr size_t kDnsNameLength = 253;
constexpr size_t kDnsLabelLength = 63;

bool IsAsciiAlnum(char c) { return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

bool IsHexDigit(char c) { return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F'); }

bool AllDigits(std::string_view text) {
    return !text.empty() && text.find_first_not_of("0123456789") == std::string_view::npos;
}

std::vector<std::string_view> Split(std::string_view text, char separator) {
    std::vector<std::string_view> parts;
    for (;;) {
        const size_t at = text.find(separator);
        parts.push_back(text.substr(0, at));
        if (at == std::string_view::npos) return parts;
        text.remove_prefix(at + 1);
    }
}

// Letters, digits, underscores (Windows names hold them) and inner
// hyphens; the labels together at most 253 characters.
bool IsDnsName(std::string_view name) {
    if (name.empty() || name.size() > kDnsNameLength) return false;
    for (std::string_view label : Split(name, '.')) {
        if (label.empty() || label.size() > kDnsLabelLength) return false;
        if (label.front() == '-' || label.back() == '-') return false;
        for (char c : label)
            if (!IsAsciiAlnum(c) && c != '-' && c != '_') return false;
    }
    return true;
}

// At most 15 characters, letters of any script, digits and the marks
// Windows allows; no blank, and no period in front.
bool IsNetBiosName(std::string_view name) {
    static constexpr std::string_view kMarks = "!@#$%^&')(.-_{}~";
    if (name.empty() || name.front() == '.') return false;
    size_t characters = 0;
    for (char c : name) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte >= 0x80) {
            if (byte >= 0xC0) ++characters;  // a UTF-8 lead byte, not a continuation
            continue;
        }
        if (!IsAsciiAlnum(c) && kMarks.find(c) == std::string_view::npos) return false;
        ++characters;
    }
    return characters <= kNetBiosNameLength;
}

// Eight groups of up to four hex digits, "::" standing once for a run of
// zero groups, the last two groups optionally written as an IPv4 address.
bool IsIPv6Address(std::string_view text) {
    const size_t gap = text.find("::");
    if (gap != std::string_view::npos && text.find("::", gap + 1) != std::string_view::npos) return false;
    auto groups = [](std::string_view part, bool last, size_t& count) {
        if (part.empty()) return true;
        const std::vector<std::string_view> pieces = Split(part, ':');
        for (size_t i = 0; i < pieces.size(); ++i) {
            const std::string_view piece = pieces[i];
            if (last && i + 1 == pieces.size() && piece.find('.') != std::string_view::npos) {
                if (!ParseDottedIPv4(std::string(piece))) return false;
                count += 2;
                continue;
            }
            if (piece.empty() || piece.size() > 4) return false;
            for (char c : piece)
                if (!IsHexDigit(c)) return false;
            ++count;
        }
        return true;
    };
    size_t count = 0;
    if (gap == std::string_view::npos) return groups(text, true, count) && count == 8;
    return groups(text.substr(0, gap), false, count) && groups(text.substr(gap + 2), true, count) && count < 8;
}

bool IsComputerName(std::string_view name) {
    if (name.find(':') != std::string_view::npos) return IsIPv6Address(name);
    // Digits alone are no name: they must make an IPv4 address.
    bool numeric = true;
    for (std::string_view label : Split(name, '.')) numeric = numeric && AllDigits(label);
    if (numeric) return ParseDottedIPv4(std::string(name)).has_value();
    return IsDnsName(name) || IsNetBiosName(name);
}

void AddOnce(std::vector<std::string>& items, const std::string& computer) {
    if (Trim(computer).empty()) return;
    for (const std::string& item : items)
        if (EqualsIgnoringAsciiCase(Trim(item), Trim(computer))) return;
    items.push_back(computer);
}

}  // namespace

ComputerList MakeComputerList(TNTPersistent& network, const std::string& selectedComputer,
                              const std::string& localComputer, const std::vector<std::string>& monitoredServers) {
    ComputerList list;
    try {
        list.items = network.ServerList("");
    } catch (const AppError& error) {
        list.browseError = error.what();
        AddOnce(list.items, selectedComputer);
        AddOnce(list.items, "\\\\" + localComputer);
        for (const std::string& server : monitoredServers) AddOnce(list.items, server);
    }
    const std::string wanted = Trim(selectedComputer);
    for (size_t i = 0; i < list.items.size(); ++i) {
        if (Trim(list.items[i]) == wanted) {
            list.selected = i;
            break;
        }
    }
    return list;
}

std::string BrowseListNotice(const std::string& browseError) {
    // What to do first: the panel cuts a long reason short.
    return "No network computer list: type a computer name into the list (" + Trim(browseError) + ")";
}

std::optional<std::string> TypedComputer(const std::string& text, const AsciiNameOf& asciiName) {
    const std::string trimmed = Trim(text);
    const size_t start = trimmed.find_first_not_of('\\');
    if (start == std::string::npos) return std::nullopt;
    std::string name = trimmed.substr(start);
    // "srv.corp." is the computer "srv.corp", however long its name.
    if (name.size() > 1 && name.back() == '.' && name[name.size() - 2] != '.' && name.find(':') == std::string::npos)
        name.pop_back();
    // A dotted name outside ASCII is an internationalised DNS name: the
    // resolver knows it by its ASCII form.
    const bool beyondAscii = std::any_of(name.begin(), name.end(), [](char c) { return static_cast<unsigned char>(c) >= 0x80; });
    if (beyondAscii && name.find('.') != std::string::npos) {
        const std::optional<std::string> ascii = asciiName(name);
        if (!ascii || !IsDnsName(*ascii)) return std::nullopt;
        return "\\\\" + *ascii;
    }
    if (!IsComputerName(name)) return std::nullopt;
    return "\\\\" + name;
}

std::string NotAComputerNotice(const std::string& text) {
    return "Not a computer name: \"" + Trim(text) + "\"";
}

}  // namespace vigilor
