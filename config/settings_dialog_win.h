#pragma once
// TeMailConfig, "Vigilor Settings": the check interval, the restart alert,
// the notification
// switch and method, the e-mail account and recipients, the screen-message
// recipient, the program launched on a failure, the HTML status page and
// the metrics file, with a test for each way of notifying.
#include <memory>
#include <string>

#include "config/settings_form.h"
#include "notify/alert_host.h"
#include "notify/smtp_client.h"
#include "platform/file_chooser.h"
#include "platform/modal_dialog_win.h"
#include "platform/user_dialogs.h"

namespace vigilor {

class TeMailConfig : public ModalDialog {
public:
    enum ControlId : int {
        kCheckBox1 = 4001,
        kRadioButton1,
        kRadioButton2,
        kPageControl1,
        kApplyBtn,
        kCancelBtn = IDCANCEL,
        kIntervalLabel = 4010,
        kEdScanInterval,
        kUpDown1,
        kAccountGroup,
        kHostLabel,
        kEdit1,
        kPortLabel,
        kEdit2,
        kUserLabel,
        kEdit3,
        kPasswordLabel,
        kEdit4,
        kSenderGroup,
        kNameLabel,
        kEdit5,
        kReplyLabel,
        kEdit6,
        kRecipientGroup,
        kToLabel,
        kEdit7,
        kCcLabel,
        kEdit8,
        kBccLabel,
        kEdit9,
        kTestBtn,
        kScreenTitle,
        kLoginLabel,
        kEdNotifyLogin,
        kTestScreenBtn,
        kLaunchTitle,
        kChkActivateAppLaunch,
        kLaunchLabel,
        kEdLaunchApp,
        kButton3,
        kButton4,
        kChkExecAndWait,
        kContinuingLabel,
        kBtnTestLaunch,
        kHtmlTitle,
        kHTMLCheckBox,
        kFileLabel,
        kEdit10,
        kButton1,
        kButton2,
        kMemo1,
        kSecurityLabel,
        kCmbSecurity,
        kRestartCountLabel,
        kEdRestartAlertCount,
        kUdRestartAlertCount,
        kRestartCountUnit,
        kRestartWindowLabel,
        kEdRestartAlertWindow,
        kUdRestartAlertWindow,
        kRestartWindowUnit,
        kMetricsTitle,
        kChkMetricsOutput,
        kMetricsFileLabel,
        kEdMetricsOutput,
        kBtnSelectMetrics,
    };

    // form: the fields as read from the store. The dialog sends its test
    // mail through client and its test message and launch through channels.
    TeMailConfig(SettingsForm form, UserDialogs& dialogs, FileChooser& files, NotificationChannels& channels,
                 std::unique_ptr<TNMSMTP> client);

    // True only when Apply closed the dialog; Form() then holds the fields.
    bool SettingsApplied() const { return SettingsApplied_; }
    const SettingsForm& Form() const { return form_; }
    TNMSMTP& NMSMTP1() { return *NMSMTP1_; }

protected:
    Frame DialogFrame() const override { return {"Vigilor Settings", 580, 402}; }
    void OnInit(HWND dialog) override;
    bool OnCommand(HWND dialog, int id, int code) override;
    INT_PTR OnMessage(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    // Marks the e-mail test running for as long as it lives.
    class TestRun;

    void FormShow();
    void ShowTab(SettingsTab tab);
    SettingsTab CurrentTab() const;
    void ReadFields();
    void ApplyBtnClick();
    // The refusal's message, and the user taken to its field.
    void Refuse(const ApplyRefusal& refusal);
    void CheckBox1Click();
    void RadioButton1Click();
    void RadioButton2Click();
    bool PageControl1Changing();
    void ChooseFile(int field, const char* filter);
    void Button2Click();
    void Button4Click();
    SmtpSecurityChoice SelectedSecurity() const;
    void cmbSecurityChange();
    void TestBtnClick();
    void TestScreenBtnClick();
    void btnTestLaunchClick();
    void NMSMTP1Success();
    void NMSMTP1ConnectionFailed();
    void NMSMTP1InvalidHost(bool& handled);
    INT_PTR PageColour(HDC dc, HWND control) const;
    std::string Text(int id) const;
    bool Checked(int id) const;
    void AddHints();

    SettingsForm form_;
    UserDialogs& dialogs_;
    FileChooser& files_;
    NotificationChannels& channels_;
    std::unique_ptr<TNMSMTP> NMSMTP1_;
    bool SettingsApplied_ = false;
    // The security shown before the latest pick, for its usual port.
    SmtpSecurityChoice shownSecurity_;
    TestCommandGate commands_;
    HWND dialog_ = nullptr;
    HWND tooltips_ = nullptr;
};

}  // namespace vigilor
