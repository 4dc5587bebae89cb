#include <gtest/gtest.h>

#include "services/service_session.h"
#include "tests/unit/fake_service_platform.h"

namespace vigilor {
namespace {

class ServiceSessionTest : public ::testing::Test {
protected:
    test::FakeServicePlatform manager;
    void TearDown() override { EXPECT_TRUE(manager.OpenHandles().empty()) << "every handle closed"; }
};

TEST_F(ServiceSessionTest, OneManagerPerComputerAndOneServiceHandlePerRow) {
    manager.AddService("A", "Alpha", 4);
    manager.AddService("B", "Bravo", 1);
    {
        ServiceSession session(manager);
        for (const char* machine : {"\\\\ONE", "\\\\TWO", "\\\\ONE"}) {
            EXPECT_EQ(session.KeyName(machine, "Alpha"), "A");
            EXPECT_TRUE(session.IsRunning(machine, "A"));
            EXPECT_FALSE(session.IsStopped(machine, "A"));
            EXPECT_EQ(session.KeyName(machine, "Bravo"), "B");
            EXPECT_FALSE(session.IsRunning(machine, "B"));
            EXPECT_TRUE(session.IsStopped(machine, "B"));
        }
        EXPECT_EQ(session.KeyName("\\\\ONE", "Nothing"), "");
        EXPECT_EQ(session.CurrentState("\\\\ONE", "Missing"), -1);
        ASSERT_EQ(manager.managerCalls.size(), 2u);
        EXPECT_EQ(manager.managerCalls[0].machine, "\\\\ONE");
        EXPECT_EQ(manager.managerCalls[1].machine, "\\\\TWO");
        EXPECT_EQ(manager.serviceOpens.size(), 7u) << "one open a row, both queries on it, and the missing one";
        EXPECT_EQ(manager.statusQueries, 12);
        EXPECT_EQ(manager.serviceOpens[0].second, 0x0004u);
    }
    EXPECT_EQ(manager.closes, 2 + 6) << "managers and service handles closed when the session ends";
}

TEST_F(ServiceSessionTest, TheLocalComputerForABlankMachine) {
    manager.AddService("A", "Alpha", 4);
    ServiceSession session(manager);
    EXPECT_TRUE(session.IsRunning("  ", "A"));
    EXPECT_EQ(manager.managerCalls.back().machine, std::nullopt);
}

TEST_F(ServiceSessionTest, StartOpensAHandleWithTheRightToStartOnTheKeptManager) {
    manager.AddService("B", "Bravo", 1).statuses = {ServiceStatusRecord{0x10, 1}, ServiceStatusRecord{0x10, 2, 0, 0, 0, 1, 500},
                                                    ServiceStatusRecord{0x10, 4}};
    ServiceSession session(manager);
    EXPECT_TRUE(session.IsStopped("\\\\ONE", "B"));
    EXPECT_TRUE(session.StartAndWait("\\\\ONE", "B"));
    EXPECT_EQ(manager.starts, 1);
    EXPECT_EQ(manager.managerCalls.size(), 1u);
    EXPECT_EQ(manager.serviceOpens.back().second, 0x0014u);
    EXPECT_EQ(manager.waits, std::vector<std::uint32_t>{500});
    EXPECT_TRUE(session.IsRunning("\\\\ONE", "B"));
    manager.AddService("C", "Charlie", 1).startError = 1058;
    EXPECT_FALSE(session.StartAndWait("\\\\ONE", "C"));
}

TEST_F(ServiceSessionTest, ALostConnectionIsOpenedAfreshOnce) {
    manager.AddService("A", "Alpha", 4);
    ServiceSession session(manager);
    EXPECT_TRUE(session.IsRunning("\\\\ONE", "A"));

    manager.DropConnections();
    EXPECT_FALSE(session.IsStopped("\\\\ONE", "A")) << "the state is read again over a new connection";
    EXPECT_TRUE(session.IsRunning("\\\\ONE", "A"));
    EXPECT_EQ(manager.managerCalls.size(), 2u);

    manager.DropConnections();
    EXPECT_EQ(session.KeyName("\\\\ONE", "Alpha"), "A");
    EXPECT_EQ(manager.managerCalls.size(), 3u);

    manager.DropConnections();
    EXPECT_TRUE(session.StartAndWait("\\\\ONE", "A"));
    EXPECT_EQ(manager.managerCalls.size(), 4u) << "the start handle too comes from a new connection";
    EXPECT_EQ(manager.starts, 1);
}

TEST_F(ServiceSessionTest, OtherFailuresAndFreshManagersAreNotRetried) {
    manager.AddService("A", "Alpha", 4);
    ServiceSession session(manager);
    EXPECT_EQ(session.KeyName("\\\\ONE", "Nothing"), "");
    EXPECT_EQ(session.CurrentState("\\\\ONE", "Missing"), -1);
    EXPECT_EQ(manager.managerCalls.size(), 1u) << "1060 is an answer, not a lost connection";
    EXPECT_EQ(manager.keyNameLookups, 1);

    manager.openManagerError = 1722;
    EXPECT_EQ(session.CurrentState("\\\\GONE", "A"), -1);
    EXPECT_EQ(session.KeyName("\\\\GONE", "Alpha"), "");
    EXPECT_EQ(manager.managerCalls.size(), 3u) << "a computer that cannot be reached is asked once a call";
}

}  // namespace
}  // namespace vigilor
