#pragma once
// The printed report: the computers of the network list, the monitored
// services with their key names, and the notification settings, laid out
// by the page-layout printer.
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "config/key_value_store.h"
#include "maint/report_works.h"
#include "notify/alert_host.h"
#include "notify/local_time.h"

namespace vigilor {

// What the report asks of the main window (TMainForm implements it).
class ReportHost {
public:
    virtual ~ReportHost() = default;
    // The items of the computer list, in list order, as shown there.
    virtual std::vector<std::string> ComputerList() = 0;
    // The monitored rows, tab-separated, in list order.
    virtual std::vector<std::string> MonitoredRows() = 0;
    // The settings key, opened for one operation.
    virtual std::unique_ptr<KeyValueStore> OpenStore() = 0;
    virtual std::string VersionText() = 0;
    virtual void ShowStatus(const std::string& text) = 0;
    virtual ScreenCursor CurrentCursor() = 0;
    virtual void SetCursor(ScreenCursor cursor) = 0;
};

// What it asks of the system.
class ReportSystem {
public:
    virtual ~ReportSystem() = default;
    // Empty when the computer has no service of that display name.
    virtual std::string ServiceKeyName(const std::string& machine, const std::string& displayName) = 0;
    virtual std::string WindowsUserName() = 0;
    virtual LocalTime Now() = 0;
    // The print dialog: the number of copies, or nullopt when cancelled.
    virtual std::optional<int> ChoosePrinter() = 0;
    // The printer chosen in the dialog, for one document.
    virtual std::unique_ptr<ReportDevice> OpenPrinter() = 0;
    // A printer failure during a document, in a message box.
    virtual void ShowPrinterError(const std::string& text) = 0;
};

constexpr std::uint32_t kBlack = 0x000000;
constexpr const char* kReportFont = "Courier New";
constexpr MarginsInches kReportMargins{0.5, 0.7, 0.5, 1.0};

// The text cut to width characters and padded with blanks to it, as
// "%-N.Ns" does.
std::string FixedWidth(std::string_view text, size_t width);
// "%-18.18s  %-55.55s  %-20.20s"
std::string ServiceTableLine(std::string_view machine, std::string_view service, std::string_view keyName);
// "%-20.20s    %-50.50s"
std::string HtmlFileLine(std::string_view label, std::string_view value);
// "%-20.20s    %-30.30s"
std::string SettingLine(std::string_view label, std::string_view value);

// The "Settings:" lines, each value read from the store now.
std::vector<std::string> SettingsLines(KeyValueStore& store);

void PrintReportHeader(TReportWorks& works, const LocalTime& now);
// One copy of the report on the works' device.
void PrintReport(TReportWorks& works, ReportHost& host, ReportSystem& system);

// File > Print: the print dialog, then one report per copy chosen.
void FilePrintCmdExecute(ReportHost& host, ReportSystem& system);

}  // namespace vigilor
