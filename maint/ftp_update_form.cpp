#include "maint/ftp_update_form.h"

#include <climits>

#include "config/settings_store.h"
#include "platform/app_error.h"
#include "platform/text.h"

namespace vigilor {

namespace {

constexpr int kConnectTimeOut = 5000;

int IntegerOf(const std::string& text) {
    const std::optional<int> number = ParseDecimal(text);
    if (!number) throw AppError("'" + text + "' is not a valid integer value");
    return *number;
}

}  // namespace

std::string UpdateHost(KeyValueStore& store) {
    const std::optional<std::string> host = store.Read("UpdateHost");
    if (!host || Trim(*host).empty()) return kMakersUpdateHost;
    return Trim(*host);
}

ProgressPosition ProgressOf(std::uint64_t received, std::uint64_t expected) {
    if (received > expected) received = expected;
    int shift = 0;
    while ((expected >> shift) > static_cast<std::uint64_t>(INT_MAX)) ++shift;
    return {static_cast<int>(expected >> shift), static_cast<int>(received >> shift)};
}

TfrmFTP::TfrmFTP(FtpFormView& view, TNMFTP& client, UpdateFiles& files, std::string versionText, std::string host)
    : view_(view), client_(client), files_(files), versionText_(std::move(versionText)), host_(std::move(host)) {
    client_.OnConnect = [this] { view_.SetStatus("Connected"); };
    client_.OnDisconnect = [this] { NMFTP1Disconnect(); };
    client_.OnHostResolved = [this] { view_.SetStatus("Host resolved"); };
    client_.OnInvalidHost = [this] { view_.ShowMessage("Invalid Host"); };
    client_.OnConnectionFailed = [this] { view_.ShowMessage("Connection Failed"); };
    client_.OnError = [this](int number, const std::string& text) {
        view_.ShowMessage("Error " + std::to_string(number) + ": " + text);
    };
    client_.OnTransactionStart = [this] { view_.SetStatus("Beginning Data Transfer"); };
    client_.OnTransactionStop = [this] { view_.SetStatus("Data Transfer Complete"); };
    client_.OnPacketRecvd = [this] { NMFTP1PacketRecvd(); };
    client_.OnSuccess = [this](FtpOperation operation) { NMFTP1Success(operation); };
    client_.OnFailure = [this](FtpOperation operation) { NMFTP1Failure(operation); };
    client_.OnUnSupportedFunction = [this](FtpOperation operation) { NMFTP1UnSupportedFunction(operation); };
}

void TfrmFTP::FormCreate() {
    view_.SetText(kEdNewVer, "");
    view_.SetText(kEdCurVer, versionText_);
    view_.SetText(kHostTxt, host_);
}

void TfrmFTP::FormCloseQuery() {
    client_.Abort();
    // A log-on or a directory change that still waits ends as well.
    if (client_.Busy()) client_.Disconnect();
}

void TfrmFTP::ConnnectBtnClick() {
    if (client_.Busy()) return;
    if (view_.Checked(kCheckBox1)) {
        client_.Proxy = view_.Text(kEdit6);
        client_.ProxyPort = IntegerOf(view_.Text(kEdit7));
    } else {
        client_.Proxy.clear();
        client_.ProxyPort = 0;
    }
    client_.Host = view_.Text(kHostTxt);
    client_.Port = IntegerOf(view_.Text(kPortTxt));
    client_.TimeOut = kConnectTimeOut;
    client_.UserID = view_.Text(kUserTxt);
    client_.Password = view_.Text(kPassTxt);
    try {
        client_.Connect();
        if (client_.Connected()) {
            view_.SetVisible(kDownloadGroup, true);
            client_.ChangeDir(kUpdateDirectory);
            if (Fetch(kVersionFile, kVersionFile)) {
                const std::optional<std::string> line = files_.ReadFirstLine(kVersionFile);
                if (line) {
                    view_.SetText(kEdNewVer, Trim(*line));
                    view_.Beep();
                    view_.SetStatus("");
                }
            }
        }
    } catch (const AppError&) {
        // The client's events have shown what went wrong.
    }
    if (!client_.Connected()) view_.SetVisible(kDownloadGroup, false);
}

void TfrmFTP::DisconnnectBtnClick() {
    client_.Disconnect();
    view_.SetVisible(kDownloadGroup, false);
}

void TfrmFTP::DownloadBtnClick() {
    if (client_.Busy()) return;
    view_.SetVisible(kNewVerLabel, true);
    view_.SetEnabled(kAbortBtn, true);
    try {
        Fetch(view_.Text(kRemoteTxt), view_.Text(kLocalTxt));
    } catch (const AppError&) {
        // As above: the events have said it.
    }
    view_.SetEnabled(kAbortBtn, false);
    view_.SetVisible(kP7, false);
}

void TfrmFTP::AbortBtnClick() {
    client_.Abort();
    view_.SetEnabled(kAbortBtn, false);
}

void TfrmFTP::CloseBtnClick() {
    if (client_.Connected()) client_.Disconnect();
    view_.Close();
}

bool TfrmFTP::Fetch(const std::string& remote, const std::string& local) {
    const std::unique_ptr<DownloadFile> file = files_.BeginDownload(local);
    if (!file) return false;
    pending_ = file.get();
    committed_ = false;
    try {
        client_.Download(remote, *file);
    } catch (...) {
        pending_ = nullptr;
        throw;
    }
    pending_ = nullptr;
    return committed_;
}

void TfrmFTP::NMFTP1Success(FtpOperation operation) {
    if (operation == FtpOperation::ChangeDir) {
        view_.SetStatus("ChangeDir success");
        return;
    }
    // The file takes the place of the old one only now that all of it is in.
    try {
        if (pending_) pending_->Commit();
        committed_ = true;
        view_.SetStatus("Download successful");
    } catch (const AppError& error) {
        view_.SetStatus(error.what());
    }
}

void TfrmFTP::NMFTP1Failure(FtpOperation operation) {
    view_.SetStatus(operation == FtpOperation::ChangeDir ? "ChangeDir failure" : "Download failure");
}

void TfrmFTP::NMFTP1UnSupportedFunction(FtpOperation operation) {
    view_.ShowMessage(operation == FtpOperation::ChangeDir ? "ChangeDir unsupported" : "Download unsupported");
}

void TfrmFTP::NMFTP1PacketRecvd() {
    const std::uint64_t expected = client_.BytesTotal();
    const std::uint64_t received = client_.BytesRecvd();
    const ProgressPosition bar = ProgressOf(received, expected);
    // Without an announced size there is nothing to measure against.
    if (expected > 0) {
        if (!view_.Visible(kP7)) view_.SetVisible(kP7, true);
        view_.SetProgress(bar.maximum, bar.position);
    }
    view_.SetStatus(std::to_string(received) + " of " + std::to_string(expected));
    if (expected > 0 && bar.position == bar.maximum) view_.SetVisible(kP7, false);
}

void TfrmFTP::NMFTP1Disconnect() {
    view_.SetStatus("Disconnected");
    view_.SetVisible(kDownloadGroup, false);
}

}  // namespace vigilor
