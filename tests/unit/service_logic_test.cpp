// What the Windows service decides without Windows: the meaning of each
// control code, the log file's rotation, and the access list of the
// machine's settings key.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "config/machine_key_access.h"
#include "monitor/service_controls.h"
#include "notify/rotating_log.h"

namespace vigilor {
namespace {

TEST(ServiceControls, EachCodeItsCommand) {
    const std::pair<std::uint32_t, ServiceCommand> table[] = {
        {1, ServiceCommand::Stop},        {5, ServiceCommand::Stop},     {0xF, ServiceCommand::Stop},
        {2, ServiceCommand::Pause},       {3, ServiceCommand::Continue}, {4, ServiceCommand::Interrogate},
        {128, ServiceCommand::PassNow},   {129, ServiceCommand::Reset},  {130, ServiceCommand::Reload},
        {8, ServiceCommand::Unknown},     {131, ServiceCommand::Unknown}, {255, ServiceCommand::Unknown},
    };
    for (const auto& [code, command] : table) EXPECT_EQ(CommandOfControl(code), command) << code;
    EXPECT_EQ(AcceptedControls(), 0x1u | 0x2u | 0x4u | 0x100u) << "stop, pause and continue, shutdown, preshutdown";
}

TEST(ServiceControls, RecoveryRestartsAfterAMinuteOnTheFirstTwoFailures) {
    const std::vector<RecoveryAction> actions = RecoveryActions();
    ASSERT_EQ(actions.size(), 3u);
    for (int n : {0, 1}) EXPECT_TRUE(actions[n].restart && actions[n].delayMs == 60000) << n;
    EXPECT_FALSE(actions[2].restart) << "a third failure in a day is left to the administrator";
    EXPECT_EQ(kRecoveryResetSeconds, 86400u);
}

std::string Contents(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

TEST(RotatingLog, ANewFileAtTheLimitAndThreeKept) {
    const std::filesystem::path folder =
        std::filesystem::temp_directory_path() / ("vigilor-log-" + std::to_string(::getpid()));
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder);
    RotatingLog log(folder / "failure-reports.log", 20, 3);
    for (const char* line : {"one 1234", "two 1234", "three 12", "four 123", "five 123"}) log.Append(line);
    EXPECT_EQ(Contents(folder / "failure-reports.log"), "five 123\r\n");
    EXPECT_EQ(Contents(folder / "failure-reports.1.log"), "three 12\r\nfour 123\r\n");
    EXPECT_EQ(Contents(folder / "failure-reports.2.log"), "one 1234\r\ntwo 1234\r\n");
    EXPECT_FALSE(std::filesystem::exists(folder / "failure-reports.3.log"));
    log.Append(std::string(50, 'x'));  // longer than the limit: a file of its own
    EXPECT_EQ(Contents(folder / "failure-reports.log"), std::string(50, 'x') + "\r\n");
    EXPECT_EQ(Contents(folder / "failure-reports.2.log"), "three 12\r\nfour 123\r\n") << "the oldest is dropped";
    std::filesystem::remove_all(folder);
}

TEST(MachineKeyAccess, OnlySystemAndAdministratorsWithFullControl) {
    EXPECT_EQ(MachineKeyAccessList(), "D:P(A;CI;KA;;;SY)(A;CI;KA;;;BA)");
    EXPECT_TRUE(OnlySystemAndAdministrators(MachineKeyAccessList()));
    const std::pair<const char*, bool> table[] = {
        {"D:P(A;CI;KA;;;S-1-5-18)(A;CI;KA;;;S-1-5-32-544)", true},
        {"D:PAI(A;CI;KA;;;SY)(A;CI;KA;;;BA)(D;;KA;;;WD)", true},  // a denial lets nobody in
        {"D:(A;CI;KA;;;SY)(A;CI;KA;;;BA)", false},                  // inherits what the key above allows
        {"D:P(A;CI;KA;;;SY)(A;CI;KA;;;BA)(A;CI;KR;;;BU)", false},   // the users may read the password
        {"D:P(A;CI;KA;;;SY)", false},
        {"D:P(A;CI;KA;;;SY)(A;CI;KA;;;BA)(A;CI;KR;;;WD)", false},
        {"O:BAG:SY", false},  // no access list: everybody
        {"", false},
    };
    for (const auto& [sddl, only] : table) EXPECT_EQ(OnlySystemAndAdministrators(sddl), only) << sddl;
}

}  // namespace
}  // namespace vigilor
