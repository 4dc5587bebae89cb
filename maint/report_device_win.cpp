#include "maint/report_device_win.h"

#include "platform/app_error.h"
#include "platform/system_error_win.h"
#include "platform/wide_win.h"

namespace vigilor {

namespace {

[[noreturn]] void RaisePrinterError() {
    Win32SystemErrors errors;
    throw AppError("Printer error: " + SystemErrorText(errors, errors.LastError()));
}

}  // namespace

GdiReportDevice::GdiReportDevice(const std::wstring& driver, const std::wstring& device, const std::wstring& port,
                                 std::vector<BYTE> settings)
    : settings_(std::move(settings)) {
    if (settings_.size() >= sizeof(DEVMODEW)) {
        Settings()->dmCopies = 1;
        Settings()->dmFields |= DM_COPIES;
    } else {
        settings_.clear();
    }
    dc_.Reset(CreateDCW(driver.empty() ? nullptr : driver.c_str(), device.c_str(),
                        port.empty() ? nullptr : port.c_str(), settings_.empty() ? nullptr : Settings()));
    if (!dc_) RaisePrinterError();
    SetBkMode(dc_.Get(), OPAQUE);
    SetBkColor(dc_.Get(), RGB(255, 255, 255));
    SetTextAlign(dc_.Get(), TA_TOP | TA_LEFT | TA_NOUPDATECP);
}

GdiReportDevice::~GdiReportDevice() {
    if (documentOpen_) AbortDoc(dc_.Get());
    // The font may go only once the DC no longer holds it.
    if (originalFont_) SelectObject(dc_.Get(), originalFont_);
}

void GdiReportDevice::SetPortrait() {
    if (settings_.empty()) return;
    Settings()->dmOrientation = DMORIENT_PORTRAIT;
    Settings()->dmFields |= DM_ORIENTATION;
    ResetDCW(dc_.Get(), Settings());
}

PageMetrics GdiReportDevice::Metrics() {
    const HDC dc = dc_.Get();
    return {GetDeviceCaps(dc, LOGPIXELSX),     GetDeviceCaps(dc, LOGPIXELSY),      GetDeviceCaps(dc, PHYSICALWIDTH),
            GetDeviceCaps(dc, PHYSICALHEIGHT), GetDeviceCaps(dc, PHYSICALOFFSETX), GetDeviceCaps(dc, PHYSICALOFFSETY),
            GetDeviceCaps(dc, HORZRES),        GetDeviceCaps(dc, VERTRES)};
}

void GdiReportDevice::StartDocument(const std::string& title) {
    const std::wstring name = Wide(title);
    DOCINFOW document{};
    document.cbSize = sizeof document;
    document.lpszDocName = name.c_str();
    if (StartDocW(dc_.Get(), &document) <= 0) RaisePrinterError();
    documentOpen_ = true;
}

void GdiReportDevice::StartPage() {
    if (::StartPage(dc_.Get()) <= 0) RaisePrinterError();
}

void GdiReportDevice::EndPage() {
    if (::EndPage(dc_.Get()) <= 0) RaisePrinterError();
}

void GdiReportDevice::EndDocument() {
    documentOpen_ = false;
    if (EndDoc(dc_.Get()) <= 0) RaisePrinterError();
}

void GdiReportDevice::SelectFont(const ReportFont& font) {
    const HDC dc = dc_.Get();
    const int height = -MulDiv(font.points, GetDeviceCaps(dc, LOGPIXELSY), 72);
    GdiObject next(CreateFontW(height, 0, 0, 0, FW_NORMAL, font.italic, font.underline, FALSE, DEFAULT_CHARSET,
                               OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, FIXED_PITCH | FF_MODERN,
                               Wide(font.name).c_str()));
    if (!next) return;  // the previous font stays
    const HGDIOBJ previous = SelectObject(dc, next.Get());
    if (!originalFont_) originalFont_ = previous;
    font_ = std::move(next);
    SetTextColor(dc, static_cast<COLORREF>(font.colour));
}

TextSize GdiReportDevice::MeasureText(const std::string& text) {
    const std::wstring wide = Wide(text);
    SIZE size{};
    GetTextExtentPoint32W(dc_.Get(), wide.c_str(), static_cast<int>(wide.size()), &size);
    return {size.cx, size.cy};
}

void GdiReportDevice::DrawText(int x, int y, const std::string& text) {
    const std::wstring wide = Wide(text);
    TextOutW(dc_.Get(), x, y, wide.c_str(), static_cast<int>(wide.size()));
}

void GdiReportDevice::DrawRule(int left, int right, int y, int penWidth) {
    const HDC dc = dc_.Get();
    GdiObject pen(CreatePen(PS_SOLID, penWidth, RGB(0, 0, 0)));
    if (!pen) return;
    const HGDIOBJ previous = SelectObject(dc, pen.Get());
    MoveToEx(dc, left, y, nullptr);
    LineTo(dc, right, y);
    SelectObject(dc, previous);
}

}  // namespace vigilor
