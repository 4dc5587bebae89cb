#include "maint/printed_report.h"

#include "config/settings.h"
#include "config/settings_store.h"
#include "monitor/monitored_service.h"
#include "notify/smtp_security.h"
#include "platform/text.h"

namespace vigilor {

namespace {

constexpr const char* kNotDefined = "not defined";

// Sets the hourglass and puts the cursor back however the copy ends.
class HourglassCursor {
public:
    explicit HourglassCursor(ReportHost& host) : host_(host), saved_(host.CurrentCursor()) {
        host_.SetCursor(ScreenCursor::Hourglass);
    }
    ~HourglassCursor() { host_.SetCursor(saved_); }
    HourglassCursor(const HourglassCursor&) = delete;
    HourglassCursor& operator=(const HourglassCursor&) = delete;

private:
    ReportHost& host_;
    ScreenCursor saved_;
};

// A section title, underlined in 10 points, then the section's own 8
// points.
void SectionTitle(TReportWorks& works, const std::string& title) {
    works.PrintLeft(title);
    works.NewLine();
    works.NewLine();
    works.ClearStyles();
    works.SetFontSize(8);
}

}  // namespace

std::string FixedWidth(std::string_view text, size_t width) {
    // Cut by characters, not bytes, so that a name is never cut inside one.
    std::string out;
    size_t count = 0;
    size_t i = 0;
    while (i < text.size() && count < width) {
        size_t next = i + 1;
        while (next < text.size() && (static_cast<unsigned char>(text[next]) & 0xC0) == 0x80) ++next;
        out.append(text.substr(i, next - i));
        i = next;
        ++count;
    }
    out.append(width - count, ' ');
    return out;
}

std::string ServiceTableLine(std::string_view machine, std::string_view service, std::string_view keyName) {
    return FixedWidth(machine, 18) + "  " + FixedWidth(service, 55) + "  " + FixedWidth(keyName, 20);
}

std::string HtmlFileLine(std::string_view label, std::string_view value) {
    return FixedWidth(label, 20) + "    " + FixedWidth(value, 50);
}

std::string SettingLine(std::string_view label, std::string_view value) {
    return FixedWidth(label, 20) + "    " + FixedWidth(value, 30);
}

std::vector<std::string> SettingsLines(KeyValueStore& store) {
    const auto value = [&store](const char* name) { return store.Read(name).value_or(kNotDefined); };
    std::vector<std::string> lines;
    lines.push_back(HtmlFileLine("HTML Output File:", value("HTMLOutput")));
    lines.push_back(HtmlFileLine("Metrics File:", value("MetricsOutput")));
    if (SettingsStore(store).ReadBool("ScreenNotify", true))
        lines.push_back(SettingLine("Notify Login:", value("NotifyLogin")));
    lines.push_back(SettingLine("e-mail SMTP Host:", value("EMailSMTPHost")));
    lines.push_back(SettingLine("e-mail SMTP Port:", value("EMailSMTPPort")));
    // A missing value means none; an unknown one, which sends nothing, is
    // printed as stored.
    const SmtpSecurityChoice security = ReadSmtpSecurity(store);
    lines.push_back(SettingLine("e-mail Security:", security.Text()));
    lines.push_back(SettingLine("e-mail SMTP ID:", value("EMailSMTPID")));
    // The stored password is never printed.
    lines.push_back(SettingLine("e-mail SMTP Password:", "*******"));
    lines.push_back(SettingLine("e-mail TO:", value("EMailTo")));
    lines.push_back(SettingLine("e-mail CC:", value("EMailcc")));
    lines.push_back(SettingLine("e-mail BCC:", value("EMailBcc")));
    lines.push_back(SettingLine("e-mail From:", value("EMailLocalName")));
    lines.push_back(SettingLine("e-mail Reply To:", value("EMailLocalAddr")));
    lines.push_back(SettingLine("Scan Interval:", store.Read("ScanInterval").value_or("") + " minute(s)"));
    // The values monitoring goes by: a missing or unusable one as its default.
    SettingsStore settings(store);
    const int restartCount = ReadRestartAlertCount(settings);
    lines.push_back(SettingLine("Restart Alert After:", restartCount == 0 ? "off" : std::to_string(restartCount) +
                                                                                 " restart(s)"));
    lines.push_back(SettingLine("Restart Window:", std::to_string(ReadRestartAlertWindow(settings)) + " minute(s)"));
    return lines;
}

void PrintReportHeader(TReportWorks& works, const LocalTime& now) {
    works.ClearStyles();
    works.SetFontName(kReportFont);
    works.SetFontSize(10);
    works.SetColour(kBlack);
    works.SetFontSize(16);
    works.PrintCenter("Vigilor");
    works.NewLine();
    works.SetFontSize(8);
    works.ClearStyles();
    works.NewLine();
    works.PrintRight(ReportStamp(now));
    works.NewLine();
    works.DrawRule();
    works.NewLine();
    works.SetFontSize(10);
    works.ClearStyles();
}

void PrintReport(TReportWorks& works, ReportHost& host, ReportSystem& system) {
    works.SetTitle("Vigilor");
    works.SetMargins(kReportMargins);
    works.SetAutoPageBreak(true);
    works.BeginDoc();
    works.GotoTop();
    PrintReportHeader(works, system.Now());

    works.SetColour(kBlack);
    works.SetFontSize(10);
    works.NewLine();
    works.ClearStyles();
    works.SetUnderline();
    SectionTitle(works, "NT Servers in your Domain:");
    for (const std::string& computer : host.ComputerList()) {
        works.PrintLeft(computer);
        works.NewLine();
    }

    works.SetFontSize(10);
    works.NewLine();
    works.ClearStyles();
    works.SetUnderline();
    SectionTitle(works, "Monitored Services:");
    works.SetUnderline();
    works.PrintLeft(ServiceTableLine("Machine", "Service Description", "Service real name"));
    works.NewLine();
    works.ClearStyles();
    for (const std::string& row : host.MonitoredRows()) {
        const MonitoredService service = MonitoredService::FromRow(row);
        const std::string machine = Trim(service.server);
        const std::string displayName = Trim(service.service);
        works.PrintLeft(ServiceTableLine(machine, displayName, system.ServiceKeyName(machine, displayName)));
        works.NewLine();
    }

    works.NewLine();
    works.SetFontSize(10);
    works.ClearStyles();
    works.SetUnderline();
    SectionTitle(works, "Settings:");
    for (const std::string& line : SettingsLines(*host.OpenStore())) {
        works.PrintLeft(line);
        works.NewLine();
    }

    works.NewLine();
    works.ClearStyles();
    works.GotoBottom();
    works.SetFontSize(6);
    works.SetItalic();
    const std::string pages = std::to_string(works.PageNumber());
    works.PrintLeft("Produced by " + UpperAscii(system.WindowsUserName()));
    works.PrintCenter("Vigilor v." + host.VersionText());
    works.PrintRight("Page " + pages + " of " + pages);
    works.ClearStyles();
    works.EndDoc();
}

void FilePrintCmdExecute(ReportHost& host, ReportSystem& system) {
    const std::optional<int> copies = system.ChoosePrinter();
    if (!copies) return;
    TReportWorks works([&system](const std::string& text) { system.ShowPrinterError(text); });
    for (int copy = 0; copy < *copies; ++copy) {
        const std::unique_ptr<ReportDevice> printer = system.OpenPrinter();
        works.SetDevice(printer.get());
        {
            HourglassCursor hourglass(host);
            host.ShowStatus("Printing ...");
            PrintReport(works, host, system);
            host.ShowStatus("Done.");
        }
        works.SetDevice(nullptr);
    }
}

}  // namespace vigilor
