#include "services/nt_service.h"

#include "platform/app_error.h"
#include "platform/text.h"
#include "services/multi_string.h"

namespace vigilor {

namespace {

constexpr int kEnumRoundLimit = 4096;

constexpr const char* kManagerActive = "Can not change parameter when CONTROL SERVICE MANAGER is active";
constexpr const char* kServiceActive = "Can not change parameter when SERVICE is active";
constexpr size_t kMultiStringBytes = 16384;
constexpr std::uint32_t kMoreData = 234;
// The size of the first enumeration call; enough for a typical computer.
constexpr std::uint32_t kEnumBufferBytes = 32768;
// A manager that asks for more than this is not believed.
constexpr std::uint32_t kEnumBufferLimit = 16u << 20;
constexpr const char* kGroupOrderKey = "System\\CurrentControlSet\\Control\\ServiceGroupOrder";

// A name of blanks only stands for the local computer; any other is passed
// as held.
std::optional<std::string> ArgumentFor(const std::string& name) {
    if (Trim(name).empty()) return std::nullopt;
    return name;
}

std::optional<std::string> TextOrUnchanged(const std::string& text) {
    if (text.empty()) return std::nullopt;
    return text;
}

class RegistryKeyGuard {
public:
    RegistryKeyGuard(ServicePlatform& platform, RegHandle key) : platform_(platform), key_(key) {}
    ~RegistryKeyGuard() {
        if (key_) platform_.CloseRegistryKey(key_);
    }
    RegistryKeyGuard(const RegistryKeyGuard&) = delete;
    RegistryKeyGuard& operator=(const RegistryKeyGuard&) = delete;

private:
    ServicePlatform& platform_;
    RegHandle key_;
};

void CopyEntry(const EnumServiceRecord& record, TServiceStatusClass& entry) {
    entry.ServiceName = record.serviceName;
    entry.DisplayName = record.displayName;
    entry.ServiceType = ServiceTypesFromBits(record.status.serviceType);
    entry.CurrentState = CurrentStateFromCode(record.status.currentState);
    entry.ControlsAccepted = ControlsAcceptedFromBits(record.status.controlsAccepted);
    entry.Win32ExitCode = record.status.win32ExitCode;
    entry.ServiceSpecificExitCode = record.status.serviceSpecificExitCode;
    entry.CheckPoint = record.status.checkPoint;
    entry.WaitHint = record.status.waitHint;
}

}  // namespace

TNTService::TNTService(ServicePlatform& platform, NetworkPlatform& network)
    : TNTPersistent(network), platform_(platform) {}

TNTService::~TNTService() {
    if (service_) platform_.CloseScHandle(service_);
    if (manager_) platform_.CloseScHandle(manager_);
}

void TNTService::SetMachineName(const std::string& name) {
    if (name != MachineName() && ActiveManager()) throw AppError(kManagerActive);
    TNTPersistent::SetMachineName(name);
}

void TNTService::SetDatabaseName(const std::string& name) {
    if (name != databaseName_ && ActiveManager()) throw AppError(kManagerActive);
    databaseName_ = name;
}

void TNTService::SetManagerAccess(TManagerAccess access) {
    if (ActiveManager()) throw AppError(kManagerActive);
    managerAccess_ = access;
}

void TNTService::SetServiceAccess(TServiceAccess access) {
    if (ActiveService()) throw AppError(kServiceActive);
    serviceAccess_ = access;
}

void TNTService::SetActiveManager(bool active) {
    if (active == ActiveManager()) return;
    if (active)
        OpenManager();
    else
        CloseManager();
}

void TNTService::SetActiveService(bool active) {
    if (active == ActiveService()) return;
    if (active) {
        if (!ActiveManager()) OpenManager();
        OpenService();
    } else {
        // Closing a service handle needs no manager.
        CloseService();
    }
}

void TNTService::OpenManager() {
    manager_ = platform_.OpenManager(ArgumentFor(MachineName()), ArgumentFor(databaseName_),
                                     ManagerAccessMask(managerAccess_));
    if (!manager_) RaiseLastError(platform_);
}

void TNTService::CloseManager() {
    if (!platform_.CloseScHandle(manager_)) {
        RaiseLastError(platform_);
        return;
    }
    manager_ = nullptr;
}

void TNTService::OpenService() {
    service_ = platform_.OpenServiceHandle(manager_, serviceName_, ServiceAccessMask(serviceAccess_));
    if (!service_) {
        RaiseLastError(platform_);
        return;
    }
    ServiceConfigRecord config;
    if (!platform_.QueryConfig(service_, config)) RaiseLastError(platform_);
    displayName_ = config.displayName;
    binaryPathName_ = config.binaryPathName;
    loadOrder_ = config.loadOrderGroup;
    tagId_ = config.tagId;
    serviceStartName_ = config.serviceStartName;
    password_.clear();
    startType_ = StartTypeFromCode(config.startType);
    errorControl_ = ErrorTypeFromCode(config.errorControl);
    serviceType_ = ServiceTypesFromBits(config.serviceType);
    if (config.dependencies.empty() || config.dependencies.front() == '\0')
        dependencies_.clear();
    else
        SplitMultiString(config.dependencies, kMultiStringBytes, &dependencies_);
}

void TNTService::CloseService() {
    if (!platform_.CloseScHandle(service_)) {
        RaiseLastError(platform_);
        return;
    }
    service_ = nullptr;
}

void TNTService::ApplyConfig() {
    ServiceConfigChange change;
    change.serviceType = ServiceTypeBits(serviceType_);
    change.startType = StartTypeCode(startType_);
    change.errorControl = ErrorControlCode(errorControl_);
    change.binaryPathName = TextOrUnchanged(binaryPathName_);
    change.loadOrderGroup = TextOrUnchanged(loadOrder_);
    change.tagId = loadOrder_.empty() ? nullptr : &tagId_;
    change.dependencies = JoinMultiString(dependencies_, kMultiStringBytes);
    change.serviceStartName = TextOrUnchanged(serviceStartName_);
    change.password = TextOrUnchanged(password_);
    change.displayName = TextOrUnchanged(displayName_);
    if (!platform_.ChangeConfig(service_, change)) RaiseLastError(platform_);
}

template <typename T>
void TNTService::SetConfig(T& field, const T& value) {
    if (field == value) return;
    field = value;
    if (ActiveService()) ApplyConfig();
}

void TNTService::SetDisplayName(const std::string& value) { SetConfig(displayName_, value); }
void TNTService::SetBinaryPathName(const std::string& value) { SetConfig(binaryPathName_, value); }
void TNTService::SetStartType(TStartType value) { SetConfig(startType_, value); }
void TNTService::SetErrorControl(TErrorType value) { SetConfig(errorControl_, value); }
void TNTService::SetServiceType(TServiceTypes value) { SetConfig(serviceType_, value); }
void TNTService::SetLoadOrder(const std::string& value) { SetConfig(loadOrder_, value); }
void TNTService::SetTagId(std::uint32_t value) { SetConfig(tagId_, value); }
void TNTService::SetServiceStartName(const std::string& value) { SetConfig(serviceStartName_, value); }
void TNTService::SetPassword(const std::string& value) { SetConfig(password_, value); }

void TNTService::SetDependencies(const std::vector<std::string>& lines) {
    dependencies_ = lines;
    if (ActiveService()) ApplyConfig();
}

void TNTService::Start() {
    if (!ActiveManager()) OpenManager();
    if (!ActiveService()) OpenService();
    if (platform_.Start(service_))
        CloseService();
    else
        RaiseLastError(platform_);
}

void TNTService::Control(TServiceControl request) {
    if (!platform_.Control(service_, ControlCode(request))) RaiseLastError(platform_);
}

TEnumList TNTService::EnumServices(TEnumStates states, TEnumKinds kinds) {
    if (!ActiveManager()) OpenManager();
    const std::uint32_t kindsMask = EnumKindsMask(kinds);
    const std::uint32_t statesMask = EnumStatesMask(states);

    // The manager hands out what fits and says how to go on: either it
    // resumes where it stopped (resume handle), or it cannot and only
    // tells the size that would hold everything; then the whole listing is
    // asked for again with a buffer of that size.
    std::vector<EnumServiceRecord> all;
    std::uint32_t bufferBytes = kEnumBufferBytes;
    std::uint32_t resume = 0;
    for (int round = 1;; ++round) {
        // A manager that keeps saying "more" must not hold the window.
        if (round > kEnumRoundLimit) throw AppError("The service manager's list of services does not end");
        std::vector<EnumServiceRecord> batch;
        std::uint32_t needed = 0;
        const std::uint32_t resumedFrom = resume;
        const bool done = platform_.EnumStatus(manager_, kindsMask, statesMask, bufferBytes, batch, needed, resume);
        const unsigned long error = done ? 0 : platform_.LastError();
        if (done || error != kMoreData) {
            if (!done) RaiseLastError(platform_);
            all.insert(all.end(), batch.begin(), batch.end());
            break;
        }
        if (resume != 0 && (!batch.empty() || resume != resumedFrom)) {
            all.insert(all.end(), batch.begin(), batch.end());
            continue;
        }
        if (resume == 0) all.clear();
        const std::uint64_t grown = needed > bufferBytes ? needed : std::uint64_t{bufferBytes} * 2;
        if (grown > kEnumBufferLimit) throw AppError(SystemErrorText(platform_, kMoreData));
        bufferBytes = static_cast<std::uint32_t>(grown);
    }

    TEnumList list;
    for (const EnumServiceRecord& record : all)
        if (!record.serviceName.empty()) CopyEntry(record, list.Add());
    return list;
}

void TNTService::ListLoadOrderGroups(std::vector<std::string>* list) {
    if (!list) return;
    RegHandle machine = nullptr;
    if (const long result = platform_.ConnectRegistry(ArgumentFor(MachineName()), machine))
        throw AppError(SystemErrorText(platform_, static_cast<unsigned long>(result)));
    const RegistryKeyGuard machineGuard(platform_, machine);
    RegHandle groups = nullptr;
    if (const long result = platform_.OpenRegistryKey(machine, kGroupOrderKey, groups))
        throw AppError(SystemErrorText(platform_, static_cast<unsigned long>(result)));
    const RegistryKeyGuard groupsGuard(platform_, groups);
    std::string block;
    // The registry answers its own result code; it does not set the last
    // error, so that code is the one reported.
    if (const long result = platform_.QueryMultiString(groups, "List", kMultiStringBytes, block))
        throw AppError(SystemErrorText(platform_, static_cast<unsigned long>(result)));
    SplitMultiString(block, block.size(), list);
}

}  // namespace vigilor
