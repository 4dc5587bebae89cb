#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "monitor/status_page.h"

namespace vigilor {
namespace {

using Lines = std::vector<std::string>;

const LocalTime kEighthOfDecember{2026, 12, 8, 9, 5, 41, 2};

const Lines kHead{
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

const Lines kRunningSpoolerRow{
    "<tr>",
    R"(<td ALIGN="LEFT" VALIGN="TOP" WIDTH="520" HEIGHT="25"><p align="left"><font face="Verdana" size="2" color="#000080">)",
    R"(\\SRV1</font></td>)",
    R"(<td ALIGN="left" VALIGN="top" WIDTH="1564" HEIGHT="25"><p align="left"><font face="Verdana" size="2" color="#000080">)",
    R"(Print Spooler</font></td>)",
    R"(<td ALIGN="left" VALIGN="top" WIDTH="598" HEIGHT="25"><font face="Verdana" size="2" color="#000080">)",
    R"(RUNNING</font></td>)",
    R"(<font face="Verdana" size="2" color="#000080">)",
    "</tr>",
};

const Lines kFootOfTheEighthOfDecember{
    "</tr></table><br>",
    "<hr><p>",
    R"(<font color="#000080" face="Verdana" size="2">)",
    "Last updated: 08/12/2026  09:05<br><br>",
    R"(Made by <a href="https://vigilor.example.org/">Vigilor</a></font><br>)",
    R"(<a href="mailto:feedback@vigilor.example.org">Send feedback to the maker</a><small><br>)",
    "</p></small></body></html>",
};

Lines Joined(std::initializer_list<Lines> pieces) {
    Lines all;
    for (const auto& piece : pieces) all.insert(all.end(), piece.begin(), piece.end());
    return all;
}

TEST(StatusPage, OneRunningRowGivesTheWholePageLineForLine) {
    const Lines page = Joined({StatusPageHead(), StatusPageRow("\\\\SRV1", "Print Spooler", "RUNNING"),
                               StatusPageFoot(kEighthOfDecember)});
    EXPECT_EQ(page.size(), 29u);
    EXPECT_EQ(page, Joined({kHead, kRunningSpoolerRow, kFootOfTheEighthOfDecember}));
}

TEST(StatusPage, NoRowsGiveHeadAndFootOnly) {
    const Lines page = Joined({StatusPageHead(), StatusPageFoot(kEighthOfDecember)});
    EXPECT_EQ(page.size(), 20u);
    EXPECT_EQ(page, Joined({kHead, kFootOfTheEighthOfDecember}));
}

TEST(StatusPage, OnlyStoppedIsRed) {
    const std::string red = R"(<td ALIGN="left" VALIGN="top" WIDTH="598" HEIGHT="25"><font face="Verdana" size="2" color="#FF0000">)";
    const std::string navy = R"(<td ALIGN="left" VALIGN="top" WIDTH="598" HEIGHT="25"><font face="Verdana" size="2" color="#000080">)";
    const struct {
        std::string word;
        std::string cell;
    } cases[] = {{"STOPPED", red}, {"RUNNING", navy}, {"RESTARTED", navy}, {"", navy}, {"stopped", navy}};
    for (const auto& c : cases) {
        const Lines row = StatusPageRow("\\\\SRV1", "Print Spooler", c.word);
        ASSERT_EQ(row.size(), 9u) << c.word;
        EXPECT_EQ(row[5], c.cell) << c.word;
        EXPECT_EQ(row[6], c.word + "</font></td>");
    }
}

TEST(StatusPage, EveryWordOfAFailedRowIsRedLikeStopped) {
    for (const char* word : {"NOT FOUND", "UNKNOWN", "START PENDING", "STOP PENDING", "CONTINUE PENDING",
                             "PAUSE PENDING", "PAUSED"}) {
        const Lines row = StatusPageRow("\\\\SRV1", "Print Spooler", word);
        EXPECT_EQ(row[5], StatusPageRow("\\\\SRV1", "Print Spooler", "STOPPED")[5]) << word;
        EXPECT_EQ(row[6], std::string(word) + "</font></td>");
    }
}

TEST(StatusPage, HtmlTextLeavesPlainAsciiWithoutLineBreaks) {
    const struct {
        std::string in;
        std::string out;
    } cases[] = {
        {"Print Spooler (x64) 'a' #1", "Print Spooler (x64) 'a' #1"},
        {R"(<b>&"x")", "&lt;b&gt;&amp;&quot;x&quot;"},
        {"&amp;", "&amp;amp;"},
        {"Dienst f\xC3\xBCr Drucker", "Dienst f&#252;r Drucker"},
        {"\xE2\x82\xAC 5", "&#8364; 5"},
        {"\xF0\x9F\x98\x80", "&#128512;"},
        {"a\r\nb\tc", "a&#13;&#10;b&#9;c"},
        {"a\xFF" "b", "a&#65533;b"},
        {"\xC3", "&#65533;"},
        {"\xE2\x82" "A", "&#65533;&#65533;A"},
        {"\xC0\xAF", "&#65533;&#65533;"},
        {"\xED\xA0\x80", "&#65533;&#65533;&#65533;"},
        {"", ""},
    };
    for (const auto& c : cases) EXPECT_EQ(HtmlText(c.in), c.out) << c.in;
}

TEST(StatusPage, HtmlTextWritesDeleteAsAReferenceLikeEveryControlCharacter) {
    EXPECT_EQ(HtmlText("a\x7F" "b\x1F"), "a&#127;b&#31;");
}

TEST(StatusPage, RowTextsAreEscapedAndStayOnTheirLines) {
    const Lines row = StatusPageRow("\\\\SRV<1>", "Line\r\nBreak & \"Dienst\" f\xC3\xBCr", "RUN<>");
    ASSERT_EQ(row.size(), 9u);
    EXPECT_EQ(row[2], R"(\\SRV&lt;1&gt;</font></td>)");
    EXPECT_EQ(row[4], "Line&#13;&#10;Break &amp; &quot;Dienst&quot; f&#252;r</font></td>");
    EXPECT_EQ(row[6], "RUN&lt;&gt;</font></td>");
}

TEST(StatusPage, TheDraftBesideThePageNeverPassesThePathLimit) {
    const std::wstring folder = L"C:\\www\\";
    const struct {
        const char* name;
        std::wstring page;
        std::optional<std::wstring> draft;
    } cases[] = {
        {"room to spare", folder + L"status.html", folder + L"status.html.~7-1"},
        {"the name cut short", folder + L"status.html" + std::wstring(40, L'x'),
         folder + L"status.html" + std::wstring(17, L'x') + L".~7-1"},
        {"no room for the name", std::wstring(34, L'f') + L"\\status.html", std::wstring(34, L'f') + L"\\.~7-1"},
        {"no room for the suffix", std::wstring(35, L'f') + L"\\status.html", std::nullopt},
        {"no folder", L"status.html", L"status.html.~7-1"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(StatusPageDraftPath(c.page, L".~7-1", 40), c.draft);
    }
}

}  // namespace
}  // namespace vigilor
