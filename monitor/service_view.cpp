#include "monitor/service_view.h"

#include "notify/local_time.h"

namespace vigilor {

std::string ConsoleStateText(const ConsoleState& state) {
    std::string text = std::string("monitoring ") + (state.monitoring ? "1" : "0") + "\r\n";
    text += "passes " + std::to_string(state.passes) + "\r\n";
    for (const std::string& line : state.reports) text += line + "\r\n";
    return text;
}

std::optional<ConsoleState> ParseConsoleState(const std::string& text) {
    std::vector<std::string> lines;
    size_t start = 0;
    for (size_t end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2)
        lines.push_back(text.substr(start, end - start));
    if (start != text.size() || lines.size() < 2) return std::nullopt;
    ConsoleState state;
    if (lines[0] != "monitoring 0" && lines[0] != "monitoring 1") return std::nullopt;
    state.monitoring = lines[0] == "monitoring 1";
    if (lines[1].rfind("passes ", 0) != 0) return std::nullopt;
    try {
        size_t used = 0;
        state.passes = std::stoull(lines[1].substr(7), &used);
        if (used != lines[1].size() - 7) return std::nullopt;
    } catch (const std::exception&) {
        return std::nullopt;
    }
    state.reports.assign(lines.begin() + 2, lines.end());
    return state;
}

void ServiceEngineView::Post(EngineEvent event) {
    std::vector<std::string> shown;
    bool show = false;
    {
        const std::lock_guard lock(mutex_);
        switch (event.kind) {
            case EngineEvent::Kind::ReportsCleared: current_.clear(); break;
            case EngineEvent::Kind::ReportLine:
                current_.push_back(event.text);
                Log(event.text);
                break;
            case EngineEvent::Kind::Error: {
                // What a user at the screen would have been told: here it
                // is a report like any other.
                const std::string line = ReportStamp(outlets_.now()) + " " + event.text;
                current_.push_back(line);
                Log(line);
                break;
            }
            case EngineEvent::Kind::AlarmsCleared:
                current_.clear();
                last_.clear();
                show = true;
                break;
            case EngineEvent::Kind::PassEnded:
                last_ = current_;
                shown = last_;
                show = true;
                break;
            default: break;
        }
        if (show) shown = last_;
    }
    if (show) outlets_.passShown(shown);
}

std::vector<std::string> ServiceEngineView::LastPassReports() const {
    const std::lock_guard lock(mutex_);
    return last_;
}

void ServiceEngineView::Log(const std::string& line) {
    try {
        log_.Append(line);
        logFailing_ = false;
    } catch (const std::exception& error) {
        if (!logFailing_) outlets_.logFailed(error.what());
        logFailing_ = true;
    }
}

}  // namespace vigilor
