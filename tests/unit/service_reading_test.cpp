#include <gtest/gtest.h>

#include "monitor/service_reading.h"
#include "tests/unit/fake_service_platform.h"

namespace vigilor {
namespace {

class FakeErrors : public SystemErrorSource {
public:
    unsigned long LastError() override { return 0; }
    std::string SystemMessage(unsigned long code) override {
        return code == 5 ? "Access is denied.\r\n" : "Error " + std::to_string(code) + ".\r\n";
    }
};

TEST(ServiceReading, WhyARowHasNeitherARunningNorAStoppedState) {
    using Kind = ServiceReading::Kind;
    struct Case {
        const char* name;
        const char* display;
        unsigned long managerError;
        unsigned long serviceError;
        Kind kind;
        int state;
        const char* errorText;
    } cases[] = {
        {"no such display name", "Gone", 0, 0, Kind::NotInstalled, 0, ""},
        {"manager refused", "Spooler", 5, 0, Kind::Unreadable, 0, "5: Access is denied."},
        {"manager unreachable", "Spooler", 1722, 0, Kind::Unreadable, 0, "1722: Error 1722."},
        {"service refused", "Spooler", 0, 5, Kind::Unreadable, 0, "5: Access is denied."},
        {"stop pending", "Spooler", 0, 0, Kind::State, 3, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        test::FakeServicePlatform manager;
        manager.AddService("spooler", "Spooler", 3);
        manager.openManagerError = c.managerError;
        manager.openServiceError = c.serviceError;
        ServiceSession session(manager);
        FakeErrors errors;
        const ServiceReading reading = ReadServiceRow(session, errors, "\\\\A", c.display);
        EXPECT_EQ(reading.kind, c.kind);
        EXPECT_EQ(reading.state, c.state);
        EXPECT_EQ(reading.errorText, c.errorText);
    }
}

}  // namespace
}  // namespace vigilor
