#include "net/idn_win.h"

#include <windows.h>

#include "platform/wide_win.h"

namespace vigilor {

std::optional<std::string> AsciiHostName(const std::string& name) {
    const std::wstring wide = Wide(name);
    if (wide.empty()) return std::nullopt;
    // No STD3 rules: Windows' own names may hold an underscore.
    const int length = IdnToAscii(0, wide.c_str(), static_cast<int>(wide.size()), nullptr, 0);
    if (length <= 0) return std::nullopt;
    std::wstring ascii(static_cast<size_t>(length), L'\0');
    if (IdnToAscii(0, wide.c_str(), static_cast<int>(wide.size()), ascii.data(), length) != length) return std::nullopt;
    return Narrow(ascii);
}

}  // namespace vigilor
