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
    kMonitorTimer,
};

}  // namespace vigilor::main_form
