#include "net/nt_persistent.h"

#include "net/network_error_text.h"
#include "platform/app_error.h"
#include "platform/text.h"

namespace vigilor {

namespace {
constexpr unsigned long kSessionCredentialConflict = 1219;
constexpr unsigned long kMoreData = 234;
constexpr int kBrowseRoundLimit = 1024;
}  // namespace

void TNTPersistent::SetMachineName(const std::string& name) {
    if (name == machineName_) return;
    Disconnect();
    machineName_ = name;
    Connect();
}

bool TNTPersistent::NeedsConnection() {
    const std::string machine = Trim(machineName_);
    if (machine.empty()) return false;
    if (Trim(logonAs_.UserName).empty() && Trim(logonAs_.Password).empty()) return false;
    return machine != Trim(LocalComputerName());
}

void TNTPersistent::Connect() {
    if (!NeedsConnection()) return;
    const std::string share = IpcShare();
    if (network_.AddConnection(share, logonAs_.Password, logonAs_.UserName) == kSessionCredentialConflict) {
        network_.CancelConnection(share);
        network_.AddConnection(share, logonAs_.Password, logonAs_.UserName);
    }
}

void TNTPersistent::Disconnect() {
    if (NeedsConnection()) network_.CancelConnection(IpcShare());
}

std::vector<std::string> TNTPersistent::ServerList(const std::string& server) {
    std::vector<std::string> list;
    unsigned long resume = 0;
    int rounds = 0;
    do {
        // A browser that keeps saying "more" must not hold the window.
        if (++rounds > kBrowseRoundLimit) throw AppError("The network's computer list does not end");
        NetworkPlatform::BrowseRound round = network_.ServerEnum(server, resume);
        if (round.status != 0 && round.status != kMoreData) throw AppError(NetworkErrorText(network_, round.status));
        if (round.names.empty()) break;
        for (const std::string& name : round.names) list.push_back("\\\\" + name);
    } while (resume != 0);
    return list;
}

std::string TNTPersistent::LocalComputerName() {
    if (auto name = network_.ComputerName()) return *name;
    throw AppError(SystemErrorText(network_, network_.LastError()));
}

}  // namespace vigilor
