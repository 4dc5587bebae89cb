#include <gtest/gtest.h>

#include "net/computer_list.h"
#include "net/logon.h"
#include "tests/support/memory_store.h"
#include "tests/unit/fake_network_platform.h"

namespace vigilor {
namespace {

using Names = std::vector<std::string>;

TEST(ComputerList, TheBrowseListInItsOrderWithTheExactNameSelected) {
    test::FakeNetworkPlatform net;
    net.rounds = {{{0, {"alpha", "HOST", "host"}}}};
    TNTPersistent browser(net);
    const ComputerList list = MakeComputerList(browser, " \\\\host ", "THISPC", {"\\\\OTHER"});
    EXPECT_EQ(list.items, (Names{"\\\\alpha", "\\\\HOST", "\\\\host"})) << "only the browse list";
    EXPECT_EQ(list.selected, 2u) << "letter case counts, blanks do not";
    EXPECT_TRUE(list.browseError.empty());

    net.rounds = {{{0, {"alpha"}}}};
    EXPECT_EQ(MakeComputerList(browser, "\\\\gone", "THISPC", {}).selected, std::nullopt);
}

TEST(ComputerList, WithoutABrowseListTheKnownComputersEachOnce) {
    test::FakeNetworkPlatform net;
    net.rounds = {{{6118, {}}}};
    TNTPersistent browser(net);
    const ComputerList list =
        MakeComputerList(browser, "\\\\SRV1", "THISPC", {"\\\\srv1", "\\\\DB", "  ", "\\\\thispc", "\\\\DB", "\\\\WEB"});
    EXPECT_EQ(list.items, (Names{"\\\\SRV1", "\\\\THISPC", "\\\\DB", "\\\\WEB"}));
    EXPECT_EQ(list.selected, 0u);
    EXPECT_FALSE(list.browseError.empty());
    EXPECT_NE(list.browseError.find("6118"), std::string::npos) << list.browseError;
}

TEST(ComputerList, TypedNames) {
    const std::string label63(63, 'a');
    const std::string dns253 = label63 + "." + label63 + "." + label63 + "." + std::string(61, 'b');
    const std::pair<std::string, std::optional<std::string>> cases[] = {
        {"HOST", "\\\\HOST"}, {"  \\\\host ", "\\\\host"}, {"\\host", "\\\\host"}, {"10.1.2.3", "\\\\10.1.2.3"},
        {"   ", std::nullopt}, {"\\\\", std::nullopt},
        // NetBIOS names: up to 15 characters, the marks Windows allows.
        {"SRV_01$", "\\\\SRV_01$"}, {"FILESERVER-0001", "\\\\FILESERVER-0001"},
        {"SERVEUR-\xC3\x89T\xC3\x89", "\\\\SERVEUR-\xC3\x89T\xC3\x89"},
        {"my server", std::nullopt}, {"\\\\srv\\share\\", std::nullopt}, {"a*b", std::nullopt}, {"a<b>", std::nullopt},
        {"srv|1", std::nullopt}, {"\"srv\"", std::nullopt}, {".hidden", std::nullopt}, {"tab\there", std::nullopt},
        {"srv/1", std::nullopt}, {"srv?", std::nullopt},
        // DNS names: labels of letters, digits and inner hyphens.
        {"web-01.example.org", "\\\\web-01.example.org"}, {"fileserver-number-0002", "\\\\fileserver-number-0002"},
        {dns253, "\\\\" + dns253}, {dns253 + "b", std::nullopt}, {label63 + "a.org", std::nullopt},
        {"-web.example.org", std::nullopt}, {"web..example.org", std::nullopt},
        {"web_01.example.org", "\\\\web_01.example.org"}, {"web_01", "\\\\web_01"},
        // The root's trailing dot, on a short and on a long name alike.
        {"srv.corp.", "\\\\srv.corp"}, {"server1.corp.example.com.", "\\\\server1.corp.example.com"},
        // Internationalised: the ASCII form the resolver knows.
        {"b\xC3\xBCro.example.de", "\\\\xn--bro-hoa.example.de"}, {"\xC3\xA9.example.de", std::nullopt},
        {std::string(300, 'x'), std::nullopt},
        // Addresses.
        {"255.255.255.255", "\\\\255.255.255.255"}, {"256.1.1.1", std::nullopt}, {"1.2.3", std::nullopt},
        {"12345", std::nullopt}, {"::1", "\\\\::1"}, {"\\\\fe80::1:2", "\\\\fe80::1:2"},
        {"2001:db8:0:0:0:0:0:1", "\\\\2001:db8:0:0:0:0:0:1"}, {"::ffff:10.1.2.3", "\\\\::ffff:10.1.2.3"},
        {"1:2:3:4:5:6:7", std::nullopt}, {"1:2:3:4:5:6:7:8:9", std::nullopt}, {"1::2::3", std::nullopt},
        {"12345::1", std::nullopt}, {"fe80::1%3", std::nullopt}, {"g::1", std::nullopt}, {":::", std::nullopt},
    };
    // The system's conversion, for the one name the table converts.
    const AsciiNameOf ascii = [](const std::string& name) -> std::optional<std::string> {
        if (name == "b\xC3\xBCro.example.de") return "xn--bro-hoa.example.de";
        return std::nullopt;
    };
    for (const auto& [typed, expected] : cases) EXPECT_EQ(TypedComputer(typed, ascii), expected) << typed;
}

class ScriptedLogon : public LogonDialog {
public:
    LogonCredentials answer;
    std::string askedServer, offeredUser;
    LogonCredentials Ask(const std::string& server, const std::string& storedUser) override {
        askedServer = server;
        offeredUser = storedUser;
        return answer;
    }
};

TEST(Logon, OkConnectsAndKeepsTheUserName) {
    test::FakeNetworkPlatform net;
    TNTPrivilege holder(net);
    test::MemoryStore store;
    store.values["User"] = "old";
    ScriptedLogon dialog;
    dialog.answer = {"admin", "Secret"};
    Logon("\\\\SRV1", store, dialog, holder);
    EXPECT_EQ(dialog.askedServer, "\\\\SRV1");
    EXPECT_EQ(dialog.offeredUser, "old");
    EXPECT_EQ(store.values["User"], "admin");
    EXPECT_EQ(net.calls, Names{"add \\\\SRV1\\IPC$ admin Secret"});

    Logon("\\\\srv1", store, dialog, holder);
    EXPECT_EQ(net.calls.size(), 1u) << "the same computer in other letters: no new connection";
    EXPECT_EQ(holder.MachineName(), "\\\\SRV1");

    dialog.answer = {"ops", "pw"};
    Logon("\\\\SRV2", store, dialog, holder);
    EXPECT_EQ(net.calls, (Names{"add \\\\SRV1\\IPC$ admin Secret", "cancel \\\\SRV1\\IPC$", "add \\\\SRV2\\IPC$ ops pw"}));
}

TEST(Logon, CancelStoresNothingAndConnectsNothing) {
    test::FakeNetworkPlatform net;
    TNTPrivilege holder(net);
    test::MemoryStore store;
    ScriptedLogon dialog;
    dialog.answer = {"", ""};
    Logon("\\\\SRV1", store, dialog, holder);
    EXPECT_FALSE(store.Has("User"));
    EXPECT_TRUE(net.calls.empty());
    EXPECT_EQ(holder.MachineName(), "\\\\SRV1");

    dialog.answer = {"  ", "x"};
    Logon("\\\\SRV2", store, dialog, holder);
    EXPECT_FALSE(store.Has("User")) << "a blank user name is not kept";
}

}  // namespace
}  // namespace vigilor
