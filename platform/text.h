#pragma once
// Text helpers shared by every subsystem. Text inside the program is UTF-8.
#include <string>
#include <string_view>

namespace vigilor {

std::u16string ToUtf16(std::string_view utf8);
std::string ToUtf8(std::u16string_view utf16);
// Code points; a malformed byte gives U+FFFD, as in ToUtf16.
std::u32string ToUtf32(std::string_view utf8);

// Blanks and control characters (code <= 32) off both ends, as the
// classic Trim does.
std::string Trim(std::string_view text);
std::string UpperAscii(std::string_view text);
std::string LowerAscii(std::string_view text);
bool EqualsIgnoringAsciiCase(std::string_view a, std::string_view b);
// <0, 0 or >0, comparing ASCII letters without regard to case.
int CompareIgnoringAsciiCase(std::string_view a, std::string_view b);

}  // namespace vigilor
