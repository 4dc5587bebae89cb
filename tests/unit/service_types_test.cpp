#include <gtest/gtest.h>

#include "platform/app_error.h"
#include "services/multi_string.h"
#include "services/service_types.h"

namespace vigilor {
namespace {

using enum TDesiredManagerAccess;
using enum TDesiredServiceAccess;

TEST(ServiceRights, SetsBecomeTheMasksTheProgramRequests) {
    EXPECT_EQ(ManagerAccessMask({M_CONNECT}), 0x0001u);
    EXPECT_EQ(ManagerAccessMask({M_CONNECT, M_ENUMERATE_SERVICE}), 0x0005u);
    EXPECT_EQ(ManagerAccessMask({M_CONNECT, M_MODIFY_BOOT_CONFIG}), 0x0021u);
    EXPECT_EQ(ManagerAccessMask({M_CONNECT, M_CREATE_SERVICE, M_ENUMERATE_SERVICE, M_LOCK, M_QUERY_LOCK_STATUS,
                                 M_MODIFY_BOOT_CONFIG}),
              0x003Fu);
    EXPECT_EQ(ServiceAccessMask({S_ALL_ACCESS}), 0xF01FFu);
    EXPECT_EQ(ServiceAccessMask({S_QUERY_CONFIG}), 0x0001u);
    EXPECT_EQ(ServiceAccessMask({S_QUERY_STATUS, S_START}), 0x0014u);
    EXPECT_EQ(ServiceAccessMask({S_CHANGE_CONFIG, S_ENUMERATE_DEPENDENTS, S_INTERROGATE, S_PAUSE_CONTINUE, S_STOP,
                                 S_USER_DEFINED_CONTROL, S_DELETE}),
              0x101EAu);
    EXPECT_EQ(ManagerAccessMask({}), 0u);
}

TEST(ServiceCodes, StartTypeAndErrorControlRoundTripAndDefault) {
    for (std::uint32_t code = 0; code <= 4; ++code) EXPECT_EQ(StartTypeCode(StartTypeFromCode(code)), code);
    for (std::uint32_t code = 0; code <= 3; ++code) EXPECT_EQ(ErrorControlCode(ErrorTypeFromCode(code)), code);
    EXPECT_EQ(StartTypeFromCode(4), TStartType::DISABLED);
    EXPECT_EQ(ErrorTypeFromCode(3), TErrorType::ERROR_CRITICAL);
    for (std::uint32_t code : {5u, 7u, 0xFFFFFFFFu}) EXPECT_EQ(StartTypeFromCode(code), TStartType::DEMAND_START);
    for (std::uint32_t code : {4u, 9u, 0xFFFFFFFFu}) EXPECT_EQ(ErrorTypeFromCode(code), TErrorType::ERROR_NORMAL);
}

TEST(ServiceCodes, TypeBitsKeepTheSevenKnownBitsOnly) {
    using enum TServiceType;
    EXPECT_EQ(ServiceTypeBits({WIN32_OWN_PROCESS, INTERACTIVE_PROCESS}), 0x110u);
    EXPECT_EQ(ServiceTypesFromBits(0x110), (TServiceTypes{WIN32_OWN_PROCESS, INTERACTIVE_PROCESS}));
    EXPECT_EQ(ServiceTypeBits(ServiceTypesFromBits(0xFFFFFFFF)), 0x13Fu);
    EXPECT_EQ(ServiceTypesFromBits(0x40 | 0x80 | 0x200), TServiceTypes{});
}

TEST(ServiceCodes, StatesReadByTheTableWithTheirListTexts) {
    using enum TCurrentState;
    const std::pair<std::uint32_t, const char*> table[] = {
        {1, " Stopped"}, {2, " Starting"},    {3, " Stopping"}, {4, " Running"},
        {5, " Continueing"}, {6, " Pausing"}, {7, " Paused"},
    };
    for (const auto& [code, text] : table) EXPECT_EQ(StateText(CurrentStateFromCode(code)), text) << code;
    for (std::uint32_t code : {0u, 8u, 0xFFFFFFFFu}) EXPECT_EQ(CurrentStateFromCode(code), STATE_STOPPED) << code;
}

TEST(ServiceCodes, ControlsFiltersAndRequests) {
    using enum TControlAccepted;
    EXPECT_EQ(ControlsAcceptedFromBits(0x1 | 0x4 | 0x8 | 0x100), (TControlsAccepted{ACCEPT_STOP, ACCEPT_SHUTDOWN}));
    EXPECT_EQ(ControlCode(TServiceControl::CONTROL_STOP), 1u);
    EXPECT_EQ(ControlCode(TServiceControl::CONTROL_SHUTDOWN), 5u);
    EXPECT_EQ(EnumKindsMask({TEnumKind::ENUM_WIN32}), 0x30u);
    EXPECT_EQ(EnumKindsMask({TEnumKind::ENUM_DRIVERS, TEnumKind::ENUM_WIN32}), 0x3Bu);
    EXPECT_EQ(EnumStatesMask({TEnumState::ENUM_ACTIVE, TEnumState::ENUM_INACTIVE}), 3u);
    EXPECT_EQ(EnumStatesMask({TEnumState::ENUM_INACTIVE}), 2u);
}

TEST(EnumList, IndexOutsideTheListRaisesTheListError) {
    TEnumList list;
    list.Add().ServiceName = "A";
    list.Add().ServiceName = "B";
    EXPECT_EQ(list.Items(1).ServiceName, "B");
    for (int bad : {-1, 2}) {
        try {
            list.Items(bad);
            FAIL() << bad;
        } catch (const AppError& e) {
            EXPECT_EQ(std::string(e.what()), "List index out of bounds (" + std::to_string(bad) + ")");
        }
    }
}

std::vector<std::string> Split(std::string_view block, size_t size, std::vector<std::string> list = {"old"}) {
    SplitMultiString(block, size, &list);
    return list;
}

TEST(MultiString, SplitEdgeCases) {
    using namespace std::string_literals;
    EXPECT_EQ(Split("A\0B\0\0"s, 16384), (std::vector<std::string>{"A", "B"}));
    EXPECT_EQ(Split("A\0B\0\0"s, 0), std::vector<std::string>{"old"}) << "size 0 leaves the list";
    EXPECT_EQ(Split("\0\0"s, 2), std::vector<std::string>{""}) << "the first string counts even when empty";
    EXPECT_EQ(Split("A\0B\0\0C\0\0"s, 100), (std::vector<std::string>{"A", "B"})) << "stops at the first NUL pair";
    EXPECT_EQ(Split("AB\0CD\0\0"s, 4), (std::vector<std::string>{"AB", "C"})) << "stops after size bytes";
    EXPECT_EQ(Split("AB"s, 16384), std::vector<std::string>{"AB"}) << "never reads past the block";
    std::vector<std::string> untouched{"keep"};
    SplitMultiString("A\0\0", 3, nullptr);
    EXPECT_EQ(untouched, std::vector<std::string>{"keep"});
}

TEST(MultiString, JoinFillsWithZerosAndDropsWhatDoesNotFit) {
    using namespace std::string_literals;
    EXPECT_EQ(JoinMultiString({"A", "B"}, 6), "A\0B\0\0\0"s);
    EXPECT_EQ(JoinMultiString({}, 3), "\0\0\0"s);
    // "CD" would make 4 + 2 + 1 = 7 reach the size 7: it and all after it go.
    EXPECT_EQ(JoinMultiString({"AB", "C", "CD", "E"}, 7), "AB\0C\0\0\0"s);
    EXPECT_EQ(JoinMultiString({"ABCDE"}, 6), "\0\0\0\0\0\0"s);
    const std::string block = JoinMultiString({"Tcpip", "Afd", ""}, 16384);
    EXPECT_EQ(block.size(), 16384u);
    EXPECT_EQ(Split(block, block.size()), (std::vector<std::string>{"Tcpip", "Afd"}));
}

}  // namespace
}  // namespace vigilor
