#pragma once
// A main window stand-in for the e-mail alerts: settings and store in
// memory, the memo as a list of lines, errors recorded.
#include <memory>
#include <string>
#include <vector>

#include "notify/alert_host.h"
#include "tests/support/memory_store.h"

namespace vigilor::test {

// Hands out the test's one store as if it were opened anew.
class ForwardingStore : public KeyValueStore {
public:
    explicit ForwardingStore(MemoryStore& inner) : inner_(inner) {}
    std::optional<std::string> Read(const std::string& name) override { return inner_.Read(name); }
    void Write(const std::string& name, const std::string& value) override { inner_.Write(name, value); }
    void Remove(const std::string& name) override { inner_.Remove(name); }
    std::vector<std::string> Names() override { return inner_.Names(); }

private:
    MemoryStore& inner_;
};

class MemoLines : public FailureMemo {
public:
    int DisplayedLineCount() override { return static_cast<int>(lines.size()); }
    void AppendLine(const std::string& line) override { lines.push_back(line); }
    std::vector<std::string> Lines() override { return lines; }
    std::vector<std::string> lines;
};

class TestAlertHost : public AlertHost {
public:
    ProgramSettings& Settings() override { return settings; }
    AlertedList& Alerted() override { return alerted; }
    FailureMemo& Memo() override { return memo; }
    std::string VersionText() override { return "1.0.0.1"; }
    std::unique_ptr<KeyValueStore> OpenStore() override { return std::make_unique<ForwardingStore>(store); }
    void ShowStatus(const std::string&) override {}
    void RepaintNow() override {}
    void ShowError(const std::string& text) override { errors.push_back(text); }
    void ShowAlarm() override {}
    ScreenCursor CurrentCursor() override { return ScreenCursor::Default; }
    void SetCursor(ScreenCursor) override {}

    ProgramSettings settings;
    AlertedList alerted;
    MemoLines memo;
    MemoryStore store;
    std::vector<std::string> errors;
};

// Notification channels that only record the event entries; every other
// channel does nothing, and the clock stands still at now.
class QuietChannels : public NotificationChannels {
public:
    explicit QuietChannels(LocalTime now) : now_(now) {}
    void WriteEvent(const AppEvent& entry) override { events.push_back(entry.text); }
    bool SendScreenMessage(const std::string&, const std::string&) override { return false; }
    bool FileExists(const std::string&) override { return false; }
    RunResult RunAndWait(const std::string&, int) override { return {}; }
    void ShellLaunch(const std::string&, const std::string&, const std::string&, int) override {}
    LocalTime Now() override { return now_; }
    std::vector<std::string> events;

private:
    LocalTime now_;
};

}  // namespace vigilor::test
