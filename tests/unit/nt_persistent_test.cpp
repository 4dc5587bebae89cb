#include <gtest/gtest.h>

#include "net/network_error_text.h"
#include "net/nt_persistent.h"
#include "platform/app_error.h"
#include "tests/unit/fake_network_platform.h"

namespace vigilor {
namespace {

class ConnectionTest : public ::testing::Test {
protected:
    test::FakeNetworkPlatform network;
    TNTPersistent component{network};
};

TEST_F(ConnectionTest, WithoutCredentialsNothingIsOpenedOrCancelled) {
    component.SetMachineName("\\\\REMOTE");
    component.SetMachineName("\\\\OTHER");
    EXPECT_TRUE(network.calls.empty());
    EXPECT_EQ(component.MachineName(), "\\\\OTHER");
}

TEST_F(ConnectionTest, EitherUserNameOrPasswordIsEnough) {
    component.LogonAs().UserName = "admin";
    component.SetMachineName("\\\\REMOTE");
    component.LogonAs() = {"", " secret "};
    component.SetMachineName("\\\\OTHER");
    const std::vector<std::string> expected{"add \\\\REMOTE\\IPC$ admin ", "cancel \\\\REMOTE\\IPC$",
                                            "add \\\\OTHER\\IPC$   secret "};
    EXPECT_EQ(network.calls, expected);
}

TEST_F(ConnectionTest, BlankCredentialsAndBlankOrLocalNamesNeedNoConnection) {
    component.LogonAs() = {"  ", "\t"};
    component.SetMachineName("\\\\REMOTE");
    EXPECT_FALSE(component.NeedsConnection());
    component.LogonAs() = {"admin", ""};
    component.SetMachineName("   ");
    EXPECT_FALSE(component.NeedsConnection());
    // The local name carries no backslashes: only the bare name matches it.
    component.SetMachineName(" THISPC ");
    EXPECT_FALSE(component.NeedsConnection());
    component.SetMachineName("\\\\THISPC");
    EXPECT_TRUE(component.NeedsConnection());
    component.SetMachineName("thispc");
    EXPECT_TRUE(component.NeedsConnection()) << "the comparison is case-sensitive";
}

TEST_F(ConnectionTest, SameNameAgainChangesNothing) {
    component.LogonAs().Password = "pw";
    component.SetMachineName("\\\\REMOTE");
    network.calls.clear();
    component.SetMachineName("\\\\REMOTE");
    EXPECT_TRUE(network.calls.empty());
    component.SetMachineName("\\\\remote");
    EXPECT_EQ(network.calls.size(), 2u) << "a name differing in case is another name";
}

TEST_F(ConnectionTest, CredentialConflictCancelsAndRetriesOnce) {
    component.LogonAs() = {"admin", "pw"};
    network.addResults = {1219, 1219};
    component.SetMachineName("\\\\REMOTE");
    const std::vector<std::string> expected{"add \\\\REMOTE\\IPC$ admin pw", "cancel \\\\REMOTE\\IPC$",
                                            "add \\\\REMOTE\\IPC$ admin pw"};
    EXPECT_EQ(network.calls, expected);
}

TEST_F(ConnectionTest, OtherFailuresAreNotRetried) {
    component.LogonAs() = {"admin", "pw"};
    network.addResults = {53};
    component.SetMachineName("\\\\REMOTE");
    EXPECT_EQ(network.calls.size(), 1u);
}

TEST_F(ConnectionTest, DisconnectUsesTheCredentialsHeldAtThatMoment) {
    component.LogonAs() = {"admin", "pw"};
    component.SetMachineName("\\\\OLD");
    component.LogonAs() = {"", ""};
    network.calls.clear();
    component.SetMachineName("\\\\NEW");
    EXPECT_TRUE(network.calls.empty()) << "the old connection stays when the new credentials are empty";
}

TEST_F(ConnectionTest, LocalNameFailureRaisesTheSystemText) {
    network.computerName.reset();
    network.lastError = 8;
    try {
        component.LocalComputerName();
        FAIL() << "no error raised";
    } catch (const AppError& e) {
        EXPECT_STREQ(e.what(), "8: system text 8");
    }
}

TEST_F(ConnectionTest, ServerListJoinsEveryRoundInOrder) {
    network.rounds = {{{234, {"ALPHA", "BRAVO"}}, 5}, {{234, {"CHARLIE"}}, 9}, {{0, {"DELTA"}}, 0}};
    const std::vector<std::string> expected{"\\\\ALPHA", "\\\\BRAVO", "\\\\CHARLIE", "\\\\DELTA"};
    EXPECT_EQ(component.ServerList(""), expected);
    EXPECT_EQ(network.resumesSeen, (std::vector<unsigned long>{0, 5, 9}));
}

TEST_F(ConnectionTest, ServerListStopsAtARoundWithoutEntries) {
    network.rounds = {{{234, {"ALPHA"}}, 5}, {{234, {}}, 6}, {{0, {"NEVER"}}, 0}};
    EXPECT_EQ(component.ServerList(""), std::vector<std::string>{"\\\\ALPHA"});
    EXPECT_EQ(network.resumesSeen.size(), 2u);
}

TEST_F(ConnectionTest, ABrowserThatNeverEndsItsListIsGivenUp) {
    network.browseNeverEnds = true;
    EXPECT_THROW(
        {
            try {
                component.ServerList("");
            } catch (const AppError& e) {
                EXPECT_STREQ(e.what(), "The network's computer list does not end");
                throw;
            }
        },
        AppError);
    EXPECT_EQ(network.resumesSeen.size(), 1024u);
}

TEST_F(ConnectionTest, ServerListErrorsCarryTheNetworkText) {
    network.rounds = {{{2102, {}}, 0}};
    try {
        component.ServerList("");
        FAIL() << "no error raised";
    } catch (const AppError& e) {
        EXPECT_STREQ(e.what(), "2102:  The workstation driver is not installed.");
    }
    network.rounds = {{{6118, {}}, 0}};
    EXPECT_THROW(component.ServerList(""), AppError);
}

TEST(NetworkErrorText, TableTextsLowCodesAndUnknownCodes) {
    test::FakeNetworkPlatform system;
    EXPECT_EQ(NetworkErrorText(system, 2102), "2102:  The workstation driver is not installed.");
    EXPECT_EQ(NetworkErrorText(system, 2101), "2101: Unknown error");
    EXPECT_EQ(NetworkErrorText(system, 2100), "2100: Unknown error");
    EXPECT_EQ(NetworkErrorText(system, 2691), "2691: Unknown error");
    EXPECT_EQ(NetworkErrorText(system, 6118),
              "6118:  The list of servers for this workgroup is not currently available")
        << "the browse list's usual answer today";
    EXPECT_EQ(NetworkErrorText(system, 6117), "6117: Unknown error");
    EXPECT_EQ(NetworkErrorText(system, 2099), "2099: system text 2099");
    EXPECT_EQ(NetworkErrorText(system, 53), "53: system text 53");
    EXPECT_EQ(NetworkErrorText(system, 2690), "2690:  DFS internal error");
}

TEST(NetworkErrorText, EveryTableTextHasOneLeadingBlank) {
    EXPECT_EQ(NetworkMessageTableSize(), 298u);
    size_t found = 0;
    for (unsigned long code = 2100; code <= 6200; ++code) {
        const auto text = NetworkMessageTableText(code);
        if (!text) continue;
        ++found;
        ASSERT_GE(text->size(), 2u) << code;
        EXPECT_EQ((*text)[0], ' ') << code;
        EXPECT_NE((*text)[1], ' ') << code;
    }
    EXPECT_EQ(found, NetworkMessageTableSize());
    EXPECT_EQ(NetworkMessageTableText(2377), " Log file %1 is full.");
}

}  // namespace
}  // namespace vigilor
