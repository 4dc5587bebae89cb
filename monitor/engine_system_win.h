#pragma once
// The monitoring engine's system on Windows: the registry, the event log,
// the mail client, the service managers, the files, and an event that
// cancels the engine thread's waits.
#include <windows.h>

#include <functional>
#include <memory>

#include "monitor/monitor_engine.h"
#include "monitor/pass_readers_win.h"
#include "notify/notification_channels_win.h"
#include "platform/handles_win.h"
#include "platform/message_pump_win.h"

namespace vigilor {

class WindowsEngineSystem : public EngineSystem {
public:
    explicit WindowsEngineSystem(std::function<std::unique_ptr<KeyValueStore>()> openStore);
    ~WindowsEngineSystem() override;

    std::unique_ptr<KeyValueStore> OpenStore() override { return openStore_(); }
    NotificationChannels& Channels() override { return channels_; }
    TNMSMTP& MailClient() override { return *mail_; }
    RowReaderFactory& Readers() override { return readers_; }
    ServicePlatform& Services() override;
    bool PauseForRestart(std::uint32_t milliseconds) override;
    void WriteStatusPage(const std::string& path, const std::vector<std::string>& lines) override;
    void WriteMetricsFile(const std::string& path, const std::string& text) override;
    LocalTime Now() override { return CurrentLocalTime(); }
    std::int64_t MonotonicSeconds() override { return static_cast<std::int64_t>(GetTickCount64() / 1000); }
    void ThreadBegins() override;
    void ThreadEnds() override;
    void CancelWaits() override { SetEvent(cancel_.Get()); }
    void ResumeWaits() override { ResetEvent(cancel_.Get()); }

private:
    std::function<std::unique_ptr<KeyValueStore>()> openStore_;
    // Nothing the engine launches has a window of ours for its parent.
    WindowsNotificationChannels channels_{nullptr};
    std::unique_ptr<TNMSMTP> mail_;
    SystemRowReaders readers_;
    KernelHandle cancel_;
    std::unique_ptr<ThreadWaitsCanceledBy> cancelScope_;
    bool comReady_ = false;
};

}  // namespace vigilor
