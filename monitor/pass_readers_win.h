#pragma once
// The pass's workers on the system: each reads with a service session of
// its own and checks liveness without a window; and the walk's wait for
// them, which keeps the thread's windows alive.
#include <windows.h>

#include <memory>

#include "monitor/pass_reads.h"
#include "platform/handles_win.h"
#include "services/service_platform.h"

namespace vigilor {

class SystemRowReaders : public RowReaderFactory {
public:
    explicit SystemRowReaders(ServicePlatform& services) : services_(services) {}
    std::unique_ptr<RowReader> NewReader(std::stop_token stop) override;

private:
    ServicePlatform& services_;
};

class PumpingReadsWait : public ReadsWait {
public:
    PumpingReadsWait();
    void Notify() override { SetEvent(changed_.Get()); }
    // Dispatches the thread's messages while it waits.
    void Wait(const std::function<bool()>& ready) override;

private:
    KernelHandle changed_;
};

}  // namespace vigilor
