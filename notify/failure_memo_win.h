#pragma once
// The failure-report memo of the main window: a read-only edit control,
// white on blue, or on red while there is an alarm.
#include <windows.h>

#include <string>
#include <vector>

#include "notify/failure_reports.h"
#include "platform/handles_win.h"

namespace vigilor {

class FailureMemoControl : public FailureMemo {
public:
    // memo: the edit control, made by its owner.
    explicit FailureMemoControl(HWND memo);

    int DisplayedLineCount() override;
    void AppendLine(const std::string& line) override;
    // One change of the control, whose every change costs what it holds.
    void AppendLines(const std::vector<std::string>& lines) override;
    std::vector<std::string> Lines() override;

    std::string Text() const;
    void Clear();
    void SetAlarm(bool alarm);
    bool InAlarm() const { return alarm_; }
    // The owner's answer to the control's WM_CTLCOLORSTATIC.
    HBRUSH Colour(HDC dc) const;

private:
    HWND memo_;
    bool alarm_ = false;
    GdiObject blue_;
    GdiObject red_;
};

}  // namespace vigilor
