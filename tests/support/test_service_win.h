#pragma once
// The project's test service installed into the service manager for one
// test under a name of its own, and removed again when the test ends.
#include <windows.h>

#include <string>

namespace vigilor::test {

// A name no other test (of this or another test process) uses.
std::string UniqueServiceName(const std::string& stem);

class InstalledTestService {
public:
    // mode: the test service's command line ("run", "stop-after 500", ...).
    explicit InstalledTestService(const std::string& mode, DWORD startType = SERVICE_DEMAND_START,
                                  const std::string& displayName = "");
    // Stops the service (ending its process when it will not stop) and
    // deletes it.
    ~InstalledTestService();
    InstalledTestService(const InstalledTestService&) = delete;
    InstalledTestService& operator=(const InstalledTestService&) = delete;

    const std::string& KeyName() const { return keyName_; }
    const std::string& DisplayName() const { return displayName_; }

    // The state as the manager reports it; 0 when it cannot be read.
    DWORD State() const;
    bool WaitForState(DWORD state, DWORD timeoutMs) const;
    // Sends the start request and waits for the state.
    bool StartAndWaitFor(DWORD state, DWORD timeoutMs = 10000) const;
    bool Control(DWORD control) const;

private:
    void Remove();

    std::string keyName_;
    std::string displayName_;
    SC_HANDLE manager_ = nullptr;
    SC_HANDLE service_ = nullptr;
};

}  // namespace vigilor::test
