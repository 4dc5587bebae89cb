#pragma once
// Drives the "ALL SERVICES" list of the main window: fills the list view,
// sets the label, rewrites the pop-up menu for the selected service, and
// carries out its start and stop commands.
//
// Wiring, for the main window:
//   - Construct once the controls exist, with the list view (SvcMonitorList,
//     report style, its three columns made by the window), the label
//     (Label3), the "AllServices" pop-up menu (the one holding
//     IDM_START_SERVICE, IDM_STOP_SERVICE and IDM_ADD_TO_MONITOR), the
//     window's NTService component and a ServiceBrowserHost.
//   - Reload(): when first shown, after a change of computer, on F5 and
//     Refresh (through Refresh()), when tmrWait fires; Reload(FindFolder)
//     after the properties dialog has written a change.
//   - SelectionChanged(): on a click in the list, also on the row already
//     selected (it may also run on every selection change; it only rewrites
//     texts and enabling).
//   - StartSelected() / StopSelected(): IDM_START_SERVICE (F3) and
//     IDM_STOP_SERVICE (F4); each does nothing when the selected row's state
//     rules it out, as the menu would grey it.
//   - Add to Monitor List takes field 1 of the selected row:
//     SelectedDisplayName(); Properties takes SelectedKeyName().
// Reload, StartSelected, StopSelected and SelectedKeyName raise AppError
// with the manager's text; the caller lets it reach the application's error
// box. They tidy up first (cursor, animation, status text, open handles).
#include <windows.h>

#include <optional>
#include <string>

#include "services/nt_service.h"
#include "services/service_browser.h"

namespace vigilor {

// The clip that plays while the list loads: the search for a computer, or
// the search in a folder after a service's properties have changed.
enum class LoadClip { SearchComputer, FindFolder };

// What the controller needs of the main window.
class ServiceBrowserHost {
public:
    virtual ~ServiceBrowserHost() = default;
    // "\\" + name of the computer whose services are listed.
    virtual std::string SelectedComputer() = 0;
    // The status-bar message (seven blanks + text), repainted at once;
    // empty text clears it.
    virtual void ShowStatus(const std::string& text) = 0;
    // The same panel text without the forced repaint.
    virtual void ShowStatusQuietly(const std::string& text) = 0;
    // The "Error" box.
    virtual void ShowError(const std::string& text) = 0;
    // The clip's animation (Animate1 for the search for a computer,
    // Animate2 for the find-folder clip) shown and playing (true) or
    // hidden and stopped (false).
    virtual void ShowLoadAnimation(LoadClip clip, bool running) = 0;
    // Shows and plays Animate1 and switches tmrWait on unless it runs
    // already; when it fires the window calls Reload() and hides Animate1.
    virtual void StartWaitAnimation() = 0;
};

class ServiceBrowserController {
public:
    ServiceBrowserController(HWND list, HWND label, HMENU popup, TNTService& service, ServiceBrowserHost& host);
    ~ServiceBrowserController();
    ServiceBrowserController(const ServiceBrowserController&) = delete;
    ServiceBrowserController& operator=(const ServiceBrowserController&) = delete;

    // Loads the services of the selected computer again, keeping the
    // selected row when it still exists; the clip plays meanwhile.
    void Reload(LoadClip clip = LoadClip::SearchComputer);
    // Reload, unless no computer is selected.
    void Refresh();
    // Captions and enabling of the pop-up menu and the status text for the
    // selected row; nothing without a selection.
    void SelectionChanged();
    // Starts the selected service without waiting for it, or shows the
    // refusal for a disabled one; the reload 2000 ms later shows the state.
    void StartSelected();
    // Sends the stop request to the selected service.
    void StopSelected();

    // -1 when no row is selected.
    int SelectedIndex() const;
    // Field 1 of the selected row (the display name, untrimmed).
    std::optional<std::string> SelectedDisplayName() const;
    // The snapshot's key name for the selected row.
    std::string SelectedKeyName() const;

    const ServiceBrowser& Model() const { return browser_; }
    HMENU Popup() const { return popup_; }
    // True while Reload() fills the list: its selection is not the user's.
    bool Reloading() const { return reloading_; }


private:
    void FillList();
    void Select(int index);
    void SetMenuItem(UINT command, const std::string& caption, const wchar_t* shortcut, bool enabled);
    // The list's own messages: only the "Description" column may be resized.
    static LRESULT CALLBACK ListProcedure(HWND list, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                          DWORD_PTR data);

    HWND list_;
    HWND label_;
    HMENU popup_;
    ServiceBrowserHost& host_;
    ServiceBrowser browser_;
    bool reloading_ = false;
};

}  // namespace vigilor
