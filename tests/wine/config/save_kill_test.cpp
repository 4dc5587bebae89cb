// A save of the monitored list killed at any moment leaves, at the next
// load, exactly the list before it or the list it was saving.
#include <gtest/gtest.h>

#include <windows.h>

#include <random>
#include <vector>

#include "config/registry_store_win.h"
#include "config/settings.h"
#include "platform/handles_win.h"
#include "platform/system_info_win.h"
#include "platform/wide_win.h"
#include "tests/support/test_registry_key_win.h"
#include "tests/wine/config/probe/save_lists.h"

namespace vigilor {
namespace {

class QuietHost : public SettingsHost {
public:
    std::string LocalComputerName() override { return "THISPC"; }
    std::string CurrentUserName() override { return "operator"; }
    bool DirectoryExists(const std::string&) override { return false; }
    bool Attended() override { return true; }
    void ShowError(const std::string&) override {}
    void ReportUnattended(const std::string&) override {}
};

std::wstring ProbePath() {
    wchar_t path[MAX_PATH];
    const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring program(path, length);
    return program.substr(0, program.find_last_of(L"\\/") + 1) + L"save_probe.exe";
}

// Starts the probe saving into the key and returns once it has begun.
KernelHandle StartSaving(const std::string& keyPath) {
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    HANDLE readEnd = nullptr, writeEnd = nullptr;
    EXPECT_TRUE(CreatePipe(&readEnd, &writeEnd, &inherit, 0));
    const KernelHandle reader(readEnd), writer(writeEnd);
    SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = writeEnd;
    startup.hStdError = writeEnd;
    std::wstring line = L"\"" + ProbePath() + L"\" \"" + Wide(keyPath) + L"\"";
    PROCESS_INFORMATION process{};
    EXPECT_TRUE(CreateProcessW(nullptr, line.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &process));
    CloseHandle(process.hThread);
    char word[8] = {};
    DWORD got = 0;
    ReadFile(readEnd, word, 6, &got, nullptr);  // "saving", or nothing if it died
    EXPECT_EQ(std::string(word, got), "saving");
    return KernelHandle(process.hProcess);
}

TEST(SaveKill, AKilledSaveLeavesTheOldListOrTheNew) {
    test::TestRegistryKey key("SaveKill");
    const std::vector<std::string> before = test::ListBeforeEdit().Rows();
    const std::vector<std::string> after = test::ListAfterEdit().Rows();
    std::mt19937 random(20261208);
    QuietHost host;
    int sawBefore = 0, sawAfter = 0;
    for (int kill = 0; kill < 200; ++kill) {
        const KernelHandle probe = StartSaving(key.Path());
        // A moment somewhere inside the run of saves.
        Sleep(std::uniform_int_distribution<DWORD>(0, 40)(random));
        ASSERT_TRUE(TerminateProcess(probe.Get(), 9));
        ASSERT_EQ(WaitForSingleObject(probe.Get(), 10000), WAIT_OBJECT_0);

        RegistryStore raw(key.Path());
        SettingsStore store(raw);
        ProgramSettings settings;
        MonitoredList list;
        LoadSettings(store, host, settings, list);
        const bool isBefore = list.Rows() == before;
        const bool isAfter = list.Rows() == after;
        ASSERT_TRUE(isBefore || isAfter) << "kill " << kill << ": " << list.Count() << " rows";
        sawBefore += isBefore;
        sawAfter += isAfter;
    }
    std::printf("200 kills: %d times the list before the edit, %d times the list after it\n", sawBefore, sawAfter);
    EXPECT_GT(sawBefore, 0);
    EXPECT_GT(sawAfter, 0);
}

}  // namespace
}  // namespace vigilor
