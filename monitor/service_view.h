#pragma once
// The monitoring engine's view in the Windows service, where nobody looks:
// every failure report goes to the log file, and the reports of each pass
// that has ended are handed on for the window that serves as the service's
// console.
#include <cstdint>
#include <functional>
#include <optional>
#include <mutex>
#include <string>
#include <vector>

#include "monitor/monitor_engine.h"
#include "notify/rotating_log.h"

namespace vigilor {

// What the service tells the window that serves as its console, in the
// file it rewrites after every pass and change of state.
struct ConsoleState {
    bool monitoring = false;
    std::uint64_t passes = 0;
    std::vector<std::string> reports;  // of the last pass, time-stamped
    bool operator==(const ConsoleState&) const = default;
};
std::string ConsoleStateText(const ConsoleState& state);
// nullopt for a text that is not one (half written, or not ours).
std::optional<ConsoleState> ParseConsoleState(const std::string& text);

class ServiceEngineView : public EngineView {
public:
    struct Outlets {
        std::function<LocalTime()> now;
        // The reports of the pass that has just ended, or none after a reset.
        std::function<void(const std::vector<std::string>& reports)> passShown;
        // The log refused a line: said elsewhere, once until it takes lines again.
        std::function<void(const std::string& error)> logFailed;
    };
    ServiceEngineView(RotatingLog& log, Outlets outlets) : log_(log), outlets_(std::move(outlets)) {}

    void Post(EngineEvent event) override;
    std::vector<std::string> LastPassReports() const;

private:
    void Log(const std::string& line);

    RotatingLog& log_;
    Outlets outlets_;
    mutable std::mutex mutex_;
    std::vector<std::string> current_;
    std::vector<std::string> last_;
    bool logFailing_ = false;
};

}  // namespace vigilor
