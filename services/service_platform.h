#pragma once
// The operations of a service control manager and of the remote registry
// that the service layer relies on, by their Windows names. Texts are
// UTF-8; multi-strings are byte blocks of NUL-terminated texts closed by an
// empty text. Handles are opaque; nullptr is the failed or absent handle.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/system_error.h"

namespace vigilor {

using ScHandle = void*;
using RegHandle = void*;

struct ServiceStatusRecord {
    std::uint32_t serviceType = 0;
    std::uint32_t currentState = 0;
    std::uint32_t controlsAccepted = 0;
    std::uint32_t win32ExitCode = 0;
    std::uint32_t serviceSpecificExitCode = 0;
    std::uint32_t checkPoint = 0;
    std::uint32_t waitHint = 0;  // milliseconds
};

struct EnumServiceRecord {
    std::string serviceName;
    std::string displayName;
    ServiceStatusRecord status;
};

struct ServiceConfigRecord {
    std::uint32_t serviceType = 0;
    std::uint32_t startType = 0;
    std::uint32_t errorControl = 0;
    std::string binaryPathName;
    std::string loadOrderGroup;
    std::uint32_t tagId = 0;
    std::string dependencies;  // multi-string
    std::string serviceStartName;
    std::string displayName;
};

// A full write of a service's configuration. A text left nullopt, and a
// null tag pointer, leave that field as it is.
struct ServiceConfigChange {
    std::uint32_t serviceType = 0;
    std::uint32_t startType = 0;
    std::uint32_t errorControl = 0;
    std::optional<std::string> binaryPathName;
    std::optional<std::string> loadOrderGroup;
    std::uint32_t* tagId = nullptr;  // receives the tag the manager assigns
    std::string dependencies;        // multi-string, always sent
    std::optional<std::string> serviceStartName;
    std::optional<std::string> password;
    std::optional<std::string> displayName;
};

class ServicePlatform : public SystemErrorSource {
public:
    // OpenSCManager; a nullopt machine or database means the local
    // computer or the manager's active database.
    virtual ScHandle OpenManager(const std::optional<std::string>& machine,
                                   const std::optional<std::string>& database, std::uint32_t access) = 0;
    // OpenService.
    virtual ScHandle OpenServiceHandle(ScHandle manager, const std::string& keyName, std::uint32_t access) = 0;
    // CloseServiceHandle.
    virtual bool CloseScHandle(ScHandle handle) = 0;
    // QueryServiceConfig.
    virtual bool QueryConfig(ScHandle service, ServiceConfigRecord& config) = 0;
    // ChangeServiceConfig.
    virtual bool ChangeConfig(ScHandle service, const ServiceConfigChange& change) = 0;
    // StartService with no arguments.
    virtual bool Start(ScHandle service) = 0;
    // ControlService; the status the manager answers is dropped.
    virtual bool Control(ScHandle service, std::uint32_t control) = 0;
    // QueryServiceStatus.
    virtual bool QueryStatus(ScHandle service, ServiceStatusRecord& status) = 0;
    // EnumServicesStatus: one call with a buffer of bufferBytes. records
    // gets what the call delivered; on failure with 234 (more data)
    // bytesNeeded and resumeHandle say how to go on.
    virtual bool EnumStatus(ScHandle manager, std::uint32_t kinds, std::uint32_t states,
                                    std::uint32_t bufferBytes, std::vector<EnumServiceRecord>& records,
                                    std::uint32_t& bytesNeeded, std::uint32_t& resumeHandle) = 0;
    // GetServiceKeyName: the key name for a display name, received into
    // a buffer of maxChars characters; a longer key name fails.
    virtual bool KeyNameOf(ScHandle manager, const std::string& displayName, std::uint32_t maxChars,
                                   std::string& keyName) = 0;

    // RegConnectRegistry to HKEY_LOCAL_MACHINE of a computer (nullopt:
    // this one); answers 0 or the error code, like the calls below.
    virtual long ConnectRegistry(const std::optional<std::string>& machine, RegHandle& key) = 0;
    // RegOpenKeyEx with read access.
    virtual long OpenRegistryKey(RegHandle key, const std::string& path, RegHandle& opened) = 0;
    // RegQueryValueEx of a multi-string value of at most bufferBytes bytes.
    virtual long QueryMultiString(RegHandle key, const std::string& name, std::uint32_t bufferBytes,
                                     std::string& block) = 0;
    // RegCloseKey.
    virtual void CloseRegistryKey(RegHandle key) = 0;

    // Sleep.
    virtual void Wait(std::uint32_t milliseconds) = 0;
    // A monotonic clock in milliseconds.
    virtual std::uint64_t TickCount() = 0;
};

}  // namespace vigilor
