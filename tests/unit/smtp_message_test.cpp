#include <gtest/gtest.h>

#include "notify/smtp_message.h"

namespace vigilor {
namespace {

TEST(SmtpMessage, AddressExtraction) {
    EXPECT_EQ(ExtractAddress("Ops Team <ops@example.org>"), "ops@example.org");
    EXPECT_EQ(ExtractAddress("To:ops@example.org"), "ops@example.org");
    EXPECT_EQ(ExtractAddress("ops@example.org"), "ops@example.org");
    EXPECT_EQ(ExtractAddress(" ops@example.org "), " ops@example.org ") << "no trimming";
    EXPECT_EQ(ExtractAddress("a <b@x.org> <c@x.org>"), "b@x.org");
    EXPECT_EQ(ExtractAddress("a <b@x.org"), "b@x.org");
    EXPECT_EQ(ExtractAddress("x:y@z:w"), "y@z");
    EXPECT_EQ(ExtractAddress(""), "");
}

TEST(SmtpMessage, HeaderLinesInOrderAndOnlyWhenSet) {
    TPostMessage m;
    m.FromName = "Vigilor";
    m.FromAddress = "v@x.org";
    EXPECT_EQ(HeaderLines(m), (std::vector<std::string>{"From: Vigilor<v@x.org>", "Mime-Version: 1.0",
                                                         "Content-Type: text/plain; charset=us-ascii"}));
    m.ToAddress = {"a@x.org", "B <b@x.org>"};
    m.ToCarbonCopy = {""};
    m.ToBlindCarbonCopy = {"secret@x.org"};
    m.Subject = "S";
    m.LocalProgram = "P";
    m.ReplyTo = "r@x.org";
    m.Date = "D";
    EXPECT_EQ(HeaderLines(m), (std::vector<std::string>{"From: Vigilor<v@x.org>", "To: a@x.org,B <b@x.org>", "CC: ",
                                                         "Subject: S", "X-Mailer: P", "Reply-To: r@x.org", "Date: D",
                                                         "Mime-Version: 1.0",
                                                         "Content-Type: text/plain; charset=us-ascii"}));
}

TEST(SmtpMessage, LineBreaksInHeaderValuesCannotForgeHeaders) {
    TPostMessage m;
    m.FromName = "Evil\r\nBcc: victim@x.org";
    m.FromAddress = "v@x.org\n";
    m.Subject = "NT\rService";
    m.ToAddress = {"a@x.org\r\nX-Injected: 1"};
    for (const auto& line : HeaderLines(m)) {
        EXPECT_EQ(line.find_first_of("\r\n"), std::string::npos) << line;
    }
    EXPECT_EQ(HeaderLines(m)[0], "From: EvilBcc: victim@x.org<v@x.org>");
    EXPECT_EQ(HeaderLines(m)[1], "To: a@x.orgX-Injected: 1");
}

TEST(SmtpMessage, BodyIsDotStuffedAfterSplittingAtEveryLineBreak) {
    EXPECT_EQ(BodyText({"a", ".", "..b", ""}), "a\r\n..\r\n...b\r\n\r\n");
    // A service name holding its own line break must not end the message.
    EXPECT_EQ(BodyText({"The service \"x\r\n.\r\nMAIL FROM:<e@x>\" stopped"}),
              "The service \"x\r\n..\r\nMAIL FROM:<e@x>\" stopped\r\n");
    EXPECT_EQ(BodyText({"a\rb\nc\r\n\nd"}), "a\r\nb\r\nc\r\n\r\nd\r\n");
    EXPECT_EQ(BodyText({}), "");
}

TEST(SmtpMessage, TextThatIsNotAsciiIsLabelledAndEncoded) {
    TPostMessage m;
    m.FromName = "Jürgen";
    m.FromAddress = "j@x.org";
    m.Subject = "Dienst gestoppt";
    m.Body = {"Der Dienst \"Druckwarteschlange Ä\" auf \\\\SRV ist gestoppt", ".weiter"};
    const auto header = HeaderLines(m);
    EXPECT_EQ(header[0], "From: =?utf-8?B?SsO8cmdlbg==?=<j@x.org>");
    EXPECT_EQ(header[1], "Subject: Dienst gestoppt");
    EXPECT_EQ(header[header.size() - 2], "Content-Type: text/plain; charset=utf-8");
    EXPECT_EQ(header.back(), "Content-Transfer-Encoding: quoted-printable");
    const std::string body = BodyText(m.Body);
    EXPECT_TRUE(IsAscii(body));
    EXPECT_EQ(body,
              "Der Dienst \"Druckwarteschlange =C3=84\" auf \\\\SRV ist gestoppt\r\n"
              "..weiter\r\n");
}

TEST(SmtpMessage, QuotedPrintableKeepsLinesShortAndTrailingBlanksVisible) {
    const std::string body = BodyText({std::string(100, 'e') + "é ", "= "});
    EXPECT_EQ(body, std::string(75, 'e') + "=\r\n" + std::string(25, 'e') + "=C3=A9=20\r\n=3D=20\r\n");
}

TEST(SmtpMessage, LongNonAsciiHeaderTextIsSplitIntoWholeCharacters) {
    TPostMessage m;
    m.Subject = std::string(30, 'a') + "ééééééééééééééé";  // 60 bytes
    const std::string subject = HeaderLines(m)[1];
    EXPECT_EQ(subject.rfind("Subject: =?utf-8?B?", 0), 0u);
    EXPECT_EQ(subject.find("?= =?utf-8?B?") != std::string::npos, true);
    EXPECT_TRUE(IsAscii(subject));
}

}  // namespace
}  // namespace vigilor
