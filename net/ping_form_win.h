#pragma once
// The liveness check: the hidden modal ping window (PingTstForm) that holds
// the main window while a computer's name is looked up and one echo is sent.
#include <windows.h>

#include <string>

#include "net/ping_win.h"

namespace vigilor {

struct LivenessCheck {
    bool nameResolved = false;
    bool echoAnswered = false;
    int echoesSent = 0;
    bool Alive() const { return nameResolved && echoAnswered; }
};

class TPingTstForm {
public:
    // Longest wait for a name look-up; then the look-up is given up and
    // the computer counts as not answering.
    static constexpr DWORD kLookupTimeOutMs = 30000;

    explicit TPingTstForm(HWND owner);
    ~TPingTstForm();
    TPingTstForm(const TPingTstForm&) = delete;
    TPingTstForm& operator=(const TPingTstForm&) = delete;

    // One check of the computer of a monitored row's Server text ("\\" +
    // name): look-up and one echo request, with the window held modal. A
    // window may make any number of checks, one after another.
    LivenessCheck Check(const std::string& name);
    void SetLabel(const std::string& text);
    std::string LabelText() const;
    // Runs until a handler has closed the window (at once if one already has).
    void ShowModal();
    HWND Handle() const { return window_; }

    TPing Ping1;
    bool NameResolved = false;
    bool EchoAnswered = false;
    int EchoesSent = 0;

private:
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    void FormCreate();
    void Ping1DnsLookupDone(int error);
    void Ping1EchoReply(int replies);
    void Close() { closed_ = true; }

    HWND owner_;
    HWND window_ = nullptr;
    HWND Label1 = nullptr;
    HFONT font_ = nullptr;
    bool closed_ = false;
};


// One check of the computer of a monitored row's Server text ("\\" +
// name): look-up and one echo request. owner: the window held modal.
// Engine failures raise TICMPException.
LivenessCheck CheckMachine(const std::string& name, HWND owner);

// True when the computer resolves and answers.
bool IsMachineAlive(const std::string& name, HWND owner);

// The window's caption, to find it.
constexpr const wchar_t* kPingWindowCaption = L"Pinger";

}  // namespace vigilor
