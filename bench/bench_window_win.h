#pragma once
// The program's main window for benchmarks, on a settings key of its own:
// Pass() forces a pass as F9 does and returns once the window has shown
// all the pass posted. Boxes are counted, never waited on.
#include <windows.h>

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "app/application_win.h"
#include "app/main_form_win.h"
#include "config/registry_store_win.h"
#include "monitor/monitored_service.h"
#include "notify/failure_reports.h"
#include "platform/report_error_win.h"
#include "platform/wide_win.h"
#include "resources/resource_ids.h"

namespace vigilor {

class BenchWindow {
public:
    // Replaces the key's values with the rows and the given settings.
    BenchWindow(const std::string& key, const std::vector<std::string>& rows,
                const std::vector<std::pair<std::string, std::string>>& settings)
        : form_(MainFormContext{dialogs_, system_, [key] { return std::make_unique<RegistryStore>(key); }, "1.0", {},
                                false}) {
        RegDeleteTreeW(HKEY_CURRENT_USER, Wide(key).c_str());
        RegistryStore store(key);
        for (size_t i = 0; i < rows.size(); ++i) {
            const auto row = MonitoredService::FromRow(rows[i]);
            const std::string n = std::to_string(i);
            store.Write("MacMonitor" + n, row.server);
            store.Write("SvcMonitor" + n, row.service);
            store.Write("Autorestart" + n, row.autoRestart);
            store.Write("Email" + n, row.email);
        }
        for (const auto& [name, value] : settings) store.Write(name, value);
        SetErrorDialogs(&dialogs_);
        form_.Create();
        form_.Show(SW_SHOWNORMAL);
    }
    ~BenchWindow() { SetErrorDialogs(nullptr); }
    BenchWindow(const BenchWindow&) = delete;
    BenchWindow& operator=(const BenchWindow&) = delete;

    // False when the pass was not shown within a minute.
    bool Pass() {
        const std::uint64_t before = form_.PassesShown();
        PostMessageW(form_.Handle(), WM_COMMAND, IDM_FORCE_CHECK, 0);
        const ULONGLONG deadline = GetTickCount64() + 60000;
        for (;;) {
            MSG message;
            while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) HandleQueuedMessage(form_, message);
            if (form_.PassesShown() > before) return true;
            if (GetTickCount64() >= deadline) return false;
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 100, QS_ALLINPUT);
        }
    }
    TMainForm& Form() { return form_; }
    // The memo's lines of the latest pass.
    std::vector<std::string> Reports() const { return MemoLines(form_.MemoText()); }
    int BoxesShown() const { return dialogs_.shown; }
    const std::string& FirstBox() const { return dialogs_.first; }

private:
    class CountingDialogs : public UserDialogs {
    public:
        BoxAnswer Show(const std::string& text, const std::string&, BoxIcon, BoxButtons, bool) override {
            if (shown++ == 0) first = text;
            return BoxAnswer::Ok;
        }
        int shown = 0;
        std::string first;
    };

    CountingDialogs dialogs_;
    MainFormSystem system_;
    TMainForm form_;
};

}  // namespace vigilor
