#include <gtest/gtest.h>

#include <map>
#include <set>

#include "maint/ftp_update_form.h"
#include "tests/support/memory_store.h"
#include "tests/support/scripted_ftp_network.h"

namespace vigilor {
namespace {

class FakeView : public FtpFormView {
public:
    std::string Text(FtpControl c) override { return texts[c]; }
    void SetText(FtpControl c, const std::string& text) override { texts[c] = text; }
    bool Checked(FtpControl c) override { return checked.count(c) > 0; }
    bool Visible(FtpControl c) override { return !hidden.count(c); }
    void SetVisible(FtpControl c, bool visible) override {
        if (visible) hidden.erase(c);
        else hidden.insert(c);
    }
    void SetEnabled(FtpControl c, bool enabled) override {
        if (enabled) disabled.erase(c);
        else disabled.insert(c);
    }
    void SetProgress(int maximum, int position) override { progress = {maximum, position}; }
    void SetStatus(const std::string& text) override {
        statuses.push_back(text);
        if (onStatus) onStatus(text);
    }
    void ShowMessage(const std::string& text) override { messages.push_back(text); }
    void Beep() override { ++beeps; }
    void Close() override {}

    std::map<int, std::string> texts{{kPortTxt, "21"}, {kUserTxt, "anonymous"}, {kPassTxt, "guest@example.org"},
                                     {kRemoteTxt, "vigilor.exe"}, {kLocalTxt, "vigilor.exe"}};
    std::set<int> checked;
    std::set<int> hidden{kDownloadGroup, kP7, kNewVerLabel};
    std::set<int> disabled{kAbortBtn};
    std::pair<int, int> progress;
    std::vector<std::string> statuses;
    std::vector<std::string> messages;
    std::function<void(const std::string&)> onStatus;
    int beeps = 0;
};

class FakeFiles : public UpdateFiles {
public:
    class Download : public DownloadFile {
    public:
        Download(FakeFiles& files, std::string name) : files_(files), name_(std::move(name)) {}
        bool Write(std::string_view bytes) override {
            bytes_ += bytes;
            return true;
        }
        void Commit() override { files_.disk[name_] = bytes_; }

    private:
        FakeFiles& files_;
        std::string name_;
        std::string bytes_;
    };
    std::unique_ptr<DownloadFile> BeginDownload(const std::string& name) override {
        return std::make_unique<Download>(*this, name);
    }
    std::optional<std::string> ReadFirstLine(const std::string& name) override {
        const auto it = disk.find(name);
        if (it == disk.end()) return std::nullopt;
        return it->second.substr(0, it->second.find_first_of("\r\n"));
    }
    std::map<std::string, std::string> disk;
};

class UpdateForm : public ::testing::Test {
protected:
    UpdateForm() { form.FormCreate(); }
    // Connects with a version file whose first line is given.
    void Connect(const std::string& firstLine) {
        script.replies = {"331 ok\r\n", "230 in\r\n", "250 ok\r\n",
                          "200 Binary\r\n", "550 No size\r\n", "200 ok\r\n", "150 Go\r\n226 Done\r\n"};
        script.data = {firstLine + "\r\nnotes\r\n"};
        form.ConnnectBtnClick();
    }

    test::FtpScript script;
    test::FtpLog log;
    TNMFTP client{std::make_unique<test::ScriptedFtpNetwork>(script, log)};
    FakeView view;
    FakeFiles files;
    TfrmFTP form{view, client, files, "1.0.0.1", "127.0.0.1"};
};

TEST(UpdateHostSetting, TheMakersHostUnlessTheKeyNamesAnother) {
    const std::pair<std::optional<std::string>, std::string> cases[] = {
        {std::nullopt, kMakersUpdateHost}, {"", kMakersUpdateHost}, {"   ", kMakersUpdateHost},
        {"mirror.corp.local", "mirror.corp.local"}, {" 127.0.0.1 ", "127.0.0.1"}};
    for (const auto& [value, host] : cases) {
        test::MemoryStore store;
        if (value) store.values["updatehost"] = *value;
        EXPECT_EQ(UpdateHost(store), host);
    }
}

TEST_F(UpdateForm, ADownloadShowsItsProgressAndReplacesTheFileWhenComplete) {
    view.texts[kPortTxt] = "2121";
    Connect("  2.0.0.41 ");
    EXPECT_EQ(log.connects.front(), "127.0.0.1:2121");
    EXPECT_EQ(client.TimeOut, 5000);
    EXPECT_EQ(view.beeps, 1);
    EXPECT_EQ(view.texts[kEdNewVer], "2.0.0.41");
    files.disk["vigilor.exe"] = "old";
    script.replies = {"200 Binary\r\n", "213 6\r\n", "200 ok\r\n",
                      "150 Opening BINARY mode data connection (6 bytes).\r\n226 Done\r\n"};
    script.data = {"abc", "def"};
    std::vector<std::string> during;
    view.onStatus = [&](const std::string& status) {
        if (status == "3 of 6")
            during = {files.disk["vigilor.exe"], view.Visible(kP7) ? "bar shown" : "bar hidden",
                      view.disabled.count(kAbortBtn) ? "abort disabled" : "abort enabled"};
    };
    view.statuses.clear();
    form.DownloadBtnClick();
    EXPECT_EQ(during, (std::vector<std::string>{"old", "bar shown", "abort enabled"}));
    EXPECT_EQ(view.statuses, (std::vector<std::string>{"Beginning Data Transfer", "3 of 6", "6 of 6",
                                                        "Data Transfer Complete", "Download successful"}));
    EXPECT_EQ(files.disk["vigilor.exe"], "abcdef");
    EXPECT_EQ(view.progress, (std::pair<int, int>{6, 6}));
    EXPECT_TRUE(view.Visible(kNewVerLabel));
    EXPECT_FALSE(view.Visible(kP7));
    EXPECT_TRUE(view.disabled.count(kAbortBtn));
}

TEST(UpdateProgress, SizesBeyondTheBarsRangeAreScaled) {
    const struct {
        std::uint64_t received, expected;
        ProgressPosition bar;
    } cases[] = {
        {0, 100, {100, 0}},
        {50, 100, {100, 50}},
        {150, 100, {100, 100}},
        {1ull << 40, 1ull << 41, {1 << 30, 1 << 29}},
        {999999999999999999ull, 999999999999999999ull, {1862645149, 1862645149}},
    };
    for (const auto& c : cases) {
        const ProgressPosition bar = ProgressOf(c.received, c.expected);
        EXPECT_EQ(bar.maximum, c.bar.maximum) << c.expected;
        EXPECT_EQ(bar.position, c.bar.position) << c.received;
    }
}

}  // namespace
}  // namespace vigilor
