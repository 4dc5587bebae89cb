#pragma once
// The network operations a component acting on a named computer needs.
#include <optional>
#include <string>
#include <vector>

#include "platform/system_error.h"

namespace vigilor {

class NetworkPlatform : public SystemErrorSource {
public:
    // WNetAddConnection2: resource type any, no local device, no provider,
    // flags 0 (not remembered). Answers the call's result code.
    virtual unsigned long AddConnection(const std::string& remoteName, const std::string& password,
                                        const std::string& userName) = 0;
    // WNetCancelConnection2, flags 0, not forced. Answers the result code.
    virtual unsigned long CancelConnection(const std::string& remoteName) = 0;

    // One round of NetServerEnum: level 100, preferred size 8192 bytes,
    // every server type, the primary domain. The resume handle is passed in
    // and updated; the buffer is already released when this returns.
    struct BrowseRound {
        unsigned long status = 0;
        std::vector<std::string> names;
    };
    virtual BrowseRound ServerEnum(const std::string& server, unsigned long& resumeHandle) = 0;

    // GetComputerName; nullopt on failure, the reason in LastError().
    virtual std::optional<std::string> ComputerName() = 0;
};

}  // namespace vigilor
