// The passes through the real main window whose metrics files the
// monitoring stack tests (metrics_stack_test.py, alerting_stack_test.py)
// hand to promtool, node_exporter, Prometheus and Alertmanager, and read
// back from there. The script names the file, the computers and the
// services in the environment.
#include <gtest/gtest.h>

#include <windows.h>

#include <chrono>
#include <cstdlib>
#include <thread>

#include "resources/resource_ids.h"
#include "tests/support/form_fixture_win.h"
#include "tests/support/test_service_win.h"
#include "tests/support/wine_paths.h"

namespace vigilor {
namespace {

constexpr const char* kLoopback = "\\\\127.0.0.1";

std::string Given(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
}

// The file's last write time; 0 when it is not there.
ULONGLONG WriteTime(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) return 0;
    return (ULONGLONG{data.ftLastWriteTime.dwHighDateTime} << 32) | data.ftLastWriteTime.dwLowDateTime;
}

class MetricsPass : public test::FormFixture {
protected:
    void SetUp() override {
        file_ = test::WinePath(Given("VIGILOR_METRICS_FILE"));
        ASSERT_NE(file_, "Z:") << "run by metrics_stack_test.py, which names the file";
        key.SetText("MetricsOutputEnabled", "1");
        key.SetText("MetricsOutput", file_);
        key.SetText("NotifybyMail", "0");
        key.SetText("ScreenNotify", "0");
    }

    void Monitor(const std::string& machine, const std::string& service) {
        const std::string n = std::to_string(rows_++);
        key.SetText("MacMonitor" + n, machine);
        key.SetText("SvcMonitor" + n, service);
        key.SetText("Autorestart" + n, "No");
        key.SetText("Email" + n, "No");
    }

    // Forces one pass and waits, handling the window's messages, until it
    // has written its file. A file of an earlier pass stays in place until
    // then, as the monitoring stack would see it.
    void ForcedPassWritesTheFile() {
        const ULONGLONG before = WriteTime(file_);
        ForcedPass();
        ASSERT_NE(WriteTime(file_), before) << "no metrics file written: " << file_ << "\n" << form->MemoText();
    }

private:
    std::string file_;
    int rows_ = 0;
};

TEST_F(MetricsPass, RunningAndStopped) {
    test::InstalledTestService running("run", SERVICE_DEMAND_START, Given("VIGILOR_METRICS_RUNNING"));
    test::InstalledTestService stopped("run", SERVICE_DEMAND_START, Given("VIGILOR_METRICS_STOPPED"));
    ASSERT_TRUE(running.StartAndWaitFor(SERVICE_RUNNING));
    Monitor(kLoopback, running.DisplayName());
    Monitor(kLoopback, stopped.DisplayName());
    Open();
    ForcedPassWritesTheFile();
}

// Three rows, in the list's order (by computer): one on the near end of the
// silent host's link, one on the silent host, one on the loopback.
TEST_F(MetricsPass, EndingAtASilentComputer) {
    test::InstalledTestService before("run", SERVICE_DEMAND_START, Given("VIGILOR_METRICS_BEFORE"));
    test::InstalledTestService after("run", SERVICE_DEMAND_START, Given("VIGILOR_METRICS_AFTER"));
    ASSERT_TRUE(before.StartAndWaitFor(SERVICE_RUNNING));
    Monitor(Given("VIGILOR_METRICS_NEAR"), before.DisplayName());
    Monitor(Given("VIGILOR_METRICS_SILENT"), "Anything");
    Monitor(kLoopback, after.DisplayName());
    TMainForm& f = Open();
    ASSERT_EQ(f.Monitored().At(1).server, Given("VIGILOR_METRICS_SILENT")) << "the silent computer is second";
    ForcedPassWritesTheFile();
}

// A stopped service; once the script has seen its alert arrive, as it says
// by making the file VIGILOR_METRICS_GO, the service runs again.
TEST_F(MetricsPass, StoppedThenRunningAgain) {
    test::InstalledTestService service("run", SERVICE_DEMAND_START, Given("VIGILOR_METRICS_STOPPED"));
    const std::string go = test::WinePath(Given("VIGILOR_METRICS_GO"));
    Monitor(kLoopback, service.DisplayName());
    Open();
    ForcedPassWritesTheFile();
    const auto told = [&] { return GetFileAttributesA(go.c_str()) != INVALID_FILE_ATTRIBUTES; };
    // The alert's way through the stack takes some seconds: up to 90.
    for (int wait = 0; wait < 3 && !told(); ++wait) PumpUntil(told);
    ASSERT_TRUE(told()) << "the script did not say that the alert arrived: " << go;
    ASSERT_TRUE(service.StartAndWaitFor(SERVICE_RUNNING));
    ForcedPassWritesTheFile();
}

}  // namespace
}  // namespace vigilor
