#pragma once
// The properties command of the all-services list: what the dialog shows of
// one service's configuration, and how a confirmed change goes back to the
// manager, one full write per changed field, in a fixed order.
#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "platform/user_dialogs.h"
#include "services/nt_service.h"
#include "services/service_types.h"

namespace vigilor {

// edtPassword shows this in place of the password, which cannot be read.
inline constexpr const char kPasswordPlaceholder[] = "****************";
inline constexpr const char kChangeWarning[] =
    "Are you sure to change service properties?. It may cause system damage !";

// The radio items, at the positions of TStartType and TErrorType.
inline constexpr std::array<const char*, 5> kStartupItems{"Boot ", "SystemStart", "Automatic ", "Manual",
                                                          "Disabled"};
inline constexpr std::array<const char*, 4> kErrorItems{"Ignore", "Normal", "Severe", "Critical"};

struct ServiceTypeBox {
    TServiceType type;
    const char* caption;
};
inline constexpr std::array<ServiceTypeBox, 7> kServiceTypeBoxes{{
    {TServiceType::KERNEL_DRIVER, "Kernel driver"},
    {TServiceType::FILE_SYSTEM_DRIVER, "File system driver"},
    {TServiceType::ADAPTER, "Adapter"},
    {TServiceType::RECOGNIZER_DRIVER, "Recognizer driver"},
    {TServiceType::WIN32_OWN_PROCESS, "Win32 own process"},
    {TServiceType::WIN32_SHARE_PROCESS, "Win32 shared process"},
    {TServiceType::INTERACTIVE_PROCESS, "Interactive process"},
}};

// The fields of the dialog: filled from the service, and read back from
// the dialog when it closes with Change.
struct ServiceProperties {
    std::string computer;     // whose manager is asked: "\\" + name
    std::string serviceName;  // key name, the one the change is written to
    std::string displayName;
    std::string binaryFile;
    std::string statusText;  // the row's state text, leading blank kept
    std::vector<std::string> loadOrderGroups;
    std::string loadOrder;
    std::string orderWithinGroup;
    std::vector<std::string> dependencies;
    std::string account;
    std::string password = kPasswordPlaceholder;
    int startup = -1;       // selected radio item; -1: none
    int errorControl = -1;  // selected radio item; -1: none
    TServiceTypes serviceType;
    // Set by the user's typing only, never by the filling.
    bool accountEdited = false;
    bool passwordEdited = false;
};

// Shown in blue when the state text, trimmed, is "Running"; red otherwise.
bool ShowsRunning(const std::string& statusText);

// Reads the service's configuration with the right to read it only. The
// computer's load-order groups are left out when they cannot be read. The
// component is closed again, also when the read fails.
ServiceProperties ReadServiceProperties(TNTService& service, const std::string& computer,
                                        const std::string& keyName, const std::string& statusText);

// Opens the service with every right and sets the properties in order:
// type, start type, error control, file, display name, group,
// dependencies (always written), then password and account when either was
// edited. A password is sent only when its own field was edited; the
// placeholder never is. A refused write stops the sequence with the
// manager's text; the component is closed either way.
void WriteServiceProperties(TNTService& service, const ServiceProperties& properties);

// The lines of a memo's text: CR LF, LF or CR end a line, and a break at
// the end adds no empty line.
std::vector<std::string> TextLines(std::string_view text);
// The other way, for filling a memo.
std::string JoinLines(const std::vector<std::string>& lines);

// What the command needs of the window.
class ServicePropertiesHost {
public:
    virtual ~ServicePropertiesHost() = default;
    // Shows the dialog modally; true when it closed with Change, the
    // properties then holding the dialog's fields.
    virtual bool EditProperties(ServiceProperties& properties) = 0;
    // Reloads the all-services list, with the find-folder animation running.
    virtual void ReloadServices() = 0;
};

// The whole command: read, show, warn, write, reload. Errors of the manager
// are raised to the caller; after a refused write the list is not reloaded.
void ViewServiceProperties(TNTService& service, ServicePropertiesHost& host, UserDialogs& dialogs,
                           const std::string& computer, const std::string& keyName, const std::string& statusText);

}  // namespace vigilor
