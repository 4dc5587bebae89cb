#include "app/application_win.h"

#include "app/service_console_win.h"
#include "app/service_main_win.h"
#include "config/machine_key_win.h"

#include <windows.h>

#include "app/instance_guard_win.h"
#include "app/main_form_win.h"
#include "app/splash_win.h"
#include "config/registry_store_win.h"
#include "maint/version_info_win.h"
#include "platform/message_boxes_win.h"
#include "platform/report_error_win.h"
#include "platform/system_info_win.h"

namespace vigilor {

namespace {

std::string FileNameOf(const std::string& path) {
    const size_t slash = path.find_last_of("\\/");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string WithExtension(const std::string& path, const std::string& extension) {
    const size_t dot = path.find_last_of('.');
    const size_t slash = path.find_last_of("\\/");
    const bool hasExtension = dot != std::string::npos && (slash == std::string::npos || dot > slash);
    return (hasExtension ? path.substr(0, dot) : path) + extension;
}

}  // namespace

int RunApplication(const std::vector<std::string>& arguments) {
    // A drive or file that is not there fails the call that wanted it,
    // instead of asking in a system box that an unattended monitor would
    // leave waiting.
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
    MessageBoxDialogs dialogs;
    if (!IsWindowsNT()) {
        dialogs.Show("We are really sorry but Vigilor only works under Windows NT (see Readme_Win95.Txt)", "Error",
                     BoxIcon::Error, BoxButtons::Ok, false);
        return 1;
    }
    const std::string programPath = ProgramFilePath();
    const std::string versionText = VersionText(ReadVersionRecord(programPath));
    // The service is a process of its own, beside any user's window.
    if (ServiceRequested(arguments)) return RunService(versionText);

    const InstanceGuard guard(FileNameOf(programPath));
    if (guard.AnotherInstanceRuns()) {
        InstanceGuard::BringRunningInstanceForward();
        return 0;
    }
    const HWND splash = ShowSplash(WithExtension(programPath, ".bmp"));

    MainFormSystem system;
    // Where the service monitors, the window is its console, on its key.
    const bool console = ServiceConsole::ServiceIsUp();
    MainFormContext context{dialogs, system,
                            console ? std::function<std::unique_ptr<KeyValueStore>()>(OpenMachineStore)
                                    : [] { return std::make_unique<RegistryStore>(); },
                            versionText, arguments};
    context.serviceConsole = console;
    const int result = RunMainWindow(std::move(context),
                                     [&](HWND window) { dialogs.SetOwner(window); },
                                     [&](HWND) { RaiseSplash(splash); });
    return result;
}

int RunMainWindow(MainFormContext context, const std::function<void(HWND)>& created,
                  const std::function<void(HWND)>& shown) {
    TMainForm form(std::move(context));
    // Without its window the program can do nothing; running on hidden
    // would only hold the one-instance lock against every later start.
    if (!ReportingErrors(nullptr, false, [&] {
            form.Create();
            return true;
        }))
        return 1;
    if (created) created(form.Handle());
    // Once the window is up, a failure while it is first shown leaves it
    // working.
    ReportingErrors(form.Handle(), [&] { form.Show(SW_SHOWNORMAL); });
    if (shown) shown(form.Handle());

    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) HandleQueuedMessage(form, message);
    return 0;
}

void HandleQueuedMessage(TMainForm& form, MSG& message) {
    // A key that failed has been acted upon all the same: it is not passed on.
    if (ReportingErrors(form.Handle(), true, [&] { return form.PreTranslateMessage(message); })) return;
    TranslateMessage(&message);
    DispatchMessageW(&message);
}

}  // namespace vigilor
