#include "maint/report_works.h"

#include <algorithm>
#include <cmath>
#include <exception>

namespace vigilor {

namespace {

int ToUnits(double inches, int dpi) { return static_cast<int>(std::lround(inches * dpi)); }

}  // namespace

MarginLines PlaceMargins(const MarginsInches& margins, const PageMetrics& page) {
    const int rightBorder = page.paperWidth - page.offsetX - page.printableWidth;
    const int bottomBorder = page.paperHeight - page.offsetY - page.printableHeight;
    const int left = std::max(ToUnits(margins.left, page.dpiX), page.offsetX);
    const int right = std::max(ToUnits(margins.right, page.dpiX), rightBorder);
    const int top = std::max(ToUnits(margins.top, page.dpiY), page.offsetY);
    const int bottom = std::max(ToUnits(margins.bottom, page.dpiY), bottomBorder);
    return {left - page.offsetX, page.paperWidth - right - page.offsetX, top - page.offsetY,
            page.paperHeight - bottom - page.offsetY};
}

int LineAdvance(int letterHeight) { return letterHeight + (letterHeight + 5) / 10; }

void TReportWorks::Guard(const std::function<void()>& action) {
    try {
        action();
    } catch (const std::exception& error) {
        if (onError_) onError_(error.what());
    }
}

void TReportWorks::BeginDoc() {
    page_ = 1;
    y_ = 0;
    if (!device_) return;
    device_->SetPortrait();
    const PageMetrics page = device_->Metrics();
    dpiY_ = page.dpiY;
    lines_ = PlaceMargins(margins_, page);
    y_ = lines_.top;
    documentOpen_ = false;
    Guard([&] {
        device_->StartDocument(title_);
        documentOpen_ = true;
    });
    // A document the printer refused has no pages to start or end.
    if (documentOpen_) Guard([&] { device_->StartPage(); });
    ApplyFont();
}

void TReportWorks::EndDoc() {
    if (!device_ || !documentOpen_) return;
    documentOpen_ = false;
    Guard([&] { device_->EndPage(); });
    Guard([&] { device_->EndDocument(); });
}

void TReportWorks::NewPage() {
    ++page_;
    y_ = lines_.top;
    if (!device_ || !documentOpen_) return;
    Guard([&] { device_->EndPage(); });
    Guard([&] { device_->StartPage(); });
    // A new page may start with the device's default font.
    ApplyFont();
}

int TReportWorks::LetterHeight() { return device_ ? device_->MeasureText("M").height : 0; }

void TReportWorks::NewLine() {
    const int height = LetterHeight();
    y_ += LineAdvance(height);
    if (autoPageBreak_ && y_ + height > lines_.bottom) NewPage();
}

void TReportWorks::PrintLeft(const std::string& text) {
    if (device_ && documentOpen_) device_->DrawText(lines_.left, y_, text);
}

void TReportWorks::PrintCenter(const std::string& text) {
    if (!device_ || !documentOpen_) return;
    const int width = device_->MeasureText(text).width;
    device_->DrawText(lines_.left + (lines_.right - lines_.left - width) / 2, y_, text);
}

void TReportWorks::PrintRight(const std::string& text) {
    if (!device_ || !documentOpen_) return;
    device_->DrawText(lines_.right - device_->MeasureText(text).width, y_, text);
}

void TReportWorks::DrawRule() {
    if (!device_ || !documentOpen_) return;
    const int pen = std::max(1, ToUnits(0.01, dpiY_));
    device_->DrawRule(lines_.left, lines_.right, y_ + LetterHeight() / 2, pen);
}

void TReportWorks::ApplyFont() {
    if (device_) device_->SelectFont(font_);
}

void TReportWorks::SetFontName(const std::string& name) {
    font_.name = name;
    ApplyFont();
}

void TReportWorks::SetFontSize(int points) {
    font_.points = points;
    ApplyFont();
}

void TReportWorks::SetUnderline() {
    font_.underline = true;
    ApplyFont();
}

void TReportWorks::SetItalic() {
    font_.italic = true;
    ApplyFont();
}

void TReportWorks::ClearStyles() {
    font_.underline = false;
    font_.italic = false;
    ApplyFont();
}

void TReportWorks::SetColour(std::uint32_t colour) {
    font_.colour = colour;
    ApplyFont();
}

}  // namespace vigilor
