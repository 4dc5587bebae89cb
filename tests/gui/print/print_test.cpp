// The printed report on a real printer: File > Print through the main
// window and the system's print dialog, to a CUPS queue that writes PDFs
// (tests/support/pdf_printer.sh), read back as text.
#include <gtest/gtest.h>

#include <windows.h>

#include <dlgs.h>  // the print dialog's controls

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <set>
#include <sstream>
#include <thread>

#include "app/main_form_ids.h"
#include "notify/local_time.h"
#include "notify/notification_channels_win.h"
#include "platform/system_info_win.h"
#include "platform/text.h"
#include "platform/wide_win.h"
#include "resources/resource_ids.h"
#include "tests/support/form_fixture_win.h"
#include "tests/support/modal_driver_win.h"
#include "tests/support/wine_paths.h"

namespace vigilor {
namespace {

using namespace std::chrono_literals;

constexpr const char* kLoopback = "\\\\127.0.0.1";
const std::string kLongMachine = "\\\\ABCDEFGHIJKLMNOPQRSTUVWXYZ";
const std::string kLongService = "Long0123456789abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVW";

// The text as lines of words: runs of blanks as one, lines trimmed, no
// empty lines (the layout's gaps between lines are not the point here).
std::string Squeezed(const std::string& text) {
    std::string out = "\n";
    bool blank = false;
    for (char c : text) {
        const bool lineStart = out.back() == '\n' || out.back() == '\f';
        if (c == ' ' || c == '\t') {
            blank = true;
        } else if (c == '\n') {
            if (!lineStart) out += c;
            blank = false;
        } else {
            if (c == '\f' && out.back() == '\n') out.pop_back();
            if (blank && !lineStart && c != '\f') out += ' ';
            out += c;
            blank = false;
        }
    }
    return out;
}

std::vector<std::string> Pages(const std::string& text) {
    std::vector<std::string> pages;
    std::stringstream in(text);
    for (std::string page; std::getline(in, page, '\f');)
        if (!Trim(page).empty()) pages.push_back(page);
    return pages;
}

bool Has(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

class PrintedReport : public test::FormFixture {
protected:
    PrintedReport() {
        if (const char* dir = std::getenv("VIGILOR_PDF_PRINTER")) folder_ = dir;
        system.printer = DefaultPrinterName();  // what this Wine prefix has as its default
        known_ = PdfFiles();
        key.SetText("ComputerName", kLoopback);
        key.SetText("ScanInterval", "5");
        key.SetText("NotifyLogin", "operator");
        key.SetText("EMailSMTPHost", "127.0.0.1");
        key.SetText("EMailSMTPPwd", "hidden-pwd");
        key.SetText("EMailTo", "to@example.org");
        key.SetText("EMailCc", "cc@example.org");
    }

    void Monitor(const std::vector<std::pair<std::string, std::string>>& rows) {
        for (size_t i = 0; i < rows.size(); ++i) {
            key.SetText("MacMonitor" + std::to_string(i), rows[i].first);
            key.SetText("SvcMonitor" + std::to_string(i), rows[i].second);
        }
    }

    // File > Print with the copies typed into the real print dialog.
    void Print(int copies) {
        ASSERT_FALSE(folder_.empty()) << "no PDF printer (VIGILOR_PDF_PRINTER)";
        const test::ModalOutcome outcome = test::DriveModal([&] { Command(IDM_PRINT); },
                                                            [&](HWND dialog) {
                                                                printToFileShown_ =
                                                                    IsWindowVisible(GetDlgItem(dialog, chx1));
                                                                SetDlgItemInt(dialog, edt3, copies, FALSE);
                                                                test::ClickButton(dialog, IDOK);
                                                            });
        ASSERT_TRUE(outcome.found) << "no print dialog";
        ASSERT_FALSE(outcome.timedOut);
    }

    std::set<std::string> PdfFiles() const {
        std::set<std::string> names;
        if (folder_.empty()) return names;
        WIN32_FIND_DATAW found;
        const HANDLE search = FindFirstFileW(Wide(test::WinePath(folder_ + "/out/*.pdf")).c_str(), &found);
        if (search == INVALID_HANDLE_VALUE) return names;
        do names.insert(Narrow(found.cFileName));
        while (FindNextFileW(search, &found));
        FindClose(search);
        return names;
    }

    // The text of each PDF printed since the test began, waited for (the
    // queue converts asynchronously) until `count` are there and complete.
    std::vector<std::string> PrintedTexts(size_t count) {
        std::vector<std::string> fresh;
        if (folder_.empty()) return {};
        const auto deadline = std::chrono::steady_clock::now() + 60s;
        for (;;) {
            fresh.clear();
            for (const std::string& name : PdfFiles())
                if (!known_.count(name) && Complete(folder_ + "/out/" + name)) fresh.push_back(name);
            if (fresh.size() >= count || std::chrono::steady_clock::now() > deadline) break;
            std::this_thread::sleep_for(50ms);
        }
        EXPECT_EQ(fresh.size(), count) << "PDFs printed";
        std::vector<std::string> texts;
        for (const std::string& name : fresh) texts.push_back(PdfText(folder_ + "/out/" + name));
        return texts;
    }

    // A PDF is whole once its end-of-file mark is written.
    static bool Complete(const std::string& linuxPath) {
        const std::string bytes = test::ReadWholeFile(test::WinePath(linuxPath));
        const size_t mark = bytes.rfind("%%EOF");
        return mark != std::string::npos && Trim(bytes.substr(mark + 5)).empty();
    }

    // pdftotext of the Linux side. Wine starts Linux programs but gives no
    // handle to wait on, so the shell moves the text into place when it is
    // done and that is waited for.
    std::string PdfText(const std::string& pdf) {
        const std::string part = pdf + ".part", done = pdf + ".txt";
        std::wstring line = Wide("Z:\\bin\\sh -c \"pdftotext -layout '" + pdf + "' '" + part + "' && mv '" + part +
                                 "' '" + done + "'\"");
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION process{};
        EXPECT_TRUE(
            CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process));
        if (process.hProcess) CloseHandle(process.hProcess);
        if (process.hThread) CloseHandle(process.hThread);
        EXPECT_TRUE(test::WaitForFile(test::WinePath(done), 30s)) << "no text from " << pdf;
        return test::ReadWholeFile(test::WinePath(done));
    }

    std::string folder_;
    std::set<std::string> known_;
    bool printToFileShown_ = true;
};

TEST_F(PrintedReport, PrintsTheWholeReportOnTheDefaultPrinter) {
    wchar_t spooler[256] = {};
    {
        const SC_HANDLE manager = OpenSCManagerW(nullptr, nullptr, SC_MANAGER_CONNECT);
        DWORD size = 256;
        ASSERT_TRUE(GetServiceDisplayNameW(manager, L"Spooler", spooler, &size));
        CloseServiceHandle(manager);
    }
    Monitor({{kLoopback, Narrow(spooler)}, {kLongMachine, kLongService}});
    TMainForm& f = Open();
    EXPECT_EQ(f.PrinterName(), "VigilorPDF");
    const std::string before = ReportStamp(CurrentLocalTime());
    Print(1);
    const std::string after = ReportStamp(CurrentLocalTime());
    EXPECT_FALSE(printToFileShown_);
    EXPECT_EQ(f.StatusPanelText(0), "       Done.");
    EXPECT_TRUE(dialogs.shown.empty()) << dialogs.Texts().front();

    const std::vector<std::string> texts = PrintedTexts(1);
    ASSERT_EQ(texts.size(), 1u);
    ASSERT_EQ(Pages(texts[0]).size(), 1u);
    const std::string page = Squeezed(texts[0]);
    EXPECT_EQ(page.substr(0, 9), "\nVigilor\n");
    EXPECT_TRUE(Has(page, Squeezed(before) + "\n") || Has(page, Squeezed(after) + "\n")) << page;
    EXPECT_TRUE(Has(page, "NT Servers in your Domain:\n\\\\127.0.0.1\n")) << page;
    EXPECT_TRUE(Has(page, "Monitored Services:\nMachine Service Description Service real name\n")) << page;
    EXPECT_TRUE(Has(page, "\\\\127.0.0.1 " + Narrow(spooler) + " Spooler\n")) << page;
    // Machine cut at 18 characters, the service at 55.
    EXPECT_TRUE(Has(page, kLongMachine.substr(0, 18) + " " + kLongService.substr(0, 55) + "\n")) << page;
    EXPECT_FALSE(Has(page, kLongMachine.substr(0, 19) + " ")) << "the list of computers names it whole, the table not";
    // The password's label is one character wider than its 20 columns.
    for (const char* line :
         {"Settings:", "HTML Output File: not defined", "Metrics File: not defined", "Notify Login: operator", "e-mail SMTP Host: 127.0.0.1",
          "e-mail SMTP Port: not defined", "e-mail Security: None", "e-mail SMTP Password *******", "e-mail TO: to@example.org",
          "e-mail CC: cc@example.org", "e-mail BCC: not defined", "Scan Interval: 5 minute(s)"})
        EXPECT_TRUE(Has(page, std::string("\n") + line + "\n")) << line << "\n" << page;
    EXPECT_FALSE(Has(page, "hidden-pwd"));
    EXPECT_TRUE(Has(page, "Produced by " + UpperAscii(CurrentUserName()) + " Vigilor v.9.8.7.6 Page 1 of 1")) << page;
}

TEST_F(PrintedReport, TwoPagesHeaderOnTheFirstFooterOnTheLast) {
    std::vector<std::pair<std::string, std::string>> rows;
    for (int i = 0; i < 70; ++i) rows.push_back({kLoopback, "Row service " + std::to_string(100 + i)});
    Monitor(rows);
    Open();
    Print(1);
    const std::vector<std::string> texts = PrintedTexts(1);
    ASSERT_EQ(texts.size(), 1u);
    const std::vector<std::string> pages = Pages(Squeezed(texts[0]));
    ASSERT_EQ(pages.size(), 2u) << texts[0];
    EXPECT_TRUE(Has(pages[0], "\nVigilor\n"));
    EXPECT_TRUE(Has(pages[0], "Row service 100"));
    EXPECT_FALSE(Has(pages[0], "Page "));
    EXPECT_TRUE(Has(pages[1], "Row service 169"));
    EXPECT_TRUE(Has(pages[1], "Page 2 of 2"));
    EXPECT_FALSE(Has(pages[1], "\nVigilor\n"));
    EXPECT_FALSE(Has(pages[1], "NT Servers"));
}

TEST_F(PrintedReport, TwoCopiesAreTwoReportsAndNoNotifyLoginWithoutScreenAlerts) {
    key.SetText("ScreenNotify", "0");
    Open();
    Print(2);
    const std::vector<std::string> texts = PrintedTexts(2);
    ASSERT_EQ(texts.size(), 2u);
    for (const std::string& text : texts) {
        EXPECT_EQ(Pages(text).size(), 1u);
        EXPECT_TRUE(Has(Squeezed(text), "\ne-mail SMTP Host: 127.0.0.1\n"));
        EXPECT_FALSE(Has(text, "Notify Login:"));
        EXPECT_TRUE(Has(Squeezed(text), "Page 1 of 1"));
    }
}

TEST_F(PrintedReport, NoDefaultPrinterNoDialog) {
    system.printer = "";
    Open();
    const test::ModalOutcome outcome =
        test::DriveModal([&] { Command(IDM_PRINT); }, [](HWND dialog) { test::ClickButton(dialog, IDCANCEL); });
    EXPECT_FALSE(outcome.found);
}

}  // namespace
}  // namespace vigilor
