#pragma once
// A check pass's host with the window, the mail and the restarts left out,
// for benchmarks that time the pass alone. Host is PassHost, or
// CheckPassHost for the pass that reads every row in its turn; what a
// benchmark wants to see (the key names, the reports) it overrides.
#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

#include "monitor/check_pass.h"

namespace vigilor {

template <class Host>
class QuietPassHost : public Host {
public:
    QuietPassHost() {
        settings_.notifyByMail = false;
        settings_.screenNotify = false;
    }
    const ProgramSettings& Settings() override { return settings_; }
    bool ServiceStartAndWait(const std::string&, const std::string&) override { return false; }
    void ReleasePassResources() override {}
    void ClearFailureReports() override {}
    void AppendFailureReport(const std::string&) override {}
    void ShowStatus(const std::string&) override {}
    void ShowAlarm() override {}
    void ShowAllClear() override {}
    void ShowProgress(int) override {}
    void SetProgress(int) override {}
    void HideProgress() override {}
    void SetCursor(ScreenCursor) override {}
    void ReloadAllServices() override {}
    void SendFailureAlert(const std::string&, const std::string&) override {}
    void SendRestartNotice(const std::string&, const std::string&) override {}
    void SendScreenMessage(const std::string&, const std::string&) override {}
    void SendAlert(const AlertMessage&) override {}
    void WithdrawAlert(const std::string&) override {}
    RowMemory& Memory() override { return memory_; }
    PassRecord& Record() override { return record_; }
    std::int64_t MonotonicSeconds() override {
        return std::chrono::duration_cast<std::chrono::seconds>(std::chrono::steady_clock::now().time_since_epoch())
            .count();
    }
    LocalTime Now() override { return {}; }
    void WriteStatusPage(const std::string&, const std::vector<std::string>&) override {}
    std::optional<MonitoredService> CurrentRow(const MonitoredService& row) override { return row; }
    bool Alerted(const std::string&) override { return false; }
    void ReportRowError(const std::string&) override {}

private:
    ProgramSettings settings_;
    RowMemory memory_;
    PassRecord record_;
};

}  // namespace vigilor
