// The event log, program launch and the alert path over the real calls.
#include <gtest/gtest.h>

#include "tests/support/test_alert_host.h"

#include <filesystem>

#include "notify/app_launch_win.h"
#include "notify/email_alerts.h"
#include "notify/event_log_win.h"
#include "notify/notification_channels_win.h"
#include "platform/app_error.h"
#include "platform/handles_win.h"
#include "platform/wide_win.h"
#include "tests/support/event_log_tap_win.h"
#include "tests/support/wine_paths.h"

namespace vigilor {
namespace {

TEST(EventLog, WarningEntriesGoToTheLocalLogUnderTheProgramsSource) {
    TNTEventLog log;
    EXPECT_EQ(log.SourceName(), "Application");
    LogAppEvent(log, "The service \"Spooler\" on \\\\SRV1 was successsfully restarted !");
    EXPECT_EQ(log.SourceName(), "Vigilor");
    EXPECT_FALSE(log.Active()) << "closed again after the entry";
    LogAppEvent(log, "\\\\SRV1 has stopped responding!");
    EXPECT_FALSE(log.UserSid().empty()) << "the running user's identifier is found";
    const BYTE* first = log.UserSid().data();
    LogAppEvent(log, "again");
    EXPECT_EQ(log.UserSid().data(), first) << "looked up once";
}

// As an event viewer shows an entry: its text from the source's message
// file (the program file) with the entry's strings put in.
std::string Shown(const test::EventEntry& entry) {
    std::vector<std::wstring> strings;
    for (const std::string& text : entry.strings) strings.push_back(Wide(text));
    std::vector<DWORD_PTR> arguments;
    for (const std::wstring& text : strings) arguments.push_back(reinterpret_cast<DWORD_PTR>(text.c_str()));
    wchar_t* text = nullptr;
    const DWORD length = FormatMessageW(
        FORMAT_MESSAGE_FROM_HMODULE | FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_ARGUMENT_ARRAY,
        GetModuleHandleW(nullptr), entry.id, 0, reinterpret_cast<wchar_t*>(&text), 0,
        reinterpret_cast<va_list*>(arguments.data()));
    if (length == 0) return "no text for event " + std::to_string(entry.id) + ", error " + std::to_string(GetLastError());
    const std::string shown = Narrow(std::wstring(text, length));
    LocalFree(text);
    return shown;
}

// Every kind of entry: its identifier, its level, and its message from the
// table with its strings, which reads as the program's own text of it.
TEST(EventLog, EntriesReadInTheProgramsMessageTableAsTheirMessage) {
    const struct {
        AppEvent entry;
        DWORD id;
        WORD type;
        std::string shown;
    } cases[] = {
        {AlertEvent("\\\\SRV1 has stopped responding!"), 0, EVENTLOG_WARNING_TYPE, "\\\\SRV1 has stopped responding!"},
        {NotInstalledEvent("Gone 100%", "\\\\SRV1"), 100, EVENTLOG_ERROR_TYPE, "\"Gone 100%\" on \\\\SRV1 is not installed"},
        {UnreadableEvent("Spooler", "\\\\SRV1", "5: Access is denied."), 101, EVENTLOG_WARNING_TYPE,
         "Cannot read the state of \"Spooler\" on \\\\SRV1: 5: Access is denied."},
        {HungEvent("Spooler", "\\\\SRV1", "start pending", 3), 102, EVENTLOG_ERROR_TYPE,
         "\"Spooler\" on \\\\SRV1 has been start pending for 3 passes"},
        {KeepsStoppingEvent("Spooler", "\\\\SRV1", 3, 60), 103, EVENTLOG_WARNING_TYPE,
         "\"Spooler\" on \\\\SRV1 keeps stopping: restarted 3 times in 60 minutes"},
        {MessageNotShownEvent("No SMTP host defined! Please check your parameters."), 104, EVENTLOG_ERROR_TYPE,
         "No SMTP host defined! Please check your parameters."},
        {ScreenMessageNotShownEvent("", "%1 down"), 105, EVENTLOG_WARNING_TYPE,
         "The screen message for every session could not be shown: %1 down"},
        {MetricsNotWrittenEvent("C:\\m\\v.prom", "Access is denied."), 106, EVENTLOG_ERROR_TYPE,
         "The metrics file C:\\m\\v.prom was not written: Access is denied."},
        {ServiceStartedEvent("1.0.0.1"), 200, EVENTLOG_INFORMATION_TYPE, "The Vigilor service has started (version 1.0.0.1)"},
        {ServiceStoppedEvent(12), 201, EVENTLOG_INFORMATION_TYPE, "The Vigilor service has stopped after 12 check passes"},
        {MachineKeyRepairedEvent("HKEY_LOCAL_MACHINE\\SOFTWARE\\Vigilor1"), 202, EVENTLOG_WARNING_TYPE,
         "The access list of HKEY_LOCAL_MACHINE\\SOFTWARE\\Vigilor1 let others than SYSTEM and the Administrators "
         "in; it was set to those two only"},
    };
    test::EventLogTap tap;
    TNTEventLog log;
    for (const auto& c : cases) LogAppEvent(log, c.entry);
    ASSERT_EQ(tap.Entries().size(), std::size(cases));
    for (size_t i = 0; i < std::size(cases); ++i) {
        const test::EventEntry& entry = tap.Entries()[i];
        EXPECT_EQ(entry.source, "Vigilor");
        EXPECT_EQ(entry.id, cases[i].id) << cases[i].shown;
        EXPECT_EQ(entry.type, cases[i].type) << cases[i].shown;
        EXPECT_EQ(entry.category, 0) << cases[i].shown;
        EXPECT_EQ(Shown(entry), cases[i].shown);
        EXPECT_EQ(cases[i].entry.text, cases[i].shown) << "the memo's line is the entry's text";
    }
}

TEST(EventLog, EmptySourceIsRefused) {
    TNTEventLog log;
    log.SetSourceName("");
    try {
        log.ReportWarning("x");
        FAIL();
    } catch (const AppError& e) {
        EXPECT_STREQ(e.what(), "Unknown SourceName");
    }
    EXPECT_THROW(log.SetActive(true), AppError);
}

// A folder with the probe program under two names: "<dir>\Pager.exe" and
// "<dir>\Pager Kit\page.exe", so that splitting the path at its blank
// would start the wrong one.
class Launch : public ::testing::Test {
protected:
    void SetUp() override {
        wchar_t temp[MAX_PATH];
        GetTempPathW(MAX_PATH, temp);
        // Short: the shell takes no text longer than 79 characters.
        static int count = 0;
        root = std::filesystem::path(temp) /
               ("vgl-" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(++count));
        std::filesystem::remove_all(root);
        std::filesystem::create_directories(root / "Pager Kit");
        const char* build = std::getenv("VIGILOR_BUILD_DIR");
        ASSERT_TRUE(build);
        const std::filesystem::path probe = Wide(test::WinePath(std::string(build) + "/launch_probe.exe"));
        std::filesystem::copy_file(probe, root / "Pager.exe");
        std::filesystem::copy_file(probe, root / "Pager Kit" / "page.exe");
        log = (root / "launch.log").string();
        SetEnvironmentVariableW(L"VIGILOR_LAUNCH_LOG", Wide(log).c_str());
    }
    void TearDown() override {
        SetEnvironmentVariableW(L"VIGILOR_LAUNCH_LOG", nullptr);
        // A program the shell started works in its folder until it has
        // ended; the folder goes once it has.
        std::error_code error;
        for (int i = 0; i < 500 && (std::filesystem::remove_all(root, error), error); ++i) Sleep(10);
        EXPECT_FALSE(error) << error.message();
    }
    std::string Started() {
        std::wstring text;
        const std::string bytes = test::ReadWholeFile(log);
        text.assign(reinterpret_cast<const wchar_t*>(bytes.data()), bytes.size() / sizeof(wchar_t));
        return Narrow(text);
    }
    std::string PagePath() const { return Narrow((root / "Pager Kit" / "page.exe").wstring()); }

