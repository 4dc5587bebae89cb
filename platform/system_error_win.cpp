#include "platform/system_error_win.h"

#include <windows.h>

#include "platform/wide_win.h"

namespace vigilor {

unsigned long Win32SystemErrors::LastError() { return GetLastError(); }

std::string Win32SystemErrors::SystemMessage(unsigned long code) {
    wchar_t text[1024];
    const DWORD length = FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0,
                                        text, 1023, nullptr);
    return Narrow(std::wstring_view(text, length));
}

}  // namespace vigilor
