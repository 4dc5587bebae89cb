#include "notify/screen_message_win.h"

#include <windows.h>
#include <lm.h>

#include <thread>

#include "platform/system_info_win.h"
#include "platform/text.h"
#include "platform/wide_win.h"

namespace vigilor {

namespace {

bool SendNetworkMessage(const std::string& message, const std::string& recipient) {
    std::wstring name = Wide(recipient);
    std::wstring text = Wide(message);
    const NET_API_STATUS status =
        NetMessageBufferSend(nullptr, name.data(), nullptr, reinterpret_cast<BYTE*>(text.data()),
                             static_cast<DWORD>(text.size() * sizeof(wchar_t)));
    return status == NERR_Success;
}

bool IsLocalRecipient(const std::string& recipient) {
    const std::string name = Trim(recipient);
    return !name.empty() && (EqualsIgnoringAsciiCase(name, CurrentUserName()) ||
                             EqualsIgnoringAsciiCase(name, LocalComputerName()));
}

// The box lives on a thread of its own, so that neither the check pass nor
// the caller waits for the user to read it.
void ShowMessageWindow(const std::string& message) {
    std::thread([text = Wide(message)] {
        MessageBoxW(nullptr, text.c_str(), Wide(kScreenMessageCaption).c_str(),
                    MB_OK | MB_ICONINFORMATION | MB_SETFOREGROUND | MB_TOPMOST);
    }).detach();
}

}  // namespace

bool SendScreenMessage(const std::string& message, const std::string& recipient) {
    if (!IsRunningUnderWine()) return SendNetworkMessage(message, recipient);
    if (!IsLocalRecipient(recipient)) return false;
    try {
        ShowMessageWindow(message);
    } catch (const std::system_error&) {
        return false;
    }
    return true;
}

}  // namespace vigilor
