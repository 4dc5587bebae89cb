#pragma once
// The network operations of the connection base on the real system.
#include "net/network_platform.h"
#include "platform/system_error_win.h"

namespace vigilor {

class Win32NetworkPlatform : public NetworkPlatform {
public:
    unsigned long AddConnection(const std::string& remoteName, const std::string& password,
                                const std::string& userName) override;
    unsigned long CancelConnection(const std::string& remoteName) override;
    BrowseRound ServerEnum(const std::string& server, unsigned long& resumeHandle) override;
    std::optional<std::string> ComputerName() override;
    unsigned long LastError() override { return errors_.LastError(); }
    std::string SystemMessage(unsigned long code) override { return errors_.SystemMessage(code); }

private:
    Win32SystemErrors errors_;
};

// The one instance the program's components share.
Win32NetworkPlatform& SystemNetwork();

}  // namespace vigilor
