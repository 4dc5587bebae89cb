#include <gtest/gtest.h>

#include "tests/support/error_of.h"

#include "platform/app_error.h"
#include "services/service_browser.h"
#include "tests/unit/fake_network_platform.h"
#include "tests/unit/fake_service_platform.h"

namespace vigilor {
namespace {

using test::ErrorOf;

class ServiceBrowserTest : public ::testing::Test {
protected:
    ServiceBrowserTest() {
        manager.AddService("Spooler", "Print Spooler", 4);
        manager.AddService("Gone", "  Padded Name  ", 1).config.startType = 4;
        manager.AddService("Pausy", "Paused One", 7);
    }
    void TearDown() override {
        EXPECT_FALSE(service.ActiveManager()) << "closed between user actions";
        EXPECT_FALSE(service.ActiveService());
    }
    test::FakeServicePlatform manager;
    test::FakeNetworkPlatform network;
    TNTService service{manager, network};
    ServiceBrowser browser{service};
};

TEST_F(ServiceBrowserTest, OneEnumerationGivesRowsSnapshotAndLabel) {
    browser.Load("\\\\HOST");
    const std::vector<std::string> rows{"Spooler\tPrint Spooler\t Running", "Gone\t  Padded Name  \t Stopped",
                                        "Pausy\tPaused One\t Paused"};
    EXPECT_EQ(browser.Rows(), rows);
    EXPECT_EQ(browser.LabelText(), "ALL SERVICES ON  \\\\HOST  [3]");
    EXPECT_EQ(browser.KeyNameAt(2), "Pausy");
    ASSERT_EQ(manager.enumBufferSizes.size(), 1u) << "one enumeration per load";
    EXPECT_EQ(manager.managerCalls.back().machine, "\\\\HOST");
    EXPECT_EQ(manager.managerCalls.back().access, 0x0005u);
}

TEST_F(ServiceBrowserTest, ATabInsideADisplayNameShiftsNoField) {
    manager.AddService("Tabby", "With\ttab", 1);
    browser.Load("\\\\HOST");
    EXPECT_EQ(browser.Rows().back(), "Tabby\tWith tab\t Stopped");
}

TEST_F(ServiceBrowserTest, AFailedLoadLeavesNoRowsAndNoSnapshot) {
    browser.Load("\\\\HOST");
    manager.enumError = 5;
    EXPECT_EQ(ErrorOf([&] { browser.Load("\\\\HOST"); }), "5: message 5\r\n");
    EXPECT_TRUE(browser.Rows().empty());
    EXPECT_FALSE(browser.HasSnapshot());
    EXPECT_EQ(ErrorOf([&] { browser.KeyNameAt(-1); }), "List index out of bounds (-1)");
    EXPECT_EQ(ErrorOf([&] { browser.StartAt(0); }), "List index out of bounds (0)");
}

TEST_F(ServiceBrowserTest, AComputerWithoutServicesCountsZero) {
    manager.services.clear();
    manager.order.clear();
    browser.Load("\\\\EMPTY");
    EXPECT_TRUE(browser.Rows().empty());
    EXPECT_EQ(browser.LabelText(), "ALL SERVICES ON  \\\\EMPTY  [0]");
}

TEST(ServiceRowViewTest, CaptionsEnablingAndStatus) {
    const ServiceRowView running = ViewOfRow("Spooler\t Print Spooler \t Running", "\\\\HOST");
    EXPECT_EQ(running.startCaption, "Start Print Spooler");
    EXPECT_EQ(running.stopCaption, "Stop  Print Spooler");
    EXPECT_EQ(running.addCaption, "Add Print Spooler to Monitoring");
    EXPECT_FALSE(running.startEnabled);
    EXPECT_TRUE(running.stopEnabled);
    EXPECT_EQ(running.statusText, "Print Spooler on \\\\HOST");
    for (const char* state : {" Stopped", " Starting", " Paused", " Stopping", ""}) {
        const ServiceRowView other = ViewOfRow(std::string("K\tD\t") + state, "\\\\HOST");
        EXPECT_TRUE(other.startEnabled) << state;
        EXPECT_FALSE(other.stopEnabled) << state;
    }
    EXPECT_TRUE(ViewOfRow("K\tD\trunning  ", "").stopEnabled);
}

TEST_F(ServiceBrowserTest, DisabledTestReadsTheConfigurationWithQueryRightsOnly) {
    browser.Load("\\\\HOST");
    EXPECT_TRUE(browser.ServiceIsDisabled(1, "\\\\HOST"));
    EXPECT_EQ(manager.managerCalls.back().access, 0x0001u);
    EXPECT_EQ(manager.serviceOpens.back(), std::make_pair(std::string("Gone"), 0x0001u));
    EXPECT_FALSE(browser.ServiceIsDisabled(0, "\\\\HOST"));
    EXPECT_EQ(browser.DisabledText(1, "\\\\HOST"), "Gone on \\\\HOST is DISABLED and cannot be started!");
    EXPECT_EQ(ErrorOf([&] { browser.ServiceIsDisabled(-1, "\\\\HOST"); }), "List index out of bounds (-1)");
    EXPECT_TRUE(manager.serviceOpens.size() == 2u) << "no service opened for a missing row";
}

TEST_F(ServiceBrowserTest, StartAndStopUseTheSnapshotKeyAndCloseEverything) {
    browser.Load("\\\\HOST");
    browser.StartAt(2);
    EXPECT_EQ(manager.starts, 1);
    EXPECT_EQ(manager.serviceOpens.back(), std::make_pair(std::string("Pausy"), 0xF01FFu));
    browser.StopAt(0);
    EXPECT_EQ(manager.controls, std::vector<std::uint32_t>{1});
    EXPECT_EQ(manager.serviceOpens.back().first, "Spooler");
    EXPECT_TRUE(manager.OpenHandles().empty());
}

TEST_F(ServiceBrowserTest, FailedCommandsStillCloseAndRaiseTheManagersText) {
    browser.Load("\\\\HOST");
    manager.services["Pausy"].startError = 1056;
    EXPECT_EQ(ErrorOf([&] { browser.StartAt(2); }), "1056: message 1056\r\n");
    manager.controlError = 1062;
    EXPECT_EQ(ErrorOf([&] { browser.StopAt(1); }), "1062: message 1062\r\n");
    manager.queryConfigError = 5;
    EXPECT_EQ(ErrorOf([&] { browser.ServiceIsDisabled(0, "\\\\HOST"); }), "5: message 5\r\n");
    EXPECT_TRUE(manager.OpenHandles().empty());
}

}  // namespace
}  // namespace vigilor
