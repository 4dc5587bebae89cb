#pragma once
// The "FTP Update" dialog's logic: log on to the update server, show the
// version published there, download the new program file. The window
// itself is a thin view over this.
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "config/key_value_store.h"
#include "maint/ftp_client.h"

namespace vigilor {

// The dialog's controls, as the logic names them.
enum FtpControl : int {
    kLoginGroup = 3201,
    kHostLabel,
    kHostTxt,
    kPortLabel,
    kPortTxt,
    kUserLabel,
    kUserTxt,
    kPassLabel,
    kPassTxt,
    kConnnectBtn,
    kDisconnnectBtn,
    kProxyGroup,
    kCheckBox1,
    kProxyServerLabel,
    kEdit6,
    kProxyPortLabel,
    kEdit7,
    kDownloadGroup,
    kDownloadBtn,
    kAbortBtn,
    kP7,
    kRemoteTxt,
    kLocalTxt,
    kVersionGroup,
    kCurVerLabel,
    kEdCurVer,
    kNewVerCaption,
    kEdNewVer,
    kNewVerLabel,
    kCloseBtn,
    kStatusBar1,
};

class FtpFormView {
public:
    virtual ~FtpFormView() = default;
    virtual std::string Text(FtpControl control) = 0;
    virtual void SetText(FtpControl control, const std::string& text) = 0;
    virtual bool Checked(FtpControl control) = 0;
    virtual bool Visible(FtpControl control) = 0;
    // A group shows or hides with what it holds.
    virtual void SetVisible(FtpControl control, bool visible) = 0;
    virtual void SetEnabled(FtpControl control, bool enabled) = 0;
    virtual void SetProgress(int maximum, int position) = 0;
    virtual void SetStatus(const std::string& text) = 0;
    virtual void ShowMessage(const std::string& text) = 0;
    virtual void Beep() = 0;
    // Closes the dialog; FormCloseQuery runs first.
    virtual void Close() = 0;
};

// A download on its way to its local file: written beside it and put in
// its place only when complete. Dropped without Commit, it leaves the
// local file as it was.
class DownloadFile : public FtpSink {
public:
    // Raises AppError with what the user should read when the file cannot
    // be put in place.
    virtual void Commit() = 0;
};

// The local files of the update, in the current directory.
class UpdateFiles {
public:
    virtual ~UpdateFiles() = default;
    // Null when no file can be created there.
    virtual std::unique_ptr<DownloadFile> BeginDownload(const std::string& name) = 0;
    // The file's first line (at most a few kilobytes of it); nullopt when
    // it cannot be read.
    virtual std::optional<std::string> ReadFirstLine(const std::string& name) = 0;
};

constexpr const char* kMakersUpdateHost = "ftp.vigilor.example.org";
constexpr const char* kAnonymousPassword = "guest@example.org";
constexpr const char* kUpdateDirectory = "Public";
constexpr const char* kVersionFile = "vigilorver.txt";
constexpr const char* kProgramFile = "vigilor.exe";

// The maker's host, or the one the settings key's "UpdateHost" names (a
// company mirror) when it is set and not empty.
std::string UpdateHost(KeyValueStore& store);

struct ProgressPosition {
    int maximum;
    int position;
};
// The bar for a transfer: received against expected, scaled down where
// they do not fit the bar's range; the position never passes the maximum.
ProgressPosition ProgressOf(std::uint64_t received, std::uint64_t expected);

class TfrmFTP {
public:
    TfrmFTP(FtpFormView& view, TNMFTP& client, UpdateFiles& files, std::string versionText, std::string host);

    void FormCreate();
    void FormCloseQuery();
    void ConnnectBtnClick();
    void DisconnnectBtnClick();
    void DownloadBtnClick();
    void AbortBtnClick();
    void CloseBtnClick();

private:
    void NMFTP1Success(FtpOperation operation);
    void NMFTP1Failure(FtpOperation operation);
    void NMFTP1UnSupportedFunction(FtpOperation operation);
    void NMFTP1PacketRecvd();
    void NMFTP1Disconnect();
    // Fetches a remote file into a local one; true when it is in place.
    bool Fetch(const std::string& remote, const std::string& local);

    FtpFormView& view_;
    TNMFTP& client_;
    UpdateFiles& files_;
    std::string versionText_;
    std::string host_;
    DownloadFile* pending_ = nullptr;
    bool committed_ = false;
};

}  // namespace vigilor
