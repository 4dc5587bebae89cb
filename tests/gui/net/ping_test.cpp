// The liveness check with real look-ups and real echo requests, to the
// loopback and to a host of the test's own that ignores echoes.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>

#include "net/host_lookup_win.h"
#include "net/icmp_engine_win.h"
#include "net/ping_form_win.h"
#include "platform/handles_win.h"
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

// The echo service's calls, answering as told and writing down what was
// asked: Wine's ICMPv6 calls do nothing, so IPv6 is tried against these.
struct FakeEcho {
    static inline std::vector<std::string> sent;
    static inline int opened6 = 0;
    static inline DWORD replies = 1;
    static HANDLE WINAPI Create() { return reinterpret_cast<HANDLE>(4); }
    static HANDLE WINAPI Create6() {
        ++opened6;
        return reinterpret_cast<HANDLE>(6);
    }
    static BOOL WINAPI Close(HANDLE) { return TRUE; }
    static DWORD WINAPI Send(HANDLE, ULONG to, LPVOID, WORD, void*, LPVOID reply, DWORD, DWORD) {
        char text[INET_ADDRSTRLEN] = {};
        inet_ntop(AF_INET, &to, text, sizeof text);
        sent.push_back(std::string("IPv4 ") + text);
        auto* header = static_cast<ICMP_ECHO_REPLY*>(reply);
        header->Address = to;
        header->Status = replies ? IP_SUCCESS : IP_REQ_TIMED_OUT;
        header->RoundTripTime = 2;
        SetLastError(replies ? 0 : IP_REQ_TIMED_OUT);
        return replies;
    }
    static DWORD WINAPI Send6(HANDLE handle, HANDLE, void*, void*, sockaddr_in6* from, sockaddr_in6* to, LPVOID,
                              WORD size, void*, LPVOID reply, DWORD replySize, DWORD) {
        char text[INET6_ADDRSTRLEN] = {};
        inet_ntop(AF_INET6, &to->sin6_addr, text, sizeof text);
        sent.push_back(std::string("IPv6 ") + text);
        EXPECT_EQ(handle, reinterpret_cast<HANDLE>(6));
        EXPECT_EQ(from->sin6_family, AF_INET6);
        EXPECT_GE(replySize, sizeof(Icmpv6EchoReply) + size + 8);
        Icmpv6EchoReply header{};
        std::memcpy(header.Address.sin6_addr, &to->sin6_addr, sizeof header.Address.sin6_addr);
        header.Status = replies ? IP_SUCCESS : IP_REQ_TIMED_OUT;
        header.RoundTripTime = 3;
        std::memcpy(reply, &header, sizeof header);
        SetLastError(replies ? 0 : IP_REQ_TIMED_OUT);
        return replies;
    }
};

TEST(IcmpEngine, IPv6AddressesAreEchoedOverIcmpv6AndNamesByTheFamilyTheyResolveTo) {
    const IcmpCalls calls{&FakeEcho::Create, &FakeEcho::Close, &FakeEcho::Send, &FakeEcho::Create6,
                          &FakeEcho::Send6};
    const struct {
        const char* address;
        DWORD replies;
        const char* sent;
        const char* replyFrom;
        unsigned long status;
        unsigned long roundTripMs;
    } cases[] = {
        {"127.0.0.1", 1, "IPv4 127.0.0.1", "127.0.0.1", IP_SUCCESS, 2},
        // A name with both families keeps its IPv4 address.
        {"LOCALHOST", 1, "IPv4 127.0.0.1", "127.0.0.1", IP_SUCCESS, 2},
        {"::1", 1, "IPv6 ::1", "::1", IP_SUCCESS, 3},
        {"FE80::1:2", 1, "IPv6 fe80::1:2", "fe80::1:2", IP_SUCCESS, 3},
        {"::1", 0, "IPv6 ::1", "::1", IP_REQ_TIMED_OUT, 3},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.address) + " " + std::to_string(c.replies));
        FakeEcho::sent.clear();
        FakeEcho::replies = c.replies;
        TICMP engine(calls);
        engine.Address = c.address;
        EXPECT_EQ(engine.Ping(), static_cast<int>(c.replies));
        EXPECT_EQ(FakeEcho::sent, std::vector<std::string>{c.sent});
        EXPECT_EQ(engine.LastReply().address, c.replyFrom);
        EXPECT_EQ(engine.LastReply().status, c.status);
        EXPECT_EQ(engine.LastReply().roundTripMs, c.roundTripMs);
        EXPECT_EQ(engine.LastError(), c.replies ? 0u : static_cast<unsigned long>(IP_REQ_TIMED_OUT));
    }
    EXPECT_EQ(FakeEcho::opened6, 3) << "the ICMPv6 handle is opened only for IPv6 echoes";

    // The liveness check's look-up: an IPv6 address stays one, a name
    // with both families gives its IPv4 address.
    for (const auto& [name, address] : {std::pair{"::1", "::1"}, std::pair{"localhost", "127.0.0.1"}}) {
        // Shared with the look-up's worker, which may outlive a failed wait.
        const auto done = std::make_shared<KernelHandle>(CreateEventW(nullptr, TRUE, FALSE, nullptr));
        const HostLookupRequest request(name, [done] { SetEvent(done->Get()); }, LookupFamily::IPv4ElseIPv6);
        ASSERT_EQ(WaitForSingleObject(done->Get(), 10000), WAIT_OBJECT_0) << name;
        EXPECT_EQ(request.Outcome().error, 0) << name;
        EXPECT_EQ(request.Outcome().address, address) << name;
    }
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
