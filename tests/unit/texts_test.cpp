#include <gtest/gtest.h>

#include "app/main_texts.h"
#include "maint/version_text.h"
#include "monitor/graphic_light.h"
#include "platform/text.h"

namespace vigilor {
namespace {

TEST(MainTexts, IntervalHint) {
    EXPECT_EQ(IntervalHint(1), "Scanning interval - every minute.");
    EXPECT_EQ(IntervalHint(5), "Scanning interval - every 5 minutes.");
    EXPECT_EQ(IntervalHint(60), "Scanning interval - every 60 minutes.");
}

TEST(MainTexts, ClockHasTwoBlanksAndLeadingZeros) {
    EXPECT_EQ(ClockText(3, 7, 2026, 9, 5), "03/07/2026  09:05");
    EXPECT_EQ(ClockText(31, 12, 1999, 23, 59), "31/12/1999  23:59");
}

TEST(MainTexts, StatusPanelAndCaption) {
    EXPECT_EQ(StatusPanelText(""), "       ");
    EXPECT_EQ(StatusPanelText("Ready"), "       Ready");
    EXPECT_EQ(MainCaption(""), " Vigilor v.");
    EXPECT_EQ(MainCaption("1.0.0.27"), " Vigilor v.1.0.0.27");
}

TEST(MainTexts, OnlyTheFirstArgumentStartsMonitoring) {
    EXPECT_TRUE(AutoStartRequested({"/A"}));
    EXPECT_TRUE(AutoStartRequested({"/a", "x"}));
    EXPECT_FALSE(AutoStartRequested({"x", "/A"}));
    EXPECT_FALSE(AutoStartRequested({}));
    EXPECT_FALSE(AutoStartRequested({"/AUTO"}));
    EXPECT_FALSE(AutoStartRequested({"-A"}));
}

TEST(MainTexts, WebSiteFailureTable) {
    EXPECT_EQ(WebSiteFailure(0).text, "Error: Out of Memory");
    EXPECT_EQ(WebSiteFailure(0).caption, "Error ExploreWeb");
    EXPECT_EQ(WebSiteFailure(2).text, "Error: File not found.");
    EXPECT_EQ(WebSiteFailure(3).text, "Error: Directory not found.");
    EXPECT_EQ(WebSiteFailure(11).text, "Error: Wrong format in EXE.");
    EXPECT_EQ(WebSiteFailure(11).caption, "Error in ExploreWeb");
    EXPECT_EQ(WebSiteFailure(31).text, "Error N\xC2\xB0: 31 in ShellExecute");
    EXPECT_EQ(WebSiteFailure(31).caption, "Error in ExploreWeb");
}

TEST(VersionText, FourNumbersFromTheFileVersion) {
    EXPECT_EQ(VersionText(VersionFromFileVersion(0x0002000A, 0x00000005)), "2.10.0.5");
    EXPECT_EQ(VersionText(VersionFromFileVersion(0x00010000, 0x0000001B)), "1.0.0.27");
    EXPECT_EQ(VersionText(VersionFromFileVersion(0xFFFFFFFF, 0xFFFFFFFF)), "65535.65535.65535.65535");
    EXPECT_EQ(VersionText(VersionRecord{}), "");
}

TEST(GraphicLight, BitmapNames) {
    using enum ActiveLight;
    EXPECT_EQ(LightBitmapName({alGreen, false, false}), "GREEN");
    EXPECT_EQ(LightBitmapName({alRed, true, false}), "DARK_RED");
    EXPECT_EQ(LightBitmapName({alMangenta, false, true}), "MANGENTA_LITE");
    EXPECT_EQ(LightBitmapName({alCyan, true, true}), "DARK_CYAN_LITE");
    EXPECT_EQ(LightBitmapName({alWhite, true, false}), "BLACK");
    EXPECT_EQ(LightBitmapName({alWhite, true, true}), "DARK_WHITE_LITE");
    EXPECT_EQ(LightBitmapName({alWhite, false, false}), "WHITE");
    EXPECT_EQ(LightBitmapName(LightState{}), "DARK_GREEN") << "defaults: green, dark";
}

TEST(Text, Utf8AndUtf16RoundTrip) {
    const std::string text = "Dienst \xC3\xBC \xE2\x82\xAC \xF0\x9F\x98\x80";
    const std::u16string wide = ToUtf16(text);
    EXPECT_EQ(wide.size(), 13u);
    EXPECT_EQ(ToUtf8(wide), text);
}

TEST(Text, MalformedInputIsReplacedNotFatal) {
    EXPECT_EQ(ToUtf16("a\xFF" "b"), (std::u16string{u'a', 0xFFFD, u'b'}));
    EXPECT_EQ(ToUtf16("\xE2\x82"), (std::u16string{0xFFFD, 0xFFFD}));
    EXPECT_EQ(ToUtf16("\xC0\xAF"), (std::u16string{0xFFFD, 0xFFFD})) << "overlong form";
    EXPECT_EQ(ToUtf8(std::u16string{0xD800, u'x'}), "\xEF\xBF\xBDx") << "lone surrogate";
}

TEST(Text, TrimAndCase) {
    EXPECT_EQ(Trim("  a b \t\r\n"), "a b");
    EXPECT_EQ(Trim(""), "");
    EXPECT_EQ(UpperAscii("yes\xC3\xA9"), "YES\xC3\xA9");
    EXPECT_TRUE(EqualsIgnoringAsciiCase("EMailcc", "EMailCc"));
    EXPECT_FALSE(EqualsIgnoringAsciiCase("Email1", "Email10"));
    EXPECT_LT(CompareIgnoringAsciiCase("alpha", "BRAVO"), 0);
}

}  // namespace
}  // namespace vigilor
