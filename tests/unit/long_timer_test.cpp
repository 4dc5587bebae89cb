#include <gtest/gtest.h>

#include "monitor/long_timer.h"
#include "platform/app_error.h"

namespace vigilor {
namespace {

struct FakeTimer : PeriodicTimer {
    bool Start(unsigned ms) override {
        ++starts;
        interval = ms;
        running = available;
        return available;
    }
    void Stop() override { running = false; }
    bool available = true;
    bool running = false;
    int starts = 0;
    unsigned interval = 0;
};

class LongTimerTest : public ::testing::Test {
protected:
    void Ticks(int n) {
        for (int i = 0; i < n; ++i) timer.Tick();
    }
    FakeTimer system;
    TLongTimer timer{system};
    int fired = 0;
};

TEST_F(LongTimerTest, ArmsOnlyWithHandlerEnabledAndMinutes) {
    EXPECT_FALSE(timer.Armed()) << "no handler yet";
    timer.SetOnTimer([this] { ++fired; });
    EXPECT_TRUE(timer.Armed());
    EXPECT_EQ(system.interval, 60000u);
    timer.SetMinutes(0);
    EXPECT_FALSE(timer.Armed());
    EXPECT_FALSE(system.running);
}

TEST_F(LongTimerTest, RunsTheHandlerEveryMinutesTicks) {
    timer.SetEnabled(false);
    timer.SetOnTimer([this] { ++fired; });
    timer.SetMinutes(5);
    Ticks(10);
    EXPECT_EQ(fired, 0) << "disabled";
    timer.SetEnabled(true);
    Ticks(4);
    EXPECT_EQ(fired, 0);
    Ticks(1);
    EXPECT_EQ(fired, 1);
    Ticks(5);
    EXPECT_EQ(fired, 2);
}

TEST_F(LongTimerTest, DisableAndEnableRestartTheCount) {
    timer.SetOnTimer([this] { ++fired; });
    timer.SetMinutes(5);
    Ticks(4);
    timer.SetEnabled(false);
    timer.SetEnabled(true);
    Ticks(4);
    EXPECT_EQ(fired, 0);
    Ticks(1);
    EXPECT_EQ(fired, 1);
}

TEST_F(LongTimerTest, SettingTheSameValueDoesNothing) {
    timer.SetOnTimer([this] { ++fired; });
    timer.SetMinutes(3);
    Ticks(2);
    const int starts = system.starts;
    timer.SetMinutes(3);
    timer.SetEnabled(true);
    EXPECT_EQ(system.starts, starts);
    Ticks(1);
    EXPECT_EQ(fired, 1) << "the count went on";
}

TEST_F(LongTimerTest, NoSystemTimerRaises) {
    system.available = false;
    try {
        timer.SetOnTimer([this] { ++fired; });
        FAIL() << "no error";
    } catch (const AppError& e) {
        EXPECT_STREQ(e.what(), "<TLongTimer> Could not allocate a new timer!");
    }
    EXPECT_FALSE(timer.Armed());
}

TEST_F(LongTimerTest, AHandlerErrorLeavesTheTimerRunning) {
    timer.SetOnTimer([this] {
        ++fired;
        throw AppError("pass failed");
    });
    EXPECT_THROW(timer.Tick(), AppError);
    EXPECT_TRUE(timer.Armed());
    EXPECT_TRUE(system.running);
    EXPECT_THROW(timer.Tick(), AppError);
    EXPECT_EQ(fired, 2);
}

}  // namespace
}  // namespace vigilor
