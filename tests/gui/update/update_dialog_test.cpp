// The update dialog, opened from the main window's Help menu, against real
// FTP servers on the loopback (the settings key's "UpdateHost" names them).
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <map>
#include <sstream>

#include "maint/ftp_update_form.h"
#include "platform/control_table_win.h"
#include "platform/handles_win.h"
#include "platform/wide_win.h"
#include "resources/resource_ids.h"
#include "tests/support/form_fixture_win.h"
#include "tests/support/modal_driver_win.h"
#include "tests/support/wine_paths.h"

namespace vigilor {
namespace {

const std::string kOldProgram = "the program file as it was before";

// A step run once, from inside the dialog's waits, as soon as its
// condition holds: what the user does while a transfer runs.
thread_local std::function<bool()>* pendingStep = nullptr;

void CALLBACK RunPendingStep(HWND, UINT, UINT_PTR, DWORD) {
    // Taken first: a step that waits lets this timer fire again.
    std::function<bool()>* step = std::exchange(pendingStep, nullptr);
    if (step && !(*step)()) pendingStep = step;
}

class UpdateDialog : public test::FormFixture {
protected:
    void SetUp() override {
        const char* folder = std::getenv("VIGILOR_FTP_SERVER");
        ASSERT_TRUE(folder) << "VIGILOR_FTP_SERVER is not set";
        server_ = test::WinePath(folder);
        std::istringstream ports(test::ReadWholeFile(server_ + "\\ports"));
        for (std::string name, port; ports >> name >> port;) ports_[name] = port;
        ASSERT_EQ(ports_.size(), 7u);
        served_ = test::ReadWholeFile(server_ + "\\root\\Public\\vigilor.exe");
        ASSERT_GT(served_.size(), 2000000u);
        ASSERT_NE(served_.find('\n'), std::string::npos) << "line ends in the program file tell a text transfer";

        // The user's current directory, where downloads go.
        wchar_t temp[MAX_PATH];
        GetTempPathW(MAX_PATH, temp);
        work_ = Narrow(temp) + "vigilor-update-" + ::testing::UnitTest::GetInstance()->current_test_info()->name();
        EmptyWorkDirectory();
        CreateDirectoryW(Wide(work_).c_str(), nullptr);
        GetCurrentDirectoryW(MAX_PATH, temp);
        previousDirectory_ = temp;
        SetCurrentDirectoryW(Wide(work_).c_str());
        key.SetText("UpdateHost", "127.0.0.1");
    }

    void TearDown() override {
        SetCurrentDirectoryW(previousDirectory_.c_str());
        EmptyWorkDirectory();
    }

    // Opens the dialog from the Help menu, runs the steps inside it, closes it.
    void InDialog(const std::function<void()>& steps) {
        if (!form) Open();
        const auto outcome = test::DriveModal([&] { Command(IDM_DOWNLOAD); },
                                              [&](HWND dialog) {
                                                  dialog_ = dialog;
                                                  steps();
                                                  if (IsWindowVisible(dialog)) Click(kCloseBtn);
                                              },
                                              120000);
        EXPECT_TRUE(outcome.found);
        EXPECT_FALSE(outcome.timedOut);
    }

    HWND Item(int id) const { return GetDlgItem(dialog_, id); }
    void Click(int id) {
        SendMessageW(dialog_, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(Item(id)));
    }
    std::string Text(int id) const { return WindowText(Item(id)); }
    void SetText(int id, const std::string& text) { SetWindowTextUtf8(Item(id), text); }
    bool Shown(int id) const { return IsWindowVisible(Item(id)); }
    std::string Status() const {
        wchar_t text[256] = {};
        SendMessageW(Item(kStatusBar1), SB_GETTEXTW, 0, reinterpret_cast<LPARAM>(text));
        return Narrow(text);
    }
    void ConnectTo(const std::string& server) {
        SetText(kPortTxt, ports_.at(server));
        Click(kConnnectBtn);
    }
    // Clicks Download and, once the progress bar shows, the given button.
    void DownloadUntilDataThenClick(int button) {
        bool clicked = false;
        std::function<bool()> step = [&] {
            if (!Shown(kP7)) return false;
            clicked = true;
            Click(button);
            return true;
        };
        pendingStep = &step;
        const UINT_PTR timer = SetTimer(nullptr, 0, 20, RunPendingStep);
        Click(kDownloadBtn);
        KillTimer(nullptr, timer);
        pendingStep = nullptr;
        EXPECT_TRUE(clicked) << "the progress bar never showed";
    }

