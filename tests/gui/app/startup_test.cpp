// A start-up whose main window cannot be made ends the run at once, with
// the reason shown, instead of running on hidden.
#include <gtest/gtest.h>

#include "app/application_win.h"
#include "platform/app_error.h"
#include "platform/report_error_win.h"
#include "tests/support/scripted_dialogs.h"

namespace vigilor {
namespace {

class RefusingStore : public KeyValueStore {
public:
    std::optional<std::string> Read(const std::string& name) override {
        throw AppError("Invalid data type for '" + name + "'");
    }
    void Write(const std::string& name, const std::string&) override {
        throw AppError("Failed to set data for '" + name + "'");
    }
    void Remove(const std::string&) override {}
    std::vector<std::string> Names() override { return {}; }
};

TEST(StartUp, AMainWindowThatCannotBeMadeIsReportedAndEndsTheRun) {
    test::ScriptedDialogs dialogs;
    SetErrorDialogs(&dialogs);
    MainFormSystem system;
    bool created = false;
    const int result = RunMainWindow({dialogs, system, [] { return std::make_unique<RefusingStore>(); }, "1.0", {}},
                                     [&](HWND) { created = true; });
    SetErrorDialogs(nullptr);
    EXPECT_EQ(result, 1);
    EXPECT_FALSE(created);
    ASSERT_EQ(dialogs.shown.size(), 1u);
    EXPECT_EQ(dialogs.shown[0].text.rfind("Invalid data type for '", 0), 0u) << dialogs.shown[0].text;
}

}  // namespace
}  // namespace vigilor
