#pragma once
// A real main window on a registry key of its own, with scripted message
// boxes, for tests that drive it.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <set>
#include <string>

#include "app/main_form_win.h"
#include "services/service_platform_win.h"
#include "tests/support/scripted_dialogs.h"
#include "tests/support/test_registry_key_win.h"

namespace vigilor::test {

// Wine's service manager answers for any computer name; a computer named
// here answers as one that is switched off does on Windows (1722).
class ServicesWithUnreachableComputers : public Win32ServicePlatform {
public:
    ScHandle OpenManager(const std::optional<std::string>& machine, const std::optional<std::string>& database,
                         std::uint32_t access) override {
        if (machine && unreachable.count(*machine)) {
            SetLastError(RPC_S_SERVER_UNAVAILABLE);
            return nullptr;
        }
        return Win32ServicePlatform::OpenManager(machine, database, access);
    }
    std::set<std::string> unreachable;  // each "\\" + name
};

class TestSystem : public MainFormSystem {
public:
    ServicePlatform& Services() override { return services; }
    ServicesWithUnreachableComputers services;
    std::string DefaultPrinterName() override { return printer; }
    long long ShellOpen(HWND, const std::string& target) override {
        opened.push_back(target);
        return shellResult;
    }
    std::string printer = "Test Printer";
    long long shellResult = 42;
    std::vector<std::string> opened;
};

class FormFixture : public ::testing::Test {
protected:
    FormFixture();
    ~FormFixture() override;

    // Creates (and shows) the window with the given command line.
    TMainForm& Open(std::vector<std::string> arguments = {}, const std::string& version = "9.8.7.6");
    void Pump();
    // Handles the window's messages until done() holds; false when it does
    // not within 30 s.
    bool PumpUntil(const std::function<bool()>& done);
    // A pass forced as F9 does, and one timed as when the interval has
    // passed; each returns once the window has shown all the pass posted.
    void ForcedPass();
    void TimedPass();
    // Posts a command to the window and handles it, the way a menu pick
    // or key would arrive.
    void Command(int id);
    std::vector<std::string> ListColumn(int listId, int column) const;
    void SelectRow(int listId, int index);
    std::optional<std::string> Stored(const std::string& name) const;

    TestRegistryKey key;
    ScriptedDialogs dialogs;
    TestSystem system;
    std::unique_ptr<TMainForm> form;
};

}  // namespace vigilor::test
