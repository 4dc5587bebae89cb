#include "notify/failure_memo_win.h"

#include "platform/control_table_win.h"
#include "platform/wide_win.h"

namespace vigilor {

namespace {

constexpr COLORREF kMemoBlue = RGB(0, 128, 255);
constexpr COLORREF kMemoRed = RGB(255, 0, 0);

}  // namespace

FailureMemoControl::FailureMemoControl(HWND memo) : memo_(memo) {
    blue_.Reset(CreateSolidBrush(kMemoBlue));
    red_.Reset(CreateSolidBrush(kMemoRed));
    // The default of about 32 K characters would drop the reports of a long
    // list silently.
    SendMessageW(memo_, EM_SETLIMITTEXT, 0, 0);
}

int FailureMemoControl::DisplayedLineCount() {
    if (GetWindowTextLengthW(memo_) == 0) return 0;
    return static_cast<int>(SendMessageW(memo_, EM_GETLINECOUNT, 0, 0));
}

void FailureMemoControl::AppendLine(const std::string& line) {
    const int end = GetWindowTextLengthW(memo_);
    SendMessageW(memo_, EM_SETSEL, end, end);
    const std::wstring text = Wide((end > 0 ? "\r\n" : "") + line);
    SendMessageW(memo_, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(text.c_str()));
}

void FailureMemoControl::AppendLines(const std::vector<std::string>& lines) {
    if (lines.empty()) return;
    std::string text = lines.front();
    for (size_t i = 1; i < lines.size(); ++i) text += "\r\n" + lines[i];
    AppendLine(text);
}

std::vector<std::string> FailureMemoControl::Lines() { return MemoLines(Text()); }

std::string FailureMemoControl::Text() const { return WindowText(memo_); }

void FailureMemoControl::Clear() { SetWindowTextW(memo_, L""); }

void FailureMemoControl::SetAlarm(bool alarm) {
    alarm_ = alarm;
    InvalidateRect(memo_, nullptr, TRUE);
}

HBRUSH FailureMemoControl::Colour(HDC dc) const {
    SetTextColor(dc, RGB(255, 255, 255));
    SetBkColor(dc, alarm_ ? kMemoRed : kMemoBlue);
    return static_cast<HBRUSH>(alarm_ ? red_.Get() : blue_.Get());
}

}  // namespace vigilor
