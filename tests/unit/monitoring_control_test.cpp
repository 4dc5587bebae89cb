#include <gtest/gtest.h>

#include <functional>

#include "monitor/monitoring_control.h"
#include "platform/app_error.h"

namespace vigilor {
namespace {

class FakeMonitoringHost : public MonitoringHost {
public:
    std::size_t rows = 1;
    bool notifyByMail = false;
    bool mailComplete = true;
    bool timerOn = false;
    bool controlsMonitoring = false;
    ActiveLight light = ActiveLight::alGreen;
    bool blinking = false;
    int passes = 0;
    // Runs inside the pass: what the user or a timer does while it waits.
    std::function<void()> duringPass;
    std::vector<std::string> errors;
    std::vector<std::string> timedPassErrors;
    std::vector<std::string> cleared;

    std::size_t MonitoredCount() override { return rows; }
    bool NotifyByMail() override { return notifyByMail; }
    bool MailSettingsComplete() override { return mailComplete; }
    void DisableEmail() override { notifyByMail = false; }
    void ShowError(const std::string& text) override { errors.push_back(text); }
    void SetLight(ActiveLight l, bool blink) override {
        light = l;
        blinking = blink;
    }
    void SetMonitoringControls(bool monitoring) override { controlsMonitoring = monitoring; }
    void SetMonitorTimer(bool on) override { timerOn = on; }
    void RunCheckPass(Attendance attendance) override {
        ++passes;
        attendances.push_back(attendance);
        if (duringPass) duringPass();
    }
    void ClearAlarms() override { cleared.push_back("alarms"); }
    void ClearAlertedList() override { cleared.push_back("alerted"); }
    void ReportTimedPassError(const std::string& text) override { timedPassErrors.push_back(text); }
    void RepeatClose() override { ++closesRepeated; }

