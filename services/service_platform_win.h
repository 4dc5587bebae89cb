#pragma once
// The service layer's platform operations on the real service control
// manager and registry, through the W functions.
#include "platform/system_error_win.h"
#include "services/service_platform.h"

namespace vigilor {

class Win32ServicePlatform : public ServicePlatform {
public:
    ScHandle OpenManager(const std::optional<std::string>& machine, const std::optional<std::string>& database,
                         std::uint32_t access) override;
    ScHandle OpenServiceHandle(ScHandle manager, const std::string& keyName, std::uint32_t access) override;
    bool CloseScHandle(ScHandle handle) override;
    bool QueryConfig(ScHandle service, ServiceConfigRecord& config) override;
    bool ChangeConfig(ScHandle service, const ServiceConfigChange& change) override;
    bool Start(ScHandle service) override;
    bool Control(ScHandle service, std::uint32_t control) override;
    bool QueryStatus(ScHandle service, ServiceStatusRecord& status) override;
    bool EnumStatus(ScHandle manager, std::uint32_t kinds, std::uint32_t states, std::uint32_t bufferBytes,
                    std::vector<EnumServiceRecord>& records, std::uint32_t& bytesNeeded,
                    std::uint32_t& resumeHandle) override;
    bool KeyNameOf(ScHandle manager, const std::string& displayName, std::uint32_t maxChars,
                   std::string& keyName) override;
    long ConnectRegistry(const std::optional<std::string>& machine, RegHandle& key) override;
    long OpenRegistryKey(RegHandle key, const std::string& path, RegHandle& opened) override;
    long QueryMultiString(RegHandle key, const std::string& name, std::uint32_t bufferBytes,
                          std::string& block) override;
    void CloseRegistryKey(RegHandle key) override;
    void Wait(std::uint32_t milliseconds) override;
    std::uint64_t TickCount() override;
    unsigned long LastError() override { return errors_.LastError(); }
    std::string SystemMessage(unsigned long code) override { return errors_.SystemMessage(code); }

private:
    Win32SystemErrors errors_;
};

// The one instance the program shares.
Win32ServicePlatform& SystemServices();

}  // namespace vigilor
