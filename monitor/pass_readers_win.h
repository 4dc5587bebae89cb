#pragma once
// The pass's workers on the system: each reads with a service session of
// its own and checks liveness without a window.
#include <memory>

#include "monitor/pass_reads.h"
#include "services/service_platform.h"

namespace vigilor {

class SystemRowReaders : public RowReaderFactory {
public:
    explicit SystemRowReaders(ServicePlatform& services) : services_(services) {}
    std::unique_ptr<RowReader> NewReader(std::stop_token stop) override;

private:
    ServicePlatform& services_;
};

}  // namespace vigilor
