#pragma once
// The page-layout printer's device over GDI: a printer DC for one
// document.
#include <windows.h>

#include <string>
#include <vector>

#include "maint/report_works.h"
#include "platform/handles_win.h"

namespace vigilor {

class GdiReportDevice : public ReportDevice {
public:
    // The printer by its driver, device and port names (as the print
    // dialog gives them) and its settings (a DEVMODEW with its driver's
    // extra bytes). One copy per document: copies are separate reports.
    GdiReportDevice(const std::wstring& driver, const std::wstring& device, const std::wstring& port,
                    std::vector<BYTE> settings);
    ~GdiReportDevice() override;
    GdiReportDevice(const GdiReportDevice&) = delete;
    GdiReportDevice& operator=(const GdiReportDevice&) = delete;

    void SetPortrait() override;
    PageMetrics Metrics() override;
    void StartDocument(const std::string& title) override;
    void StartPage() override;
    void EndPage() override;
    void EndDocument() override;
    void SelectFont(const ReportFont& font) override;
    TextSize MeasureText(const std::string& text) override;
    void DrawText(int x, int y, const std::string& text) override;
    void DrawRule(int left, int right, int y, int penWidth) override;

private:
    DEVMODEW* Settings() { return reinterpret_cast<DEVMODEW*>(settings_.data()); }

    std::vector<BYTE> settings_;
    PrinterDc dc_;
    HGDIOBJ originalFont_ = nullptr;
    GdiObject font_;
    bool documentOpen_ = false;
};

}  // namespace vigilor
