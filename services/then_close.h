#pragma once
// One operation on the service component, always followed by closing the
// service and then the manager. After a failure the first error is the one
// the user sees, so errors of closing are dropped then.
#include "platform/app_error.h"
#include "services/nt_service.h"

namespace vigilor {

inline void CloseQuietly(TNTService& service) noexcept {
    try {
        service.SetActiveService(false);
    } catch (const AppError&) {
    }
    try {
        service.SetActiveManager(false);
    } catch (const AppError&) {
    }
}

template <typename Action>
void ThenClose(TNTService& service, Action&& action) {
    try {
        action();
    } catch (...) {
        CloseQuietly(service);
        throw;
    }
    service.SetActiveService(false);
    service.SetActiveManager(false);
}

}  // namespace vigilor
