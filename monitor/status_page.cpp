#include "monitor/status_page.h"

#include <algorithm>

#include "monitor/status_words.h"
#include "platform/text.h"

namespace vigilor {

namespace {

constexpr const char* kNavyCell = R"(<font face="Verdana" size="2" color="#000080">)";
constexpr const char* kRedCell = R"(<font face="Verdana" size="2" color="#FF0000">)";

}  // namespace

std::string HtmlText(std::string_view utf8) {
    std::string out;
    out.reserve(utf8.size());
    for (const char32_t c : ToUtf32(utf8)) {
        switch (c) {
            case '&': out += "&amp;"; break;
            case '<': out += "&lt;"; break;
            case '>': out += "&gt;"; break;
            case '"': out += "&quot;"; break;
            default:
                // DEL (0x7F) is a control character too.
                if (c < 0x20 || c >= 0x7F) {
                    out += "&#" + std::to_string(static_cast<unsigned long>(c)) + ";";
                } else {
                    out += static_cast<char>(c);
                }
        }
    }
    return out;
}

std::vector<std::string> StatusPageHead() {
    return {
        R"(<html><head><meta HTTP-EQUIV="REFRESH" CONTENT="60">)",
        R"(<title>Vigilor</title></head>)",
        R"(<body bgcolor="#FFFFFF" background><h1><small>)",
        R"(<font face="Verdana">Vigilor</font></small></h1><font COLOR="#000000">)",
        R"(<table BORDER="2" WIDTH="98%" CELLPADDING="3" CELLSPACING="0" BGCOLOR="#C0C0C0"><tr>)",
        R"(<th ALIGN="LEFT" BGCOLOR="#0080C0"><table width="100%" border="0"><tr>)",
        R"(<td><small><font face="Verdana">Vigilor </font></small></td></tr>)",
        R"(</table></th></tr><tr>)",
        R"(<td WIDTH="98%" VALIGN="TOP"><table WIDTH="100%" BORDER="0" CELLPADDING="0")",
        R"(CELLSPACING="2" BGCOLOR="#C0C0C0"><tr>)",
        R"(<th ALIGN="LEFT"><font face="Verdana" size="2" color="#000080">Machine Name</font></th>)",
        R"(<th ALIGN="LEFT"><font face="Verdana" size="2" color="#000080">Service Description</font></th>)",
        R"(<th ALIGN="LEFT"><font face="Verdana" size="2" color="#000080">Status</font></th></tr>)",
    };
}

std::vector<std::string> StatusPageRow(std::string_view server, std::string_view service,
                                       std::string_view statusWord) {
    const std::string statusCell = R"(<td ALIGN="left" VALIGN="top" WIDTH="598" HEIGHT="25">)";
    return {
        "<tr>",
        std::string(R"(<td ALIGN="LEFT" VALIGN="TOP" WIDTH="520" HEIGHT="25"><p align="left">)") + kNavyCell,
        HtmlText(server) + "</font></td>",
        std::string(R"(<td ALIGN="left" VALIGN="top" WIDTH="1564" HEIGHT="25"><p align="left">)") + kNavyCell,
        HtmlText(service) + "</font></td>",
        statusCell + (IsFailureStatus(statusWord) ? kRedCell : kNavyCell),
        HtmlText(statusWord) + "</font></td>",
        kNavyCell,
        "</tr>",
    };
}

std::vector<std::string> StatusPageFoot(const LocalTime& endOfPass) {
    return {
        "</tr></table><br>",
        "<hr><p>",
        R"(<font color="#000080" face="Verdana" size="2">)",
        "Last updated: " + ReportStamp(endOfPass) + "<br><br>",
        R"(Made by <a href="https://vigilor.example.org/">Vigilor</a></font><br>)",
        R"(<a href="mailto:feedback@vigilor.example.org">Send feedback to the maker</a><small><br>)",
        "</p></small></body></html>",
    };
}

std::string StatusPageText(const std::vector<std::string>& lines) {
    std::string text;
    for (const auto& line : lines) text += line + "\r\n";
    return text;
}

std::optional<std::wstring> StatusPageDraftPath(const std::wstring& page, const std::wstring& suffix, size_t limit) {
    const size_t nameStart = page.find_last_of(L"\\/") + 1;  // 0 when there is no folder
    if (nameStart + suffix.size() > limit) return std::nullopt;
    const size_t kept = std::min(page.size() - nameStart, limit - nameStart - suffix.size());
    return page.substr(0, nameStart + kept) + suffix;
}

}  // namespace vigilor
