#include <gtest/gtest.h>

#include "config/machine_key_access.h"
#include "config/machine_key_win.h"
#include "config/registry_store_win.h"
#include "config/settings.h"
#include "config/settings_form.h"
#include "notify/smtp_security.h"
#include "platform/app_error.h"
#include "platform/system_info_win.h"
#include "tests/support/test_registry_key_win.h"

namespace vigilor {
namespace {

class RealHost : public SettingsHost {
public:
    std::string LocalComputerName() override { return vigilor::LocalComputerName(); }
    std::string CurrentUserName() override { return vigilor::CurrentUserName(); }
    bool DirectoryExists(const std::string& path) override { return vigilor::DirectoryExists(path); }
    bool Attended() override { return true; }
    void ShowError(const std::string& text) override { errors.push_back(text); }
    void ReportUnattended(const std::string& text) override { errors.push_back(text); }
    std::vector<std::string> errors;
};

class RegistryStoreTest : public ::testing::Test {
protected:
    test::TestRegistryKey key{::testing::UnitTest::GetInstance()->current_test_info()->name()};

    ProgramSettings Load(MonitoredList& list) {
        RegistryStore raw(key.Path());
        SettingsStore store(raw);
        ProgramSettings settings;
        LoadSettings(store, host, settings, list);
        return settings;
    }
    RealHost host;
};

TEST_F(RegistryStoreTest, MissingKeyGivesDefaultsAndIsNotCreated) {
    MonitoredList list;
    const ProgramSettings s = Load(list);
    EXPECT_EQ(s.selectedComputer, "\\\\" + LocalComputerName());
    EXPECT_EQ(s.notifyLogin, CurrentUserName());
    EXPECT_FALSE(s.notifyLogin.empty());
    EXPECT_EQ(s.scanInterval, 1);
    EXPECT_EQ(list.Count(), 0u);
    EXPECT_FALSE(key.Exists()) << "reading must not create the key";
}

TEST_F(RegistryStoreTest, WriteAndReadBackWithFoldedNames) {
    {
        RegistryStore store(key.Path());
        store.Write("EMail3", "Yes");
        store.Write("EMailCc", "cc@example.com");
        store.Write("Unicode", "Dienst \xC3\xBC\xE2\x82\xAC");
    }
    RegistryStore store(key.Path());
    EXPECT_EQ(store.Read("Email3"), "Yes");
    EXPECT_EQ(store.Read("EMailcc"), "cc@example.com");
    EXPECT_EQ(store.Read("UNICODE"), "Dienst \xC3\xBC\xE2\x82\xAC");
    EXPECT_EQ(store.Read("Nothing"), std::nullopt);
    store.Remove("email3");
    store.Remove("never-there");
    EXPECT_EQ(store.Read("EMail3"), std::nullopt);
}

TEST_F(RegistryStoreTest, ValuesOfOtherTypesReadAsMissing) {
    const DWORD number = 5;
    key.SetRaw("ScanInterval", REG_DWORD, &number, sizeof number);
    key.SetRaw("ComputerName", REG_BINARY, "\x01\x02", 2);
    const wchar_t multi[] = L"a\0b\0";
    key.SetRaw("MacMonitor0", REG_MULTI_SZ, multi, sizeof multi);
    key.SetText("SvcMonitor0", "Orphan");
    MonitoredList list;
    const ProgramSettings s = Load(list);
    EXPECT_EQ(s.scanInterval, 1);
    EXPECT_EQ(s.selectedComputer, "\\\\" + LocalComputerName());
    EXPECT_EQ(list.Count(), 0u);
}

TEST_F(RegistryStoreTest, AMailSecurityThatIsNoTextIsRefusedAndKept) {
    const DWORD tls = 2;
    key.SetRaw("EMailSMTPSecurity", REG_DWORD, &tls, sizeof tls);
    RegistryStore raw(key.Path());
    const SmtpSecurityChoice security = ReadSmtpSecurity(raw);
    EXPECT_FALSE(security.Known()) << "never taken for None, which would send in plain text";
    EXPECT_THROW(security.ToConnect(), AppError);
    SettingsStore store(raw);
    ProgramSettings memory;
    WriteSettingsForm(store, ReadSettingsForm(store, "alice", memory), memory);
    EXPECT_TRUE(raw.Exists("EMailSMTPSecurity"));
    EXPECT_EQ(raw.Read("EMailSMTPSecurity"), std::nullopt) << "Apply leaves the number as it is";
}

TEST_F(RegistryStoreTest, OddTextsNeverStopTheLoad) {
    key.SetText("ScanInterval", "abc");
    key.SetText("colWidth0", "");
    key.SetText("colWidth1", std::string(100000, '9'));
    key.SetText("MacMonitor0", std::string(300000, 'H'));
    key.SetText("SvcMonitor0", "");
    key.SetRaw("MacMonitor1", REG_SZ, L"\\\\NOEND", 14);  // no terminating NUL
    key.SetRaw("SvcMonitor1", REG_SZ, L"Spooler\0junk", 26);
    key.SetRaw("NotifybyMail", REG_SZ, nullptr, 0);
    MonitoredList list;
    const ProgramSettings s = Load(list);
    EXPECT_EQ(s.scanInterval, 1);
    EXPECT_EQ(s.columnWidths[0], 86);
    EXPECT_EQ(s.columnWidths[1], 152);
    EXPECT_TRUE(s.notifyByMail);
    ASSERT_EQ(list.Count(), 2u);
    EXPECT_EQ(list.At(0).server, "\\\\NOEND");
    EXPECT_EQ(list.At(0).service, "Spooler");
    EXPECT_EQ(list.At(1).server.size(), 300000u);
}

TEST_F(RegistryStoreTest, SaveThenLoadKeepsTheListAndSettings) {
    MonitoredList list;
    list.AppendUnsorted("\\\\B\tTwo\tYes\tNo");
    list.AppendUnsorted("\\\\A\tOne\tNo\tYes");
    ProgramSettings s;
    s.selectedComputer = "\\\\B";
    s.scanInterval = 7;
    s.notifyLogin = "watcher";
    // The dialog's to write; a save leaves them.
    key.SetText("MetricsOutputEnabled", "1");
    key.SetText("MetricsOutput", "C:\\textfile_inputs\\vigilor.prom");
    {
        RegistryStore raw(key.Path());
        SettingsStore store(raw);
        SaveSettings(store, s, list);
    }
    MonitoredList loaded;
    const ProgramSettings back = Load(loaded);
    EXPECT_TRUE(back.metricsOutputEnabled);
    EXPECT_EQ(back.metricsOutput, "C:\\textfile_inputs\\vigilor.prom");
    EXPECT_EQ(back.selectedComputer, "\\\\B");
    EXPECT_EQ(back.scanInterval, 7);
    EXPECT_EQ(back.notifyLogin, "watcher");
    ASSERT_EQ(loaded.Count(), 2u);
    EXPECT_EQ(loaded.Rows()[0], "\\\\A\tOne\tNo\tYes");
    EXPECT_EQ(loaded.Rows()[1], "\\\\B\tTwo\tYes\tNo");
}

TEST_F(RegistryStoreTest, HtmlFolderCheckUsesTheRealFileSystem) {
    key.SetText("HTMLOutputEnabled", "1");
    key.SetText("HTMLOutput", "C:\\windows\\status.html");
    MonitoredList list;
    EXPECT_TRUE(Load(list).htmlOutputEnabled);
    EXPECT_TRUE(host.errors.empty());
    key.SetText("HTMLOutput", "C:\\no such folder\\status.html");
    EXPECT_FALSE(Load(list).htmlOutputEnabled);
    ASSERT_EQ(host.errors.size(), 1u);
    RegistryStore raw(key.Path());
    EXPECT_EQ(raw.Read("HTMLOutputEnabled"), "0");
    EXPECT_EQ(raw.Read("HTMLOutput"), "");
}

}  // namespace
}  // namespace vigilor

