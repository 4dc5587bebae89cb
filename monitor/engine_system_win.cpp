#include "monitor/engine_system_win.h"

#include <objbase.h>

#include "monitor/metrics_output_win.h"
#include "monitor/status_page_writer_win.h"
#include "notify/smtp_socket_win.h"
#include "platform/app_error.h"
#include "services/service_platform_win.h"

namespace vigilor {

WindowsEngineSystem::WindowsEngineSystem(std::function<std::unique_ptr<KeyValueStore>()> openStore)
    : openStore_(std::move(openStore)),
      mail_(MakeSmtpClient()),
      readers_(SystemServices()),
      cancel_(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {
    if (!cancel_) throw AppError("Cannot create an event, error #" + std::to_string(GetLastError()));
}

WindowsEngineSystem::~WindowsEngineSystem() = default;

ServicePlatform& WindowsEngineSystem::Services() { return SystemServices(); }

bool WindowsEngineSystem::PauseForRestart(std::uint32_t milliseconds) { return PauseHandlingMessages(milliseconds); }

void WindowsEngineSystem::WriteStatusPage(const std::string& path, const std::vector<std::string>& lines) {
    vigilor::WriteStatusPage(path, lines);
}

void WindowsEngineSystem::WriteMetricsFile(const std::string& path, const std::string& text) {
    vigilor::WriteMetricsFile(path, text);
}

void WindowsEngineSystem::ThreadBegins() {
    cancelScope_ = std::make_unique<ThreadWaitsCanceledBy>(cancel_.Get());
    // The shell's launch of a document wants the thread in an apartment.
    comReady_ = SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE));
}

void WindowsEngineSystem::ThreadEnds() {
    if (comReady_) CoUninitialize();
    comReady_ = false;
    cancelScope_.reset();
}

}  // namespace vigilor
