#pragma once
// Control identifiers of the main window.

namespace vigilor::main_form {

enum ControlId : int {
    kStartBtn = 2001,
    kStopBtn,
    kResetBtn,
    kSettingsBtn,
    kLabel2,
    kCmbName,
    kLogonCheckBox1,
    kAnimate1,
    kLabel3,
    kSvcMonitorList,
    kLabel4,
    kMemoPanel,
    kMemo1,
    kLabel1,
    kPZBox1,
    kP7,
    kStatusBar1,
    kGL1,
    kMonitorBtn,
    kRefreshSrvListBtn,
    kMailText,
    kAnimate2,
};

enum TimerId : unsigned {
    kDateTimer = 1,
    kGLTimer,
    kTmrWait,
    kCloseWaitTimer,
    kConsoleTimer,
};

// The engine's events are waiting for the window.
constexpr unsigned kEngineEventsMessage = 0x8001;  // WM_APP + 1
// An edit of the machine's key is stored: the service may reload it.
constexpr unsigned kReloadServiceMessage = 0x8002;  // WM_APP + 2

}  // namespace vigilor::main_form
