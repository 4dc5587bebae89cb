#include "notify/screen_message_win.h"

#include <windows.h>
#include <lm.h>

#include <atomic>
#include <system_error>
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

std::atomic<int> g_openBoxes{0};

// The box lives on a thread of its own, so that neither the check pass nor
// the caller waits for the user to read it. An alert every pass to a user
// who is away must not pile up threads and boxes: beyond a handful still
// open, a message is not shown. False then.
bool ShowMessageWindow(const std::string& message) {
    if (g_openBoxes.fetch_add(1) >= kMaxOpenScreenMessages) {
        --g_openBoxes;
        return false;
    }
    try {
        std::thread([text = Wide(message)] {
            MessageBoxW(nullptr, text.c_str(), Wide(kScreenMessageCaption).c_str(),
                        MB_OK | MB_ICONINFORMATION | MB_SETFOREGROUND | MB_TOPMOST);
            --g_openBoxes;
        }).detach();
    } catch (const std::system_error&) {
        --g_openBoxes;
        return false;
    }
    return true;
}

}  // namespace

bool SendScreenMessage(const std::string& message, const std::string& recipient) {
    if (!IsRunningUnderWine()) return SendNetworkMessage(message, recipient);
    if (!IsLocalRecipient(recipient)) return false;
    return ShowMessageWindow(message);
}

}  // namespace vigilor
