#pragma once
// The owner of one service-manager or service handle of a ServicePlatform:
// closes it when it goes out of scope; move-only.
#include <utility>

#include "services/service_platform.h"

namespace vigilor {

class ScopedScHandle {
public:
    ScopedScHandle() = default;
    ScopedScHandle(ServicePlatform& platform, ScHandle handle) : platform_(&platform), handle_(handle) {}
    ScopedScHandle(const ScopedScHandle&) = delete;
    ScopedScHandle& operator=(const ScopedScHandle&) = delete;
    ScopedScHandle(ScopedScHandle&& other) noexcept
        : platform_(other.platform_), handle_(std::exchange(other.handle_, nullptr)) {}
    ScopedScHandle& operator=(ScopedScHandle&& other) noexcept {
        if (this != &other) {
            Reset();
            platform_ = other.platform_;
            handle_ = std::exchange(other.handle_, nullptr);
        }
        return *this;
    }
    ~ScopedScHandle() { Reset(); }

    ScHandle Get() const { return handle_; }
    explicit operator bool() const { return handle_ != nullptr; }
    void Reset() {
        if (handle_) platform_->CloseScHandle(std::exchange(handle_, nullptr));
    }

private:
    ServicePlatform* platform_ = nullptr;
    ScHandle handle_ = nullptr;
};

}  // namespace vigilor
