#pragma once
// Ten of the project's test services on this computer's manager, five
// running and five stopped, and rows naming them on any computers: under
// Wine every computer name reaches the local manager, so each test host's
// liveness is real and its services answer.
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "tests/support/test_service_win.h"

namespace vigilor {

class TestServiceRows {
public:
    static constexpr int kServices = 10;
    static constexpr int kStoppedEach = 5;

    TestServiceRows() {
        for (int i = 0; i < kServices; ++i) {
            services_.push_back(std::make_unique<test::InstalledTestService>("run"));
            if (i % 2 == 0 && !services_.back()->StartAndWaitFor(SERVICE_RUNNING))
                throw std::runtime_error("a test service did not start");
        }
    }
    // Auto and EMail "No" on every row.
    std::vector<std::string> RowsOn(const std::vector<std::string>& computers) const {
        std::vector<std::string> rows;
        for (const std::string& computer : computers)
            for (const auto& service : services_)
                rows.push_back("\\\\" + computer + "\t" + service->DisplayName() + "\tNo\tNo");
        return rows;
    }
    // Loopback stand-ins for that many hosts, which answer at once.
    static std::vector<std::string> LoopbackHosts(size_t count) {
        std::vector<std::string> hosts;
        for (size_t h = 0; h < count; ++h) hosts.push_back("127.0.0." + std::to_string(11 + h));
        return hosts;
    }

private:
    std::vector<std::unique_ptr<test::InstalledTestService>> services_;
};

}  // namespace vigilor
