#pragma once
// The service-control component: holds an open manager and an open service
// of a computer, mirrors the service's configuration in properties, and
// writes each changed property straight back while the service is open.
// Every failing platform call raises AppError with the system error text.
#include <cstdint>
#include <string>
#include <vector>

#include "net/nt_persistent.h"
#include "services/service_platform.h"
#include "services/service_types.h"

namespace vigilor {

class TNTService : public TNTPersistent {
public:
    TNTService(ServicePlatform& platform, NetworkPlatform& network);
    // Closes an open service, then an open manager.
    ~TNTService() override;

    // Refused with a different name while the manager is open.
    void SetMachineName(const std::string& name) override;
    const std::string& DatabaseName() const { return databaseName_; }
    void SetDatabaseName(const std::string& name);

    bool ActiveManager() const { return manager_ != nullptr; }
    // Opens or closes the manager. Closing it leaves an open service open:
    // callers close the service first.
    void SetActiveManager(bool active);
    bool ActiveService() const { return service_ != nullptr; }
    // Opening opens the manager first when needed, then the service named
    // by ServiceName, and reads its configuration into the properties.
    void SetActiveService(bool active);

    TManagerAccess ManagerAccess() const { return managerAccess_; }
    // Refused while the manager is open, even with the same rights.
    void SetManagerAccess(TManagerAccess access);
    TServiceAccess ServiceAccess() const { return serviceAccess_; }
    // Refused while a service is open.
    void SetServiceAccess(TServiceAccess access);
    const std::string& ServiceName() const { return serviceName_; }
    void SetServiceName(const std::string& name) { serviceName_ = name; }

    // The configuration. Setting a different value while the service is
    // open writes the whole configuration; an equal value writes nothing.
    const std::string& DisplayName() const { return displayName_; }
    void SetDisplayName(const std::string& value);
    const std::string& BinaryPathName() const { return binaryPathName_; }
    void SetBinaryPathName(const std::string& value);
    TStartType StartType() const { return startType_; }
    void SetStartType(TStartType value);
    TErrorType ErrorControl() const { return errorControl_; }
    void SetErrorControl(TErrorType value);
    TServiceTypes ServiceType() const { return serviceType_; }
    void SetServiceType(TServiceTypes value);
    const std::string& LoadOrder() const { return loadOrder_; }
    void SetLoadOrder(const std::string& value);
    std::uint32_t TagId() const { return tagId_; }
    void SetTagId(std::uint32_t value);
    const std::vector<std::string>& Dependencies() const { return dependencies_; }
    // Always writes while the service is open, changed or not.
    void SetDependencies(const std::vector<std::string>& lines);
    const std::string& ServiceStartName() const { return serviceStartName_; }
    void SetServiceStartName(const std::string& value);
    // Never read from the service; empty leaves the password unchanged.
    const std::string& Password() const { return password_; }
    void SetPassword(const std::string& value);

    // Opens what is not open yet and asks the manager to start the service;
    // does not wait. The service is closed after a successful request.
    void Start();
    // Sends a control request to the open service.
    void Control(TServiceControl request);
    // Every service of the kinds and states asked for, in the manager's
    // order; opens the manager when needed and leaves it open.
    TEnumList EnumServices(TEnumStates states, TEnumKinds kinds);
    // The computer's load-order groups in their stored order; nothing
    // happens without a list.
    void ListLoadOrderGroups(std::vector<std::string>* list);

private:
    void OpenManager();
    void CloseManager();
    void OpenService();
    void CloseService();
    void ApplyConfig();
    template <typename T>
    void SetConfig(T& field, const T& value);

    ServicePlatform& platform_;
    ScHandle manager_ = nullptr;
    ScHandle service_ = nullptr;
    std::string databaseName_;
    TManagerAccess managerAccess_{TDesiredManagerAccess::M_CONNECT};
    TServiceAccess serviceAccess_{TDesiredServiceAccess::S_ALL_ACCESS};
    std::string serviceName_;
    std::string displayName_;
    std::string binaryPathName_;
    TStartType startType_ = TStartType::BOOT_START;
    TErrorType errorControl_ = TErrorType::ERROR_IGNORE;
    TServiceTypes serviceType_;
    std::string loadOrder_;
    std::uint32_t tagId_ = 0;
    std::vector<std::string> dependencies_;
    std::string serviceStartName_;
    std::string password_;
};

}  // namespace vigilor
