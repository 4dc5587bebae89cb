#pragma once
// The message record of the SMTP client and how it is written on the wire.
#include <string>
#include <vector>

namespace vigilor {

struct TPostMessage {
    std::string FromName;
    std::string FromAddress;
    std::vector<std::string> ToAddress;
    std::vector<std::string> ToCarbonCopy;
    std::vector<std::string> ToBlindCarbonCopy;
    std::string Subject;
    std::vector<std::string> Body;
    std::string LocalProgram;  // sent as "X-Mailer"
    std::string Date;
    std::string ReplyTo;
    std::vector<std::string> Attachments;  // never filled by this program
};

// The address of a recipient entry: after the first "<" up to the next "<"
// or the end, cut before ">"; else after the first ":" up to the next ":";
// else the whole entry. No trimming.
std::string ExtractAddress(const std::string& entry);

// The header lines in their order, without line ends. Header values lose
// any CR and LF, so that no value can start a line of its own; free text
// that is not ASCII (sender name, subject) goes as UTF-8 encoded words.
std::vector<std::string> HeaderLines(const TPostMessage& message);

// The body as sent after the header: every line ends in CR LF, a CR or LF
// inside a line breaks it, lines starting with "." get one more. A body
// that is not ASCII goes quoted-printable (its header lines say so).
std::string BodyText(const std::vector<std::string>& body);

bool IsAscii(const std::string& text);

// Standard base64 with padding, no line breaks.
std::string Base64(const std::string& bytes);

// The value without any CR or LF, as every header value and every command
// argument is sent: a value cannot start a line of its own.
std::string WithoutLineBreaks(const std::string& value);

}  // namespace vigilor