namespace vigilor {
namespace {

// Wine keeps a key's access list only while its server runs and enforces
// none of it: what it holds is read back in the same run.
TEST(MachineKey, ItsAccessListLetsOnlySystemAndTheAdministratorsIn) {
    RestrictMachineKey();
    const std::string now = MachineKeyAccessListNow();
    EXPECT_TRUE(OnlySystemAndAdministrators(now)) << now;
    EXPECT_FALSE(RestrictMachineKey()) << "once set, left as it is";
}

TEST(MachineKey, NumbersReadAsTextWhetherTextOrDword) {
    const std::string path = std::string(kMachineKeyPath) + "Test";
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    const DWORD seven = 7;
    RegSetValueExA(key, "ScanInterval", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&seven), sizeof seven);
    RegSetValueExA(key, "NotifybyMail", 0, REG_SZ, reinterpret_cast<const BYTE*>("0"), 2);
    RegCloseKey(key);
    RegistryStore machine(path, HKEY_LOCAL_MACHINE, RegistryStore::Numbers::AsText);
    EXPECT_EQ(machine.Read("ScanInterval"), "7");
    EXPECT_EQ(machine.Read("NotifybyMail"), "0");
    RegistryStore user(path, HKEY_LOCAL_MACHINE);
    EXPECT_EQ(user.Read("ScanInterval"), std::nullopt) << "the user's key keeps reading numbers as missing";
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, path.c_str());
}

}  // namespace
}  // namespace vigilor
