#include "notify/screen_message_win.h"

#include <windows.h>
#include <lm.h>
#include <wtsapi32.h>

#include <atomic>
#include <system_error>
#include <thread>
#include <vector>

#include "notify/user_sessions.h"
#include "platform/system_info_win.h"
#include "platform/text.h"
#include "platform/unique_handle.h"
#include "platform/wide_win.h"

namespace vigilor {

namespace {

struct WtsMemoryTraits {
    using Handle = void*;
    static Handle Empty() { return nullptr; }
    static void Close(Handle h) { WTSFreeMemory(h); }
};
using WtsMemory = UniqueHandle<WtsMemoryTraits>;

std::string SessionText(DWORD session, WTS_INFO_CLASS what) {
    LPWSTR text = nullptr;
    DWORD bytes = 0;
    if (!WTSQuerySessionInformationW(WTS_CURRENT_SERVER_HANDLE, session, what, &text, &bytes)) return {};
    const WtsMemory owner(text);
    return Narrow(text);
}

std::vector<UserSession> LocalSessions() {
    PWTS_SESSION_INFOW list = nullptr;
    DWORD count = 0;
    if (!WTSEnumerateSessionsW(WTS_CURRENT_SERVER_HANDLE, 0, 1, &list, &count)) return {};
    const WtsMemory owner(list);
    std::vector<UserSession> sessions;
    for (DWORD i = 0; i < count; ++i) {
        const DWORD id = list[i].SessionId;
        sessions.push_back({id, SessionText(id, WTSUserName), SessionText(id, WTSDomainName)});
    }
    return sessions;
}

// A box in every session of the recipient on this computer. Not waiting
// for an answer, so an absent user holds up nothing.
bool SendToSessions(const std::string& message, const std::string& recipient) {
    std::wstring caption = Wide(kScreenMessageCaption);
    std::wstring text = Wide(message);
    bool sent = false;
    for (const unsigned long id : SessionsOfUser(LocalSessions(), recipient, LocalComputerName())) {
        DWORD response = 0;
        if (WTSSendMessageW(WTS_CURRENT_SERVER_HANDLE, id, caption.data(),
                            static_cast<DWORD>(caption.size() * sizeof(wchar_t)), text.data(),
                            static_cast<DWORD>(text.size() * sizeof(wchar_t)), MB_OK | MB_ICONINFORMATION, 0,
                            &response, FALSE))
            sent = true;
    }
    return sent;
}

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

bool SendScreenMessageToSessions(const std::string& message, const std::string& recipient) {
    // The computer's own name stands for every session with a user.
    return SendToSessions(message, Trim(recipient).empty() ? LocalComputerName() : recipient);
}

bool SendScreenMessage(const std::string& message, const std::string& recipient) {
    // The messenger is gone from current Windows (the call just fails
    // there), so it is only the fallback for a recipient with no session here.
    if (!IsRunningUnderWine()) return SendToSessions(message, recipient) || SendNetworkMessage(message, recipient);
    if (!IsLocalRecipient(recipient)) return false;
    return ShowMessageWindow(message);
}

}  // namespace vigilor
