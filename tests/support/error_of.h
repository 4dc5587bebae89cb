#pragma once
// The text of the AppError an action raises, or "(no error)".
#include <functional>
#include <string>

#include "platform/app_error.h"

namespace vigilor::test {

inline std::string ErrorOf(const std::function<void()>& action) {
    try {
        action();
    } catch (const AppError& e) {
        return e.what();
    }
    return "(no error)";
}

}  // namespace vigilor::test
