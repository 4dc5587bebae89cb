#include "maint/print_command_win.h"

#include <commdlg.h>

#include <algorithm>

#include "maint/report_device_win.h"
#include "notify/notification_channels_win.h"
#include "platform/app_error.h"
#include "platform/handles_win.h"
#include "platform/report_error_win.h"
#include "platform/system_info_win.h"
#include "services/service_platform_win.h"
#include "services/service_utils.h"

namespace vigilor {

namespace {

// Global memory locked for as long as it is read.
class LockedMemory {
public:
    explicit LockedMemory(HGLOBAL memory) : memory_(memory), data_(memory ? GlobalLock(memory) : nullptr) {}
    ~LockedMemory() {
        if (data_) GlobalUnlock(memory_);
    }
    LockedMemory(const LockedMemory&) = delete;
    LockedMemory& operator=(const LockedMemory&) = delete;
    template <typename T>
    const T* As() const {
        return static_cast<const T*>(data_);
    }

private:
    HGLOBAL memory_;
    void* data_;
};

class WindowsReportSystem : public ReportSystem {
public:
    explicit WindowsReportSystem(HWND owner) : owner_(owner) {}

    std::string ServiceKeyName(const std::string& machine, const std::string& displayName) override {
        return vigilor::ServiceKeyName(SystemServices(), machine, displayName);
    }
    std::string WindowsUserName() override { return CurrentUserName(); }
    LocalTime Now() override { return CurrentLocalTime(); }
    void ShowPrinterError(const std::string& text) override { ReportError(owner_, text); }

    std::optional<int> ChoosePrinter() override {
        PRINTDLGW dialog{};
        dialog.lStructSize = sizeof dialog;
        dialog.hwndOwner = owner_;
        dialog.Flags = PD_HIDEPRINTTOFILE | PD_NOPAGENUMS | PD_NOSELECTION;
        dialog.nCopies = 1;
        const BOOL chosen = PrintDlgW(&dialog);
        devMode_.Reset(dialog.hDevMode);
        devNames_.Reset(dialog.hDevNames);
        if (!chosen) {
            if (const DWORD code = CommDlgExtendedError())
                throw AppError("The print dialog failed (" + std::to_string(code) + ").");
            return std::nullopt;
        }
        // The count is ours to print unless the dialog left it with the
        // driver; either way each copy becomes a report of its own.
        int copies = dialog.nCopies;
        LockedMemory settings(devMode_.Get());
        if (const auto* mode = settings.As<DEVMODEW>(); mode && (mode->dmFields & DM_COPIES))
            copies = std::max<int>(copies, mode->dmCopies);
        return std::max(copies, 1);
    }

    std::unique_ptr<ReportDevice> OpenPrinter() override {
        LockedMemory names(devNames_.Get());
        const auto* header = names.As<DEVNAMES>();
        if (!header) throw AppError("No printer was chosen.");
        const auto* text = reinterpret_cast<const wchar_t*>(header);
        LockedMemory settings(devMode_.Get());
        std::vector<BYTE> mode;
        if (const auto* source = settings.As<DEVMODEW>()) {
            const auto* bytes = reinterpret_cast<const BYTE*>(source);
            mode.assign(bytes, bytes + source->dmSize + source->dmDriverExtra);
        }
        return std::make_unique<GdiReportDevice>(text + header->wDriverOffset, text + header->wDeviceOffset,
                                                 text + header->wOutputOffset, std::move(mode));
    }

private:
    HWND owner_;
    GlobalMemory devMode_;
    GlobalMemory devNames_;
};

}  // namespace

void FilePrintCmdExecute(HWND owner, ReportHost& host) {
    WindowsReportSystem system(owner);
    FilePrintCmdExecute(host, system);
}

}  // namespace vigilor
