#pragma once
// The main window as the console of the Windows service "Vigilor": when the
// service is installed and running, the window shows its monitoring state
// and the failure reports of its last pass, and sends it the commands
// (Start and Stop as continue and pause, F9 as 128, Reset as 129, an edit
// of the machine's settings key as 130). Without administrator rights it
// shows and sends nothing but reads on.
#include <windows.h>

#include "monitor/monitor_engine.h"
#include "monitor/service_view.h"

namespace vigilor {

class ServiceConsole : public Monitoring {
public:
    // Whether the service is installed here and running or paused.
    static bool ServiceIsUp();

    // reloadMessage: posted to the window after an edit; the window's
    // handler calls SendReload once the edit is stored.
    ServiceConsole(HWND window, UINT reloadMessage);

    // Administrator rights: the machine's key may be written and the
    // service controlled.
    bool MayChange() const { return mayChange_; }
    // Reads what the service says now; true when it differs from what was
    // read before.
    bool Poll();
    const ConsoleState& Shown() const { return shown_; }
    void SendReload();

    StartAnswer Start(Attendance attendance) override;
    void Stop() override;
    void Reset() override;
    bool ForceCheck(Attendance attendance = Attendance::Attended) override;
    void SettingsChanged(ProgramSettings settings) override;
    void ListChanged(std::vector<std::string> rows) override;
    EngineState State() const override;

private:
    bool Send(DWORD control);

    HWND window_;
    UINT reloadMessage_;
    bool mayChange_ = false;
    DWORD serviceState_ = 0;
    ConsoleState shown_;
};

// Says why the window cannot change the service's settings.
constexpr const char* kConsoleReadOnly =
    "Vigilor runs as a service here: only an administrator may change its settings or control it";

}  // namespace vigilor