    std::vector<Attendance> attendances;
    int closesRepeated = 0;
};

class MonitoringControlTest : public ::testing::Test {
protected:
    FakeMonitoringHost host;
    MonitoringControl control{host};
};

TEST_F(MonitoringControlTest, StartRefusesAnEmptyListAndIncompleteMailSettings) {
    host.rows = 0;
    control.Start();
    EXPECT_EQ(host.errors, std::vector<std::string>{"How can I start monitoring, when there are no services to monitor!"});
    host.rows = 2;
    host.notifyByMail = true;
    host.mailComplete = false;
    control.Start();
    EXPECT_EQ(host.errors.back(), "Missing e-mail parameters. Please use the settings button to update them.");
    EXPECT_FALSE(host.notifyByMail) << "mail switched off";
    EXPECT_FALSE(control.Monitoring());
    EXPECT_FALSE(host.timerOn);
    control.Start();
    EXPECT_TRUE(control.Monitoring()) << "the second Start goes on without mail";
}

TEST_F(MonitoringControlTest, StartAndStopSetLightTimerAndControls) {
    control.Start();
    EXPECT_TRUE(control.Monitoring());
    EXPECT_TRUE(host.timerOn);
    EXPECT_TRUE(host.controlsMonitoring);
    EXPECT_EQ(host.light, ActiveLight::alRed);
    EXPECT_TRUE(host.blinking);
    EXPECT_EQ(host.passes, 0) << "the first pass waits for the interval";
    control.Reset();
    EXPECT_TRUE(host.cleared.empty()) << "no reset while monitoring";
    control.Stop();
    EXPECT_FALSE(control.Monitoring());
    EXPECT_FALSE(host.timerOn);
    EXPECT_FALSE(host.controlsMonitoring);
    EXPECT_EQ(host.light, ActiveLight::alGreen);
    EXPECT_FALSE(host.blinking);
    control.Reset();
    EXPECT_EQ(host.cleared, (std::vector<std::string>{"alarms", "alerted"}));
}

TEST_F(MonitoringControlTest, ResetForgetsWhatThePassesRememberOfTheRows) {
    control.Memory().SeenWaiting("\\\\A", "Svc", 3);
    control.Memory().Restarted("\\\\A", "Svc", 100, 3600);
    control.Start();
    control.Reset();
    EXPECT_EQ(control.Memory().SeenWaiting("\\\\A", "Svc", 3), 2) << "not while monitoring";
    control.Stop();
    control.Reset();
    EXPECT_EQ(control.Memory().SeenWaiting("\\\\A", "Svc", 3), 1);
    EXPECT_EQ(control.Memory().Restarted("\\\\A", "Svc", 200, 3600), 1);
}

TEST_F(MonitoringControlTest, ForcedPassBlinksRedAndLeavesTheState) {
    bool blinkingDuringPass = false;
    host.duringPass = [&] { blinkingDuringPass = host.light == ActiveLight::alRed && host.blinking; };
    control.ForceCheck();
    EXPECT_EQ(host.passes, 1);
    EXPECT_TRUE(blinkingDuringPass);
    EXPECT_EQ(host.light, ActiveLight::alGreen);
    EXPECT_FALSE(host.blinking);
    EXPECT_FALSE(control.Monitoring());
    EXPECT_FALSE(host.timerOn);
}

TEST_F(MonitoringControlTest, OnePassAtATime) {
    control.Start();
    host.duringPass = [&] {
        EXPECT_TRUE(control.PassRunning());
        control.ForceCheck();
        control.TimerFired();
    };
    control.ForceCheck();
    EXPECT_EQ(host.passes, 1) << "neither F9 nor a timer tick starts a second pass";
    EXPECT_TRUE(host.timerOn) << "the skipped tick still arms the timer";
    control.TimerFired();
    EXPECT_EQ(host.passes, 2) << "the nested tick of this pass was skipped too";
    EXPECT_FALSE(control.PassRunning());
}

TEST_F(MonitoringControlTest, TimedPassRearmsUnlessStopWasPressedDuringIt) {
    control.Start();
    bool timerOffDuringPass = false;
    host.duringPass = [&] { timerOffDuringPass = !host.timerOn; };
    control.TimerFired();
    EXPECT_TRUE(timerOffDuringPass);
    EXPECT_TRUE(host.timerOn);
    host.duringPass = [&] { control.Stop(); };
    control.TimerFired();
    EXPECT_FALSE(host.timerOn) << "Stop wins";
    EXPECT_FALSE(control.Monitoring());
}

TEST_F(MonitoringControlTest, ATimedPassThatRaisesIsReportedAndMonitoringGoesOn) {
    control.Start();
    host.duringPass = [] { throw AppError("Unable to get ping handle"); };
    control.TimerFired();
    EXPECT_EQ(host.timedPassErrors, std::vector<std::string>{"Unable to get ping handle"});
    EXPECT_TRUE(host.errors.empty()) << "no modal box in a timed pass";
    EXPECT_TRUE(host.timerOn);
    EXPECT_TRUE(control.Monitoring());
    EXPECT_FALSE(control.PassRunning());
}

TEST_F(MonitoringControlTest, AForcedPassThatRaisesPassesTheErrorOn) {
    host.duringPass = [] { throw AppError("Stream write error"); };
    EXPECT_THROW(control.ForceCheck(), AppError);
    EXPECT_FALSE(control.PassRunning());
    host.duringPass = nullptr;
    control.ForceCheck();
    EXPECT_EQ(host.passes, 2);
}

TEST_F(MonitoringControlTest, TimedPassesAreUnattendedForcedOnesAttended) {
    control.Start();
    control.TimerFired();
    control.ForceCheck();
    EXPECT_EQ(host.attendances, (std::vector<Attendance>{Attendance::Unattended, Attendance::Attended}));
}

TEST_F(MonitoringControlTest, AfterAForcedPassTheLightShowsTheStateHoweverThePassEnded) {
    const struct {
        bool monitoring;
        bool raises;
        ActiveLight light;
        bool blinking;
    } cases[] = {
        {false, false, ActiveLight::alGreen, false},
        {false, true, ActiveLight::alGreen, false},
        {true, false, ActiveLight::alRed, true},
        {true, true, ActiveLight::alRed, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.monitoring ? "monitoring" : "idle") + (c.raises ? ", raising" : ""));
        FakeMonitoringHost h;
        MonitoringControl m(h);
        if (c.monitoring) m.Start();
        if (c.raises) h.duringPass = [] { throw AppError("Unable to get ping handle"); };
        try {
            m.ForceCheck();
        } catch (const AppError&) {
            EXPECT_TRUE(c.raises);
        }
        EXPECT_EQ(h.light, c.light);
        EXPECT_EQ(h.blinking, c.blinking);
    }
}

TEST_F(MonitoringControlTest, ACloseDuringAPassIsMadeAgainWhenThePassHasEnded) {
    EXPECT_FALSE(control.DeferClose()) << "between passes the window may close";
    const std::function<void()> passes[] = {
        [&] { control.ForceCheck(); },
        [&] { control.TimerFired(); },
        [&] { EXPECT_THROW(control.ForceCheck(), AppError); },
    };
    int expected = 0;
    for (const auto& pass : passes) {
        bool closeDeferred = false;
        int repeatedDuringPass = -1;
        host.duringPass = [&] {
            closeDeferred = control.DeferClose() && control.DeferClose();
            repeatedDuringPass = host.closesRepeated;
            if (&pass == &passes[2]) throw AppError("Stream write error");
        };
        pass();
        EXPECT_TRUE(closeDeferred);
        EXPECT_EQ(repeatedDuringPass, expected) << "not while the pass runs";
        EXPECT_EQ(host.closesRepeated, ++expected) << "once, after the pass";
    }
    EXPECT_FALSE(control.DeferClose());
}

}  // namespace
}  // namespace vigilor
