#pragma once
// UTF-8 inside, UTF-16 at the Win32 edge.
#include <string>
#include <string_view>

#include "platform/text.h"

namespace vigilor {

inline std::wstring Wide(std::string_view utf8) {
    const std::u16string text = ToUtf16(utf8);
    return std::wstring(text.begin(), text.end());
}

inline std::string Narrow(std::wstring_view wide) {
    return ToUtf8(std::u16string_view(reinterpret_cast<const char16_t*>(wide.data()), wide.size()));
}

}  // namespace vigilor
