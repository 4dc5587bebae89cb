// Screen messages under Wine: shown in a window of their own for the
// logged-on user, never through the network call that would end the process.
#include <gtest/gtest.h>

#include <algorithm>

#include "tests/support/test_alert_host.h"

#include "notify/email_alerts.h"
#include "notify/notification_channels_win.h"
#include "notify/screen_message_win.h"
#include "platform/system_info_win.h"
#include "platform/wide_win.h"
#include "tests/support/memory_store.h"

namespace vigilor {
namespace {

HWND FindMessageWindow(DWORD limitMs) {
    const ULONGLONG until = GetTickCount64() + limitMs;
    for (;;) {
        if (const HWND box = FindWindowW(L"#32770", Wide(kScreenMessageCaption).c_str())) return box;
        if (GetTickCount64() >= until) return nullptr;
        Sleep(20);
    }
}

// The text of the box, then the box closed; empty when none came.
std::string TakeMessage(DWORD limitMs = 20000) {
    const HWND box = FindMessageWindow(limitMs);
    if (!box) return {};
    wchar_t text[512] = {};
    GetDlgItemTextW(box, 0xFFFF, text, 512);
    PostMessageW(box, WM_COMMAND, IDOK, 0);
    const ULONGLONG until = GetTickCount64() + 20000;
    while (IsWindow(box) && GetTickCount64() < until) Sleep(20);
    EXPECT_FALSE(IsWindow(box)) << "the box closes";
    return Narrow(text);
}

TEST(ScreenMessage, ShownForTheLoggedOnUserWithoutWaiting) {
    ASSERT_TRUE(IsRunningUnderWine());
    EXPECT_TRUE(SendScreenMessage("This is a test message from Vigilor", CurrentUserName()));
    EXPECT_EQ(TakeMessage(), "This is a test message from Vigilor");
    EXPECT_TRUE(SendScreenMessage("to the computer", LocalComputerName()));
    EXPECT_EQ(TakeMessage(), "to the computer");
}

TEST(ScreenMessage, AnyoneElseIsRefusedSilently) {
    EXPECT_FALSE(SendScreenMessage("This is a test message from Vigilor", ""));
    EXPECT_FALSE(SendScreenMessage("x", "somebody-else"));
    EXPECT_FALSE(SendScreenMessage("x", std::string(5000, 'u')));
    EXPECT_EQ(FindMessageWindow(0), nullptr);
}

TEST(ScreenMessage, UnreadMessagesDoNotPileUp) {
    for (int i = 0; i < kMaxOpenScreenMessages; ++i)
        EXPECT_TRUE(SendScreenMessage("unread " + std::to_string(i), CurrentUserName())) << i;
    EXPECT_FALSE(SendScreenMessage("one too many", CurrentUserName()));
    std::vector<std::string> read;
    for (int i = 0; i < kMaxOpenScreenMessages; ++i) read.push_back(TakeMessage());
    std::sort(read.begin(), read.end());
    EXPECT_EQ(read.front(), "unread 0");
    EXPECT_EQ(read.back(), "unread " + std::to_string(kMaxOpenScreenMessages - 1));
    EXPECT_EQ(FindMessageWindow(0), nullptr);
    // Each box read frees its place once its thread has ended.
    const ULONGLONG until = GetTickCount64() + 20000;
    bool shown = false;
    while (!(shown = SendScreenMessage("after reading", CurrentUserName())) && GetTickCount64() < until) Sleep(20);
    EXPECT_TRUE(shown);
    EXPECT_EQ(TakeMessage(), "after reading");
}

TEST(ScreenMessage, FailureAlertReachesTheUserThroughTheRealChannels) {
    test::TestAlertHost host;
    host.settings.notifyByMail = true;
    host.settings.screenNotify = true;
    host.settings.notifyLogin = CurrentUserName();
    WindowsNotificationChannels channels(nullptr);
    auto client = std::make_unique<TNMSMTP>(nullptr);
    EmailAlerts alerts(host, channels, *client);
    alerts.SendFailureAlert("\\\\SRV1", "Spooler");
    EXPECT_TRUE(host.errors.empty()) << "the screen method needs no mail server";
    EXPECT_EQ(TakeMessage(), "The service \"Spooler\" on \\\\SRV1 has stopped responding !");
}

}  // namespace
}  // namespace vigilor