    std::string Here(const std::string& name) const { return test::ReadWholeFile(work_ + "\\" + name); }
    void PutHere(const std::string& name, const std::string& bytes) const {
        std::ofstream(work_ + "\\" + name, std::ios::binary) << bytes;
    }
    std::vector<std::string> FilesHere() const {
        std::vector<std::string> names;
        WIN32_FIND_DATAW found;
        const HANDLE search = FindFirstFileW(Wide(work_ + "\\*").c_str(), &found);
        if (search == INVALID_HANDLE_VALUE) return names;
        do {
            const std::string name = Narrow(found.cFileName);
            if (name != "." && name != "..") names.push_back(name);
        } while (FindNextFileW(search, &found));
        FindClose(search);
        std::sort(names.begin(), names.end());
        return names;
    }
    std::string ServerLog(const std::string& server) const {
        return test::ReadWholeFile(server_ + "\\" + server + ".log");
    }

    void EmptyWorkDirectory() const {
        for (const std::string& name : FilesHere()) DeleteFileW(Wide(work_ + "\\" + name).c_str());
        RemoveDirectoryW(Wide(work_).c_str());
    }

    std::string server_;
    std::map<std::string, std::string> ports_;
    std::string served_;
    std::string work_;
    std::wstring previousDirectory_;
    HWND dialog_ = nullptr;
};

TEST_F(UpdateDialog, OpensWithItsDefaultsThenShowsTheTrimmedLatestVersion) {
    InDialog([&] {
        EXPECT_EQ(WindowText(dialog_), "FTP Update");
        EXPECT_EQ(GetFocus(), Item(kConnnectBtn));
        const std::pair<int, const char*> fields[] = {
            {kHostTxt, "127.0.0.1"}, {kPortTxt, "21"},  {kUserTxt, "anonymous"}, {kPassTxt, "guest@example.org"},
            {kEdit6, ""},            {kEdit7, ""},      {kEdCurVer, "9.8.7.6"},  {kEdNewVer, ""},
            {kRemoteTxt, "vigilor.exe"}, {kLocalTxt, "vigilor.exe"}};
        for (const auto& [id, text] : fields) EXPECT_EQ(Text(id), text) << id;
        EXPECT_TRUE(GetWindowLongW(Item(kHostTxt), GWL_STYLE) & ES_READONLY);
        EXPECT_FALSE(IsDlgButtonChecked(dialog_, kCheckBox1));
        EXPECT_FALSE(Shown(kDownloadGroup));
        EXPECT_FALSE(Shown(kDownloadBtn));
        EXPECT_FALSE(IsWindowEnabled(Item(kAbortBtn)));
        EXPECT_FALSE(Shown(kNewVerLabel));

        ConnectTo("normal");
        EXPECT_EQ(Text(kEdNewVer), "2.0.0.41");
        EXPECT_EQ(Here("vigilorver.txt"), test::ReadWholeFile(server_ + "\\root\\Public\\vigilorver.txt"));
        EXPECT_TRUE(Shown(kDownloadBtn));
        EXPECT_FALSE(Shown(kNewVerLabel)) << "whatever the versions say";
        EXPECT_EQ(Status(), "");

        Click(kDisconnnectBtn);
        EXPECT_EQ(Status(), "Disconnected");
        EXPECT_FALSE(Shown(kDownloadBtn));
    });
    EXPECT_TRUE(dialogs.shown.empty());
    EXPECT_TRUE(ServerLog("normal").ends_with("QUIT\n")) << ServerLog("normal");
}

TEST_F(UpdateDialog, ADownloadYieldsTheServersExactBytes) {
    PutHere("vigilor.exe", kOldProgram);
    InDialog([&] {
        ConnectTo("normal");
        Click(kDownloadBtn);
        EXPECT_TRUE(Shown(kNewVerLabel));
        EXPECT_EQ(Status(), "Download successful");
        EXPECT_FALSE(IsWindowEnabled(Item(kAbortBtn)));
    });
    EXPECT_TRUE(Here("vigilor.exe") == served_) << "downloaded " << Here("vigilor.exe").size() << " bytes";
    EXPECT_EQ(FilesHere(), (std::vector<std::string>{"vigilor.exe", "vigilorver.txt"}));
}

TEST_F(UpdateDialog, AnAbortedOrFailedDownloadLeavesTheOldFileByteForByte) {
    const struct {
        const char* server;
        bool abort;
    } cases[] = {{"slow", true}, {"broken", false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.server);
        PutHere("vigilor.exe", kOldProgram);
        InDialog([&] {
            ConnectTo(c.server);
            if (c.abort) DownloadUntilDataThenClick(kAbortBtn);
            else Click(kDownloadBtn);
            EXPECT_EQ(Status(), "Download failure");
            EXPECT_TRUE(Shown(kDownloadBtn)) << "still connected";
        });
        EXPECT_EQ(Here("vigilor.exe"), kOldProgram);
        EXPECT_EQ(FilesHere(), (std::vector<std::string>{"vigilor.exe", "vigilorver.txt"}));
    }
    EXPECT_TRUE(dialogs.shown.empty());
}

TEST_F(UpdateDialog, ClosingDuringADownloadAbortsIt) {
    PutHere("vigilor.exe", kOldProgram);
    InDialog([&] {
        ConnectTo("slow");
        DownloadUntilDataThenClick(kCloseBtn);
    });
    EXPECT_EQ(Here("vigilor.exe"), kOldProgram);
    EXPECT_EQ(FilesHere(), (std::vector<std::string>{"vigilor.exe", "vigilorver.txt"}));
}

TEST_F(UpdateDialog, AProgramFileInUseIsNotReplacedAndTheStatusSaysSo) {
    PutHere("vigilor.exe", kOldProgram);
    // Open as a running program is: others may read it, nobody may delete it.
    const FileHandle running(CreateFileW(Wide(work_ + "\\vigilor.exe").c_str(), GENERIC_READ, FILE_SHARE_READ,
                                         nullptr, OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(running);
    std::string status;
    InDialog([&] {
        ConnectTo("normal");
        Click(kDownloadBtn);
        status = Status();
    });
    EXPECT_TRUE(status.starts_with("vigilor.exe could not be replaced (5: ")) << status;
    EXPECT_TRUE(status.ends_with("; the download is in vigilor.exe.new")) << status;
    EXPECT_EQ(Here("vigilor.exe"), kOldProgram);
    EXPECT_TRUE(Here("vigilor.exe.new") == served_);
}

TEST_F(UpdateDialog, AServerWithoutPublicShowsChangeDirFailure) {
    InDialog([&] {
        ConnectTo("nopublic");
        EXPECT_EQ(Status(), "ChangeDir failure");
        EXPECT_EQ(Text(kEdNewVer), "");
        EXPECT_TRUE(Shown(kDownloadBtn));
    });
    EXPECT_TRUE(dialogs.shown.empty());
}

TEST_F(UpdateDialog, ARefusedLogOnShowsConnectionFailed) {
    InDialog([&] {
        SetText(kUserTxt, "nobody");
        ConnectTo("normal");
        EXPECT_EQ(Status(), "Disconnected");
        EXPECT_FALSE(Shown(kDownloadBtn));
    });
    EXPECT_EQ(dialogs.Texts(), std::vector<std::string>{"Connection Failed"});
}

TEST_F(UpdateDialog, WhenPortIsRefusedEachTransferGoesPassive) {
    InDialog([&] {
        ConnectTo("noport");
        EXPECT_EQ(Text(kEdNewVer), "2.0.0.41");
        Click(kDownloadBtn);
        EXPECT_EQ(Status(), "Download successful");
    });
    EXPECT_TRUE(Here("vigilor.exe") == served_);
    const std::string log = ServerLog("noport");
    EXPECT_NE(log.find("PORT 127,0,0,1,"), std::string::npos) << log;
    EXPECT_NE(log.find("PASV\nRETR vigilorver.txt\n"), std::string::npos) << log;
    EXPECT_NE(log.find("PASV\nRETR vigilor.exe\n"), std::string::npos) << log;
    EXPECT_TRUE(dialogs.shown.empty()) << "a refused PORT that passive mode gets round is no news";
}

TEST_F(UpdateDialog, AnEmptyProxyPortStopsWithTheIntegerMessage) {
    const std::string before = ServerLog("normal");
    InDialog([&] {
        SetText(kPortTxt, ports_.at("normal"));
        CheckDlgButton(dialog_, kCheckBox1, BST_CHECKED);
        SetText(kEdit6, "127.0.0.1");
        Click(kConnnectBtn);
        EXPECT_EQ(Status(), "") << "no look-up, no connection";
    });
    EXPECT_EQ(dialogs.Texts(), std::vector<std::string>{"'' is not a valid integer value"});
    EXPECT_EQ(ServerLog("normal"), before);
}

TEST_F(UpdateDialog, AServerThatStopsAnsweringGivesABoundedError) {
    InDialog([&] {
        ConnectTo("silent");
        EXPECT_EQ(Status(), "Disconnected");
        EXPECT_EQ(Text(kEdNewVer), "");
    });
    EXPECT_EQ(dialogs.Texts(), std::vector<std::string>{"Error 10060: Server reply Timed out"});
    EXPECT_TRUE(ServerLog("silent").ends_with("CWD Public\n"));
}

TEST_F(UpdateDialog, TheMenuCommandDoesNothingWhileMonitoring) {
    key.SetText("NotifybyMail", "0");
    key.SetText("MacMonitor0", "\\\\HOST");
    ASSERT_TRUE(Open({"/A"}).IsMonitoring());
    const auto outcome = test::DriveModal([&] { Command(IDM_DOWNLOAD); },
                                          [&](HWND dialog) { test::ClickButton(dialog, IDCANCEL); }, 1000);
    EXPECT_FALSE(outcome.found);
}

}  // namespace
}  // namespace vigilor
