#include "services/service_types.h"

#include "platform/app_error.h"

namespace vigilor {

namespace {

template <typename E, size_t N>
std::uint32_t MaskOf(EnumSet<E> set, const std::uint32_t (&values)[N]) {
    std::uint32_t mask = 0;
    for (size_t i = 0; i < N; ++i)
        if (set.Contains(static_cast<E>(i))) mask |= values[i];
    return mask;
}

template <typename E, size_t N>
EnumSet<E> SetOf(std::uint32_t bits, const std::uint32_t (&values)[N]) {
    EnumSet<E> set;
    for (size_t i = 0; i < N; ++i)
        if (bits & values[i]) set.Include(static_cast<E>(i));
    return set;
}

constexpr std::uint32_t kManagerRights[] = {0x0001, 0x0002, 0x0004, 0x0008, 0x0010, 0x0020};
constexpr std::uint32_t kServiceRights[] = {0xF01FF, 0x0002, 0x0008, 0x0080, 0x0040, 0x0001,
                                            0x0004,  0x0010, 0x0020, 0x0100, 0x10000};
constexpr std::uint32_t kServiceTypeBits[] = {0x001, 0x002, 0x004, 0x008, 0x010, 0x020, 0x100};
constexpr std::uint32_t kControlsAcceptedBits[] = {0x1, 0x2, 0x4};
constexpr std::uint32_t kEnumKindBits[] = {0x0B, 0x30};
constexpr std::uint32_t kEnumStateBits[] = {1, 2};

}  // namespace

std::uint32_t ManagerAccessMask(TManagerAccess access) { return MaskOf(access, kManagerRights); }
std::uint32_t ServiceAccessMask(TServiceAccess access) { return MaskOf(access, kServiceRights); }

std::uint32_t StartTypeCode(TStartType type) { return static_cast<std::uint32_t>(type); }

TStartType StartTypeFromCode(std::uint32_t code) {
    return code <= 4 ? static_cast<TStartType>(code) : TStartType::DEMAND_START;
}

std::uint32_t ErrorControlCode(TErrorType type) { return static_cast<std::uint32_t>(type); }

TErrorType ErrorTypeFromCode(std::uint32_t code) {
    return code <= 3 ? static_cast<TErrorType>(code) : TErrorType::ERROR_NORMAL;
}

std::uint32_t ServiceTypeBits(TServiceTypes types) { return MaskOf(types, kServiceTypeBits); }
TServiceTypes ServiceTypesFromBits(std::uint32_t bits) { return SetOf<TServiceType>(bits, kServiceTypeBits); }

TCurrentState CurrentStateFromCode(std::uint32_t code) {
    return code >= 2 && code <= 7 ? static_cast<TCurrentState>(code - 1) : TCurrentState::STATE_STOPPED;
}

std::string StateText(TCurrentState state) {
    switch (state) {
        case TCurrentState::STATE_START_PENDING: return " Starting";
        case TCurrentState::STATE_STOP_PENDING: return " Stopping";
        case TCurrentState::STATE_RUNNING: return " Running";
        case TCurrentState::STATE_CONTINUE_PENDING: return " Continueing";
        case TCurrentState::STATE_PAUSE_PENDING: return " Pausing";
        case TCurrentState::STATE_PAUSED: return " Paused";
        case TCurrentState::STATE_STOPPED: break;
    }
    return " Stopped";
}

TControlsAccepted ControlsAcceptedFromBits(std::uint32_t bits) {
    return SetOf<TControlAccepted>(bits, kControlsAcceptedBits);
}

std::uint32_t ControlCode(TServiceControl control) { return static_cast<std::uint32_t>(control) + 1; }

std::uint32_t EnumKindsMask(TEnumKinds kinds) { return MaskOf(kinds, kEnumKindBits); }
std::uint32_t EnumStatesMask(TEnumStates states) { return MaskOf(states, kEnumStateBits); }

const TServiceStatusClass& TEnumList::Items(int index) const {
    if (index < 0 || index >= Count()) throw AppError("List index out of bounds (" + std::to_string(index) + ")");
    return *items_[static_cast<size_t>(index)];
}

TServiceStatusClass& TEnumList::Add() {
    items_.push_back(std::make_unique<TServiceStatusClass>());
    return *items_.back();
}

}  // namespace vigilor