    std::filesystem::path root;
    std::string log;
};

TEST_F(Launch, RunAndWaitStartsTheNamedFileEvenWithBlanksAndReturnsItsExitCode) {
    const RunResult result = RunAndWait(PagePath(), 5);
    EXPECT_EQ(result.end, RunResult::End::Exited);
    EXPECT_EQ(result.exitCode, 7);
    EXPECT_TRUE(EqualsIgnoringAsciiCase(Started(), PagePath() + "\n")) << Started();
}

TEST_F(Launch, RunAndWaitLimits) {
    for (const std::string& line : {Narrow((root / "missing.exe").wstring()), std::string(600, 'a'), std::string()}) {
        const RunResult result = RunAndWait(line, 5);
        EXPECT_EQ(result.end, RunResult::End::NotStarted);
        EXPECT_EQ(result.exitCode, -1);
    }
    EXPECT_FALSE(test::FileThere(log));
}

TEST_F(Launch, RunAndWaitHandlesMessagesAndLeavesAProgramRunningAtItsBound) {
    const std::wstring name = L"vigilor-hold-" + std::to_wstring(GetCurrentProcessId());
    const KernelHandle release(CreateEventW(nullptr, TRUE, FALSE, name.c_str()));
    ASSERT_TRUE(release);
    SetEnvironmentVariableW(L"VIGILOR_LAUNCH_HOLD", name.c_str());
    static int ticks;
    ticks = 0;
    const UINT_PTR timer = SetTimer(nullptr, 0, 20, [](HWND, UINT, UINT_PTR, DWORD) { ++ticks; });
    const RunResult result = RunAndWait(PagePath(), 5, 1500);
    KillTimer(nullptr, timer);
    SetEnvironmentVariableW(L"VIGILOR_LAUNCH_HOLD", nullptr);
    EXPECT_EQ(result.end, RunResult::End::StillRunning);
    EXPECT_EQ(result.exitCode, -1);
    EXPECT_GT(ticks, 10) << "the thread's messages were handled while it waited";

    // Left running, the program goes on to its end once released.
    SetEvent(release.Get());
    for (int i = 0; i < 1000 && Started().find("released") == std::string::npos; ++i) Sleep(10);
    EXPECT_TRUE(EqualsIgnoringAsciiCase(Started(), PagePath() + "\nreleased\n")) << Started();
}

TEST_F(Launch, ShellLaunchStartsWithoutWaiting) {
    ShellLaunch(nullptr, PagePath(), "", Narrow((root / "Pager Kit").wstring()) + "\\", 5);
    ASSERT_TRUE(test::WaitForFile(log));
    // The probe may still be writing its line.
    for (int i = 0; i < 200 && Started().find('\n') == std::string::npos; ++i) Sleep(10);
    EXPECT_TRUE(EqualsIgnoringAsciiCase(Started(), PagePath() + "\n")) << Started();
}

TEST_F(Launch, ChannelsTellFilesFromFolders) {
    WindowsNotificationChannels channels(nullptr);
    EXPECT_TRUE(channels.FileExists(PagePath()));
    EXPECT_FALSE(channels.FileExists(Narrow((root / "Pager Kit").wstring())));
    EXPECT_FALSE(channels.FileExists(""));
    EXPECT_EQ(channels.RunAndWait(PagePath(), 5).exitCode, 7);
    const LocalTime now = channels.Now();
    EXPECT_GE(now.year, 2024);
}

// The alert path with notification off: a real event entry, then the
// chosen program, waited for, started from its path with a blank.

TEST_F(Launch, FailureAlertLogsAndLaunchesTheChosenProgramOnce) {
    test::TestAlertHost host;
    host.settings.notifyByMail = false;
    host.settings.launchAppActive = true;
    host.settings.execAndWait = true;
    host.settings.launchApp = PagePath();
    WindowsNotificationChannels channels(nullptr);
    TNMSMTP unused(nullptr);
    EmailAlerts alerts(host, channels, unused);
    alerts.SendFailureAlert("\\\\SRV1", "Spooler");
    alerts.SendFailureAlert("\\\\SRV1", "Spooler");
    EXPECT_TRUE(EqualsIgnoringAsciiCase(Started(), PagePath() + "\n")) << "launched once, and waited for";
    EXPECT_EQ(host.errors.size(), 2u) << "the validation's box each time";
    alerts.SendRestartNotice("\\\\SRV1", "Spooler");
    EXPECT_TRUE(EqualsIgnoringAsciiCase(Started(), PagePath() + "\n")) << "a restart notice launches nothing";
}

}  // namespace
}  // namespace vigilor
