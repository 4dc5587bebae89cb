// The liveness check with real look-ups and real echo requests, to the
// loopback and to a host of the test's own that ignores echoes.
#include <gtest/gtest.h>

#include "net/ping_form_win.h"
#include "platform/message_pump_win.h"
#include "tests/support/silent_host.h"

namespace vigilor {
namespace {

// A name whose label is too long for the name service: it fails on this
// machine, before any query is sent.
const std::string kUnresolvable = "\\\\" + std::string(70, 'x');

TEST(IsMachineAlive, LoopbackByAddressAndByName) {
    const LivenessCheck byAddress = CheckMachine("\\\\127.0.0.1", nullptr);
    EXPECT_TRUE(byAddress.Alive());
    EXPECT_EQ(byAddress.echoesSent, 1);
    EXPECT_TRUE(IsMachineAlive("\\\\localhost", nullptr));
    EXPECT_TRUE(IsMachineAlive("ab127.0.0.1", nullptr)) << "any two first characters go";
}

TEST(IsMachineAlive, NameThatDoesNotResolveSendsNoEcho) {
    const LivenessCheck check = CheckMachine(kUnresolvable, nullptr);
    EXPECT_FALSE(check.Alive());
    EXPECT_FALSE(check.nameResolved);
    EXPECT_EQ(check.echoesSent, 0);
}

TEST(IsMachineAlive, HostThatIgnoresEchoesIsNotAliveAfterTheTimeOut) {
    const std::string address = test::SilentHostAddress();
    if (address.empty()) GTEST_SKIP() << "no network namespace for a silent host here";
    const LivenessCheck check = CheckMachine("\\\\" + address, nullptr);
    EXPECT_TRUE(check.nameResolved);
    EXPECT_EQ(check.echoesSent, 1);
    EXPECT_FALSE(check.Alive());

    TICMP engine;
    engine.Address = address;
    EXPECT_EQ(engine.Ping(), 0);
    EXPECT_EQ(engine.LastError(), 11010u) << "request timed out";
}

TEST(IsMachineAlive, OwnerIsHeldDuringTheCheckAndFreedAfter) {
    const HWND owner = CreateWindowExW(0, L"STATIC", L"owner", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100, nullptr, nullptr,
                                       nullptr, nullptr);
    ASSERT_TRUE(owner);
    TPingTstForm form(owner);
    bool ownerHeld = false;
    form.Ping1.OnEchoRequest = [&] { ownerHeld = !IsWindowEnabled(owner); };
    form.Ping1.LookupHost("LOCALHOST");
    EXPECT_TRUE(form.Ping1.LookupPending()) << "a name is looked up without blocking";
    form.ShowModal();
    EXPECT_TRUE(ownerHeld);
    EXPECT_TRUE(IsWindowEnabled(owner));
    EXPECT_TRUE(form.NameResolved && form.EchoAnswered);
    DestroyWindow(owner);
}

TEST(PingWindow, HiddenToolWindowWithItsLabel) {
    TPingTstForm form(nullptr);
    wchar_t caption[32] = {};
    GetWindowTextW(form.Handle(), caption, 32);
    EXPECT_STREQ(caption, kPingWindowCaption);
    RECT client{};
    GetClientRect(form.Handle(), &client);
    EXPECT_EQ(client.right, 145);
    EXPECT_EQ(client.bottom, 48);
    RECT frame{};
    GetWindowRect(form.Handle(), &frame);
    EXPECT_EQ(frame.left, 10000);
    EXPECT_EQ(frame.top, 10000);
    EXPECT_TRUE(GetWindowLongW(form.Handle(), GWL_EXSTYLE) & WS_EX_TOOLWINDOW);
    EXPECT_FALSE(GetWindowLongW(form.Handle(), GWL_STYLE) & WS_SYSMENU);
    EXPECT_EQ(form.LabelText(), "Checking machine status ...");
    form.SetLabel("Pinging LOCALHOST...");
    EXPECT_EQ(form.LabelText(), "Pinging LOCALHOST...");
}

TEST(TPingComponent, LookupReportsThroughItsEvent) {
    TPing ping;
    std::vector<int> errors;
    ping.OnDnsLookupDone = [&](int error) { errors.push_back(error); };
    ping.LookupHost("127.0.0.1");
    EXPECT_EQ(errors, std::vector<int>{0}) << "a dotted address is reported at once";
    EXPECT_EQ(ping.ResolvedAddress, "127.0.0.1");

    ping.LookupHost("LOCALHOST");
    EXPECT_TRUE(ping.ResolvedAddress.empty());
    WaitPumpingMessages(nullptr, [&] { return errors.size() == 2; }, 20000);
    ASSERT_EQ(errors.size(), 2u);
    EXPECT_EQ(errors[1], 0);
    EXPECT_EQ(ping.ResolvedAddress, "127.0.0.1");

    ping.LookupHost(kUnresolvable.substr(2));
    WaitPumpingMessages(nullptr, [&] { return errors.size() == 3; }, 20000);
    ASSERT_EQ(errors.size(), 3u);
    EXPECT_NE(errors[2], 0);

    ping.LookupHost("LOCALHOST");
    ping.CancelLookup();
    EXPECT_EQ(errors.back(), 10004);
    EXPECT_FALSE(ping.LookupPending());
    // The late answer of the forgotten request reports nothing.
    MSG msg;
    const ULONGLONG until = GetTickCount64() + 300;
    while (GetTickCount64() < until) {
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
        Sleep(10);
    }
    EXPECT_EQ(errors.size(), 4u);
}

TEST(IcmpEngine, OneEchoToTheLoopback) {
    TICMP engine;
    EXPECT_EQ(engine.Size, 56);
    EXPECT_EQ(engine.TTL, 64);
    EXPECT_EQ(engine.Timeout, 4000);
    int requests = 0;
    engine.OnEchoRequest = [&] { ++requests; };
    engine.Address = "127.0.0.1";
    EXPECT_EQ(engine.Ping(), 1);
    EXPECT_EQ(requests, 1);
    EXPECT_EQ(engine.LastReply().address, "127.0.0.1");
    EXPECT_EQ(engine.LastReply().status, 0u);
    EXPECT_EQ(engine.LastReply().dataSize, 56u);

    std::vector<std::string> shown;
    engine.OnDisplay = [&](const std::string& text) { shown.push_back(text); };
    engine.Address = kUnresolvable.substr(2);
    EXPECT_EQ(engine.Ping(), 0);
    EXPECT_EQ(engine.LastError(), 11018u);
    EXPECT_EQ(shown, (std::vector<std::string>{"Unable to resolve " + engine.Address, "Invalid host address"}));
    EXPECT_EQ(requests, 1);
}

TEST(IcmpEngine, SetUpFailuresRaiseTheirTexts) {
    try {
        TICMP engine(L"vigilor-missing-icmp.dll");
        FAIL();
    } catch (const TICMPException& e) {
        EXPECT_STREQ(e.what(), "Unable to register icmp.dll");
    }
    try {
        TICMP engine(L"kernel32.dll");
        FAIL();
    } catch (const TICMPException& e) {
        EXPECT_STREQ(e.what(), "Error loading dll functions");
    }
}

}  // namespace
}  // namespace vigilor
