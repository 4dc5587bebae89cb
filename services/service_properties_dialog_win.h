#pragma once
// TFrmProperty, "Service property": one service's configuration, with its
// start type, error control, service type, load-order group, account and
// password open to change; and the command that shows it for the selected
// row of the all-services list.
#include <windows.h>

#include <string>

#include "platform/handles_win.h"
#include "platform/modal_dialog_win.h"
#include "platform/user_dialogs.h"
#include "services/nt_service.h"
#include "services/service_browser_win.h"
#include "services/service_properties.h"

namespace vigilor {

class TFrmProperty : public ModalDialog {
public:
    enum ControlId : int {
        kEdtServiceName = 5001,
        kEdtDisplayName,
        kEdtBinaryFile,
        kEdStatus,
        kCmbLoadOrder,
        kEdtOrderWithinGroup,
        kMemDependencies,
        kEdtAccount,
        kEdtPassword,
        kRgpStartup = 5020,  // the group; its items follow in order
        kRgpError = 5030,
        kGrpServiceType = 5040,
        kCbxKernelDriver,
        kCbxFileDriver,
        kCbxAdapter,
        kCbxRecognizer,
        kCmbWin32Own,
        kCbxWin32Shared,
        kCbxInteractive,
        kBtnChange = 5050,
        kBtnCancel = IDCANCEL,
        kFirstLabel = 5060,  // the labels of the fields, kEdtServiceName on
    };
    static constexpr int StartupItem(int index) { return kRgpStartup + 1 + index; }
    static constexpr int ErrorItem(int index) { return kRgpError + 1 + index; }

    explicit TFrmProperty(ServiceProperties properties) : properties_(std::move(properties)) {}
    // The fields as the dialog held them when Change closed it.
    const ServiceProperties& Properties() const { return properties_; }

protected:
    Frame DialogFrame() const override { return {"Service property", 504, 469}; }
    void OnInit(HWND dialog) override;
    bool OnCommand(HWND dialog, int id, int code) override;
    INT_PTR OnMessage(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    void FormShow();
    void ReadFields();
    void edtAccountChange(int id);
    int CheckedItem(int first, int count) const;

    ServiceProperties properties_;
    HWND dialog_ = nullptr;
    GdiObject boldFont_;
};

// The "Properties" command (pop-up item, F6, double click on a row) on the
// selected row of the list; the manager's errors are raised.
void ViewProperties1Click(HWND owner, ServiceBrowserController& browser, TNTService& service, UserDialogs& dialogs,
                          const std::string& computer);

}  // namespace vigilor
