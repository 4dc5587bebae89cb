#include "monitor/service_view.h"

#include "notify/local_time.h"

namespace vigilor {

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
