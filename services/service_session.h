#pragma once
// The service queries of one check pass, with the answers of the stand-alone
// utilities (service_utils.h) at a fraction of their cost: each computer's
// service manager is opened once and kept until the session ends, and the
// service handle of the latest query is kept for the next query of the
// same service until CloseKeptService. A call that fails on a kept handle because the connection
// to the computer dropped opens the manager afresh and is made once more.
#include <map>
#include <string>

#include "services/scoped_sc_handle.h"
#include "services/service_utils.h"

namespace vigilor {

class ServiceSession {
public:
    // pause: how StartAndWait passes the time between polls (see
    // StartAndWaitOn).
    explicit ServiceSession(ServicePlatform& platform, StartWaitLimits limits = {}, PollPause pause = {});
    ServiceSession(const ServiceSession&) = delete;
    ServiceSession& operator=(const ServiceSession&) = delete;
    // Closes the kept service handle, then every kept manager.
    ~ServiceSession();

    std::string KeyName(const std::string& machine, const std::string& displayName);
    int CurrentState(const std::string& machine, const std::string& keyName);
    bool IsRunning(const std::string& machine, const std::string& keyName);
    bool IsStopped(const std::string& machine, const std::string& keyName);
    bool StartAndWait(const std::string& machine, const std::string& keyName);
    // Closes the kept service handle; the managers stay.
    void CloseKeptService();
    // The system's error code of the latest KeyName that found no name or
    // CurrentState that read no state.
    unsigned long LastFailure() const { return lastFailure_; }

    // Errors after which a kept handle is worth nothing: the computer's
    // manager went away or restarted.
    static bool ConnectionDropped(unsigned long error);

private:
    // The kept manager of the machine, opened when there is none; fresh
    // tells whether it was opened by this call.
    ScHandle Manager(const std::string& machine, bool& fresh);
    void Forget(const std::string& machine);
    // Runs call on the machine's manager; when it fails on a kept manager
    // because the connection dropped, once more on a fresh one.
    // Notes the platform's last error as the reason of a failed query.
    int StateFailed();
    template <typename Call>
    auto OnManager(const std::string& machine, Call call) -> decltype(call(ScHandle{}));

    struct KeptService {
        std::string machine;
        std::string keyName;
        ScopedScHandle handle;
    };

    ServicePlatform& platform_;
    StartWaitLimits limits_;
    PollPause pause_;
    std::map<std::string, ScopedScHandle> managers_;
    KeptService service_;
    unsigned long lastFailure_ = 0;
};

}  // namespace vigilor
