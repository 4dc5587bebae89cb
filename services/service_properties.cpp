#include "services/service_properties.h"

#include <exception>

#include "platform/app_error.h"
#include "platform/text.h"
#include "services/then_close.h"

namespace vigilor {

namespace {

using enum TDesiredManagerAccess;
using enum TDesiredServiceAccess;

}  // namespace

bool ShowsRunning(const std::string& statusText) { return Trim(statusText) == "Running"; }

ServiceProperties ReadServiceProperties(TNTService& service, const std::string& computer,
                                        const std::string& keyName, const std::string& statusText) {
    ServiceProperties properties;
    properties.computer = computer;
    properties.statusText = statusText;
    properties.serviceName = keyName;
    service.SetMachineName(computer);
    service.SetServiceName(keyName);
    service.SetManagerAccess({M_CONNECT});
    service.SetServiceAccess({S_QUERY_CONFIG});
    ThenClose(service, [&] {
        service.SetActiveManager(true);
        service.SetActiveService(true);
        properties.displayName = service.DisplayName();
        properties.binaryFile = service.BinaryPathName();
        try {
            service.ListLoadOrderGroups(&properties.loadOrderGroups);
        } catch (const std::exception&) {
            // A computer whose registry cannot be read still has its
            // service shown, with an empty list of groups.
            properties.loadOrderGroups.clear();
        }
        properties.loadOrder = service.LoadOrder();
        properties.orderWithinGroup = std::to_string(service.TagId());
        properties.dependencies = service.Dependencies();
        properties.account = service.ServiceStartName();
        properties.password = kPasswordPlaceholder;
        properties.startup = static_cast<int>(service.StartType());
        properties.errorControl = static_cast<int>(service.ErrorControl());
        properties.serviceType = service.ServiceType();
    });
    return properties;
}

void WriteServiceProperties(TNTService& service, const ServiceProperties& properties) {
    service.SetMachineName(properties.computer);
    service.SetServiceName(properties.serviceName);
    service.SetManagerAccess({M_CONNECT, M_MODIFY_BOOT_CONFIG});
    service.SetServiceAccess({S_ALL_ACCESS});
    ThenClose(service, [&] {
        // Opening reads the service afresh: only what differs from the
        // service's current values is written.
        service.SetActiveManager(true);
        service.SetActiveService(true);
        service.SetServiceType(properties.serviceType);
        if (properties.startup >= 0 && properties.startup < static_cast<int>(kStartupItems.size()))
            service.SetStartType(static_cast<TStartType>(properties.startup));
        if (properties.errorControl >= 0 && properties.errorControl < static_cast<int>(kErrorItems.size()))
            service.SetErrorControl(static_cast<TErrorType>(properties.errorControl));
        service.SetBinaryPathName(properties.binaryFile);
        service.SetDisplayName(properties.displayName);
        service.SetLoadOrder(properties.loadOrder);
        service.SetDependencies(properties.dependencies);
        if (!properties.accountEdited && !properties.passwordEdited) return;
        // A password field left as it was filled still shows the
        // placeholder, not a password; sending none keeps the stored one.
        if (properties.passwordEdited && properties.password != kPasswordPlaceholder)
            service.SetPassword(properties.password);
        service.SetServiceStartName(properties.account);
    });
}

std::vector<std::string> TextLines(std::string_view text) {
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find_first_of("\r\n", start);
        if (end == std::string_view::npos) {
            lines.emplace_back(text.substr(start));
            break;
        }
        lines.emplace_back(text.substr(start, end - start));
        if (text[end] == '\r' && end + 1 < text.size() && text[end + 1] == '\n') ++end;
        start = end + 1;
    }
    return lines;
}

std::string JoinLines(const std::vector<std::string>& lines) {
    std::string text;
    for (size_t i = 0; i < lines.size(); ++i) {
        if (i > 0) text += "\r\n";
        text += lines[i];
    }
    return text;
}

void ViewServiceProperties(TNTService& service, ServicePropertiesHost& host, UserDialogs& dialogs,
                           const std::string& computer, const std::string& keyName, const std::string& statusText) {
    ServiceProperties properties = ReadServiceProperties(service, computer, keyName, statusText);
    if (!host.EditProperties(properties)) return;
    if (dialogs.Show(kChangeWarning, "Warning", BoxIcon::Question, BoxButtons::OkCancel, true) != BoxAnswer::Ok)
        return;
    WriteServiceProperties(service, properties);
    host.ReloadServices();
}

}  // namespace vigilor
