#include <gtest/gtest.h>

#include <windows.h>

#include "platform/control_table_win.h"
#include "platform/message_boxes_win.h"
#include "tests/support/modal_driver_win.h"

namespace vigilor {
namespace {

// The real system message box, answered from inside its own loop.
TEST(RealMessageBox, QuestionBoxCarriesTextCaptionAndAnswer) {
    MessageBoxDialogs dialogs;
    std::string caption;
    BoxAnswer answer = BoxAnswer::Ok;
    const auto outcome = test::DriveModal(
        [&] {
            answer = dialogs.Show("Do you really want to shutdown Vigilor?", "Shutdown", BoxIcon::Question,
                                  BoxButtons::YesNo, true);
        },
        [&](HWND box) {
            caption = WindowText(box);
            test::ClickButton(box, IDYES);
        });
    EXPECT_TRUE(outcome.found);
    EXPECT_FALSE(outcome.timedOut);
    EXPECT_EQ(caption, "Shutdown");
    EXPECT_EQ(answer, BoxAnswer::Yes);
}

TEST(RealMessageBox, ErrorBoxStandsAloneWithOk) {
    MessageBoxDialogs dialogs;
    std::string text;
    const auto outcome = test::DriveModal(
        [&] { dialogs.Show("Missing e-mail parameters.", "Error", BoxIcon::Error, BoxButtons::Ok, false); },
        [&](HWND box) {
            text = test::DialogItemText(box, 0xFFFF);  // the box's text control
            EXPECT_EQ(GetWindow(box, GW_OWNER), nullptr);
            test::ClickButton(box, IDOK);
        });
    EXPECT_TRUE(outcome.found);
    EXPECT_EQ(text, "Missing e-mail parameters.");
}

}  // namespace
}  // namespace vigilor
