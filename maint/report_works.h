#pragma once
// The page-layout printer: lines of text and fine rules on the pages of a
// device, placed between margins given in inches, with automatic page
// breaks. The device (a printer DC, or a fake with fixed metrics) answers
// the page's measures and text sizes in its own units; the layout is all
// here.
#include <cstdint>
#include <functional>
#include <string>

namespace vigilor {

// A page as the device reports it: device units, dots per inch apart.
struct PageMetrics {
    int dpiX = 0, dpiY = 0;
    int paperWidth = 0, paperHeight = 0;
    // The unprintable border at the left and top; the printable area's
    // origin is the device's (0, 0).
    int offsetX = 0, offsetY = 0;
    int printableWidth = 0, printableHeight = 0;
};

struct ReportFont {
    std::string name = "Arial";
    int points = 10;
    bool underline = false;
    bool italic = false;
    std::uint32_t colour = 0;  // 0x00BBGGRR
};

struct TextSize {
    int width = 0;
    int height = 0;
};

class ReportDevice {
public:
    virtual ~ReportDevice() = default;
    virtual void SetPortrait() = 0;
    virtual PageMetrics Metrics() = 0;
    // These raise AppError when the printer fails.
    virtual void StartDocument(const std::string& title) = 0;
    virtual void StartPage() = 0;
    virtual void EndPage() = 0;
    virtual void EndDocument() = 0;

    virtual void SelectFont(const ReportFont& font) = 0;
    virtual TextSize MeasureText(const std::string& text) = 0;
    // Text whose cell's top left corner is at (x, y).
    virtual void DrawText(int x, int y, const std::string& text) = 0;
    virtual void DrawRule(int left, int right, int y, int penWidth) = 0;
};

struct MarginsInches {
    double left = 1.0, right = 1.0, top = 1.0, bottom = 1.0;
};

// Where the margins fall on the page, in device units from the printable
// area's origin.
struct MarginLines {
    int left = 0, right = 0, top = 0, bottom = 0;
};

// The margins on a page: never inside the unprintable border.
MarginLines PlaceMargins(const MarginsInches& margins, const PageMetrics& page);
// The height of "M" plus 10 % of it, rounded to the nearest unit.
int LineAdvance(int letterHeight);

class TReportWorks {
public:
    // Printer failures during a document go to onError; the document goes
    // on.
    explicit TReportWorks(std::function<void(const std::string&)> onError) : onError_(std::move(onError)) {}

    // The destination: a printer while a report is produced, none
    // otherwise (then nothing is drawn or measured).
    void SetDevice(ReportDevice* device) { device_ = device; }
    void SetTitle(const std::string& title) { title_ = title; }
    void SetMargins(const MarginsInches& inches) { margins_ = inches; }
    void SetAutoPageBreak(bool on) { autoPageBreak_ = on; }

    // Portrait, page 1, at the top margin.
    void BeginDoc();
    void EndDoc();
    // Back to the left margin, one line down; a new page when the line
    // would leave the bottom margin.
    void NewLine();
    void NewPage();

    // Each at the current line; none moves it.
    void PrintLeft(const std::string& text);
    void PrintCenter(const std::string& text);
    void PrintRight(const std::string& text);
    // A rule from the left to the right margin, one hundredth of an inch.
    void DrawRule();

    void GotoTop() { y_ = lines_.top; }
    void GotoBottom() { y_ = lines_.bottom; }

    void SetFontName(const std::string& name);
    void SetFontSize(int points);
    void SetUnderline();
    void SetItalic();
    void ClearStyles();
    void SetColour(std::uint32_t colour);

    int PageNumber() const { return page_; }
    int CurrentY() const { return y_; }
    const MarginLines& Lines() const { return lines_; }

private:
    void ApplyFont();
    int LetterHeight();
    void Guard(const std::function<void()>& action);

    std::function<void(const std::string&)> onError_;
    ReportDevice* device_ = nullptr;
    std::string title_;
    MarginsInches margins_;
    bool autoPageBreak_ = true;
    ReportFont font_;
    MarginLines lines_;
    int dpiY_ = 0;
    int page_ = 0;
    int y_ = 0;
    bool documentOpen_ = false;
};

}  // namespace vigilor
