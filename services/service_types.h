#pragma once
// The service manager's vocabulary: rights, configuration codes, states and
// the entries of an enumeration, with the tables between them and the
// platform's numbers.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "services/enum_set.h"

namespace vigilor {

enum class TDesiredManagerAccess {
    M_CONNECT,
    M_CREATE_SERVICE,
    M_ENUMERATE_SERVICE,
    M_LOCK,
    M_QUERY_LOCK_STATUS,
    M_MODIFY_BOOT_CONFIG
};
using TManagerAccess = EnumSet<TDesiredManagerAccess>;

enum class TDesiredServiceAccess {
    S_ALL_ACCESS,
    S_CHANGE_CONFIG,
    S_ENUMERATE_DEPENDENTS,
    S_INTERROGATE,
    S_PAUSE_CONTINUE,
    S_QUERY_CONFIG,
    S_QUERY_STATUS,
    S_START,
    S_STOP,
    S_USER_DEFINED_CONTROL,
    S_DELETE
};
using TServiceAccess = EnumSet<TDesiredServiceAccess>;

enum class TStartType { BOOT_START, SYSTEM_START, AUTO_START, DEMAND_START, DISABLED };
enum class TErrorType { ERROR_IGNORE, ERROR_NORMAL, ERROR_SEVERE, ERROR_CRITICAL };

enum class TServiceType {
    KERNEL_DRIVER,
    FILE_SYSTEM_DRIVER,
    ADAPTER,
    RECOGNIZER_DRIVER,
    WIN32_OWN_PROCESS,
    WIN32_SHARE_PROCESS,
    INTERACTIVE_PROCESS
};
using TServiceTypes = EnumSet<TServiceType>;

enum class TCurrentState {
    STATE_STOPPED,
    STATE_START_PENDING,
    STATE_STOP_PENDING,
    STATE_RUNNING,
    STATE_CONTINUE_PENDING,
    STATE_PAUSE_PENDING,
    STATE_PAUSED
};

enum class TControlAccepted { ACCEPT_STOP, ACCEPT_PAUSE_CONTINUE, ACCEPT_SHUTDOWN };
using TControlsAccepted = EnumSet<TControlAccepted>;

enum class TServiceControl { CONTROL_STOP, CONTROL_PAUSE, CONTROL_CONTINUE, CONTROL_INTERROGATE, CONTROL_SHUTDOWN };

enum class TEnumKind { ENUM_DRIVERS, ENUM_WIN32 };
using TEnumKinds = EnumSet<TEnumKind>;
enum class TEnumState { ENUM_ACTIVE, ENUM_INACTIVE };
using TEnumStates = EnumSet<TEnumState>;

// Platform state codes the utilities answer.
constexpr int kStateStopped = 1;
constexpr int kStateRunning = 4;

std::uint32_t ManagerAccessMask(TManagerAccess access);
std::uint32_t ServiceAccessMask(TServiceAccess access);

std::uint32_t StartTypeCode(TStartType type);
// Codes outside 0..4 read as DEMAND_START.
TStartType StartTypeFromCode(std::uint32_t code);
std::uint32_t ErrorControlCode(TErrorType type);
// Codes outside 0..3 read as ERROR_NORMAL.
TErrorType ErrorTypeFromCode(std::uint32_t code);

std::uint32_t ServiceTypeBits(TServiceTypes types);
// Takes the seven known bits and ignores every other.
TServiceTypes ServiceTypesFromBits(std::uint32_t bits);

// Any code other than 2..7 reads as STATE_STOPPED.
TCurrentState CurrentStateFromCode(std::uint32_t code);
// " Running", " Stopped", ...: the text of the all-services list.
std::string StateText(TCurrentState state);

TControlsAccepted ControlsAcceptedFromBits(std::uint32_t bits);
std::uint32_t ControlCode(TServiceControl control);

std::uint32_t EnumKindsMask(TEnumKinds kinds);
std::uint32_t EnumStatesMask(TEnumStates states);

// One entry of an enumeration.
struct TServiceStatusClass {
    std::string ServiceName;
    std::string DisplayName;
    TServiceTypes ServiceType;
    TCurrentState CurrentState = TCurrentState::STATE_STOPPED;
    TControlsAccepted ControlsAccepted;
    std::uint32_t Win32ExitCode = 0;
    std::uint32_t ServiceSpecificExitCode = 0;
    std::uint32_t CheckPoint = 0;
    std::uint32_t WaitHint = 0;
};

// The services of one enumeration, in the order the manager listed them.
class TEnumList {
public:
    int Count() const { return static_cast<int>(items_.size()); }
    // Raises AppError "List index out of bounds (<index>)" for an index
    // outside 0..Count-1.
    const TServiceStatusClass& Items(int index) const;
    TServiceStatusClass& Add();

private:
    std::vector<std::unique_ptr<TServiceStatusClass>> items_;
};

}  // namespace vigilor
