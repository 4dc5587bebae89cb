#include <gtest/gtest.h>

#include "services/service_session.h"
#include "services/service_utils.h"
#include "tests/unit/fake_service_platform.h"

namespace vigilor {
namespace {

ServiceStatusRecord State(std::uint32_t state, std::uint32_t checkPoint = 0, std::uint32_t waitHint = 0) {
    ServiceStatusRecord s;
    s.serviceType = 0x10;
    s.currentState = state;
    s.checkPoint = checkPoint;
    s.waitHint = waitHint;
    return s;
}

class ServiceUtilsTest : public ::testing::Test {
protected:
    test::FakeServicePlatform manager;
    void TearDown() override { EXPECT_TRUE(manager.OpenHandles().empty()) << "every handle closed"; }
};

TEST_F(ServiceUtilsTest, StateQueriesOpenWithTheNarrowestRights) {
    manager.AddService("Svc", "Service", 7);
    EXPECT_EQ(ServiceCurrentState(manager, "\\\\HOST", "Svc"), 7);
    EXPECT_EQ(manager.managerCalls.back().access, 0x0001u);
    EXPECT_EQ(manager.managerCalls.back().machine, "\\\\HOST");
    EXPECT_EQ(manager.serviceOpens.back().second, 0x0004u);
    ServiceCurrentState(manager, "", "Svc");
    EXPECT_EQ(manager.managerCalls.back().machine, std::nullopt);
}

TEST_F(ServiceUtilsTest, RunningAndStoppedAreBothFalseForEverythingElse) {
    for (std::uint32_t state = 1; state <= 7; ++state) {
        manager.AddService("S" + std::to_string(state), "", state);
        EXPECT_EQ(ServiceIsRunning(manager, "", "S" + std::to_string(state)), state == 4) << state;
        EXPECT_EQ(ServiceIsStopped(manager, "", "S" + std::to_string(state)), state == 1) << state;
    }
    EXPECT_EQ(ServiceCurrentState(manager, "", "Missing"), -1);
    EXPECT_FALSE(ServiceIsRunning(manager, "", "Missing"));
    EXPECT_FALSE(ServiceIsStopped(manager, "", "Missing"));
    manager.openManagerError = 1722;
    EXPECT_EQ(ServiceCurrentState(manager, "\\\\GONE", "S1"), -1);
    EXPECT_FALSE(ServiceIsRunning(manager, "\\\\GONE", "S4"));
    EXPECT_FALSE(ServiceIsStopped(manager, "\\\\GONE", "S1"));
    EXPECT_FALSE(ServiceStartAndWait(manager, "\\\\GONE", "S1"));
    EXPECT_EQ(ServiceKeyName(manager, "\\\\GONE", ""), "");
}

TEST_F(ServiceUtilsTest, KeyNameForADisplayName) {
    manager.AddService("Spooler", "Print Spooler");
    manager.AddService(std::string(256, 'k'), "Long");
    manager.AddService(std::string(255, 'k'), "Just fits");
    EXPECT_EQ(ServiceKeyName(manager, "", "Print Spooler"), "Spooler");
    EXPECT_EQ(ServiceKeyName(manager, "", "No such service"), "");
    EXPECT_EQ(ServiceKeyName(manager, "", "Long"), "") << "a key name over 255 characters counts as not found";
    EXPECT_EQ(ServiceKeyName(manager, "", "Just fits"), std::string(255, 'k'));
}

TEST_F(ServiceUtilsTest, StartAndWaitPollsAtTheClampedWaitHintUntilRunning) {
    auto& s = manager.AddService("Slow", "Slow");
    s.statuses = {State(2, 1, 20), State(2, 2, 3000), State(2, 3, 60000), State(4)};
    EXPECT_TRUE(ServiceStartAndWait(manager, "", "Slow"));
    EXPECT_EQ(manager.waits, (std::vector<std::uint32_t>{100, 3000, 10000}));
    EXPECT_EQ(manager.serviceOpens.back().second, 0x0014u);
}

TEST_F(ServiceUtilsTest, StartAndWaitIsFalseWhenTheStartIsRefused) {
    auto& running = manager.AddService("Running", "Running", 4);
    running.startError = 1056;
    auto& disabled = manager.AddService("Disabled", "Disabled");
    disabled.startError = 1058;
    EXPECT_FALSE(ServiceStartAndWait(manager, "", "Running"));
    EXPECT_FALSE(ServiceStartAndWait(manager, "", "Disabled"));
    EXPECT_FALSE(ServiceStartAndWait(manager, "", "Missing"));
    EXPECT_TRUE(manager.waits.empty());
}

TEST_F(ServiceUtilsTest, StartAndWaitIsFalseWhenTheServiceFallsBackToStopped) {
    auto& s = manager.AddService("Failing", "Failing");
    s.statuses = {State(2, 1, 500), State(1)};
    EXPECT_FALSE(ServiceStartAndWait(manager, "", "Failing"));
    EXPECT_EQ(manager.waits.size(), 1u);
}

TEST_F(ServiceUtilsTest, StartAndWaitGivesUpWhenTheCheckPointGoesDown) {
    auto& s = manager.AddService("Odd", "Odd");
    s.statuses = {State(2, 5, 100), State(2, 4, 100), State(4)};
    EXPECT_FALSE(ServiceStartAndWait(manager, "", "Odd"));
}

TEST_F(ServiceUtilsTest, RunningWithItsCheckPointResetCounts) {
    auto& s = manager.AddService("Quick", "Quick");
    s.statuses = {State(2, 9, 100), State(4, 0, 0)};
    EXPECT_TRUE(ServiceStartAndWait(manager, "", "Quick"));
}

TEST_F(ServiceUtilsTest, StartAndWaitIsBoundedForAServiceThatNeverFinishes) {
    auto& s = manager.AddService("Stuck", "Stuck");
    s.statuses = {State(2, 1, 0)};
    EXPECT_FALSE(ServiceStartAndWait(manager, "", "Stuck"));
    std::uint64_t waited = 0;
    for (std::uint32_t w : manager.waits) waited += w;
    EXPECT_EQ(waited, 120000u);
    manager.waits.clear();
    s.statuses = {State(2, 1, 7000)};
    EXPECT_FALSE(ServiceStartAndWait(manager, "", "Stuck", StartWaitLimits{100, 10000, 15000}));
    EXPECT_EQ(manager.waits, (std::vector<std::uint32_t>{7000, 7000, 1000}));
}

TEST_F(ServiceUtilsTest, StartAndWaitPassesItsPollsThroughTheHandedPause) {
    auto& s = manager.AddService("Slow", "Slow");
    s.statuses = {State(2, 1, 20), State(2, 2, 3000), State(4)};
    std::vector<std::uint32_t> paused;
    const PollPause pause = [&](std::uint32_t ms) {
        paused.push_back(ms);
        manager.clock += ms;
        return true;
    };
    ServiceSession session(manager, {}, pause);
    EXPECT_TRUE(session.StartAndWait("", "Slow"));
    EXPECT_EQ(paused, (std::vector<std::uint32_t>{100, 3000}));
    EXPECT_TRUE(manager.waits.empty()) << "the platform's own wait would block the window";

    s.statuses = {State(2, 1, 500), State(2, 2, 500), State(4)};
    paused.clear();
    const PollPause quitting = [&](std::uint32_t ms) {
        paused.push_back(ms);
        return false;
    };
    ServiceSession ending(manager, {}, quitting);
    EXPECT_FALSE(ending.StartAndWait("", "Slow")) << "a pause that gives up ends the wait";
    EXPECT_EQ(paused.size(), 1u);
}

}  // namespace
}  // namespace vigilor
