#include "tests/support/window_watch_win.h"

#include <algorithm>

#include "platform/control_table_win.h"
#include "platform/wide_win.h"

namespace vigilor::test {

namespace {

thread_local TopLevelWindowWatch* t_watch = nullptr;

std::string ClassOf(HWND window) {
    wchar_t name[256] = {};
    GetClassNameW(window, name, 256);
    return Narrow(name);
}

}  // namespace

TopLevelWindowWatch::TopLevelWindowWatch() {
    t_watch = this;
    activations_ = SetWindowsHookExW(WH_CBT, Activations, nullptr, GetCurrentThreadId());
    messages_ = SetWindowsHookExW(WH_CALLWNDPROC, Messages, nullptr, GetCurrentThreadId());
}

TopLevelWindowWatch::~TopLevelWindowWatch() {
    if (activations_) UnhookWindowsHookEx(activations_);
    if (messages_) UnhookWindowsHookEx(messages_);
    t_watch = nullptr;
}

std::vector<std::string> TopLevelWindowWatch::OtherThan(const std::vector<std::string>& classes) const {
    std::vector<std::string> others;
    for (const Seen& s : seen_)
        if (std::find(classes.begin(), classes.end(), s.windowClass) == classes.end())
            others.push_back(s.event + " " + s.windowClass + " \"" + s.title + "\"");
    return others;
}

LRESULT CALLBACK TopLevelWindowWatch::Activations(int code, WPARAM wParam, LPARAM lParam) {
    TopLevelWindowWatch* watch = t_watch;
    if (watch && code == HCBT_ACTIVATE) {
        const auto window = reinterpret_cast<HWND>(wParam);
        watch->seen_.push_back({"activated", ClassOf(window), WindowText(window)});
        if (watch->seen_.back().windowClass == "#32770") PostMessageW(window, WM_COMMAND, IDOK, 0);
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

LRESULT CALLBACK TopLevelWindowWatch::Messages(int code, WPARAM wParam, LPARAM lParam) {
    TopLevelWindowWatch* watch = t_watch;
    const CWPSTRUCT& message = *reinterpret_cast<CWPSTRUCT*>(lParam);
    if (watch && code == HC_ACTION && message.message == WM_SHOWWINDOW && message.wParam &&
        !(GetWindowLongW(message.hwnd, GWL_STYLE) & WS_CHILD))
        watch->seen_.push_back({"shown", ClassOf(message.hwnd), WindowText(message.hwnd)});
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

}  // namespace vigilor::test
