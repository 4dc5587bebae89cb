#include "monitor/pass_readers_win.h"

#include <utility>

#include "net/liveness_win.h"
#include "platform/system_error_win.h"
#include "services/service_session.h"

namespace vigilor {

namespace {

class SystemRowReader : public RowReader {
public:
    SystemRowReader(ServicePlatform& services, std::stop_token stop) : session_(services), stop_(std::move(stop)) {}
    std::string ServiceKeyName(const std::string& machine, const std::string& displayName) override {
        return session_.KeyName(machine, displayName);
    }
    bool IsMachineAlive(const std::string& machine) override {
        return CheckMachineWithoutWindow(machine, stop_).Alive();
    }
    bool ServiceIsRunning(const std::string& machine, const std::string& keyName) override {
        return session_.IsRunning(machine, keyName);
    }
    bool ServiceIsStopped(const std::string& machine, const std::string& keyName) override {
        return session_.IsStopped(machine, keyName);
    }
    ServiceReading ReadService(const std::string& machine, const std::string& displayName) override {
        return ReadServiceRow(session_, errors_, machine, displayName);
    }
    void ServiceQueriesDone() override { session_.CloseKeptService(); }

private:
    ServiceSession session_;
    Win32SystemErrors errors_;
    std::stop_token stop_;
};

}  // namespace

std::unique_ptr<RowReader> SystemRowReaders::NewReader(std::stop_token stop) {
    return std::make_unique<SystemRowReader>(services_, std::move(stop));
}

}  // namespace vigilor
