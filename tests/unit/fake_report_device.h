#pragma once
// A report device with fixed metrics: 100 units an inch, a Letter page
// with a quarter-inch unprintable border; a letter is as wide as its
// font's points and twice as high. What is drawn goes to a Drawn record
// that outlives the device.
#include <stdexcept>
#include <string>
#include <vector>

#include "maint/report_works.h"
#include "platform/text.h"

namespace vigilor::test {

constexpr PageMetrics kFakePage{100, 100, 850, 1100, 25, 25, 800, 1050};

struct DrawnText {
    int page, x, y;
    std::string text;
    ReportFont font;
};

struct Drawn {
    std::vector<std::string> TextsOnPage(int page) const {
        std::vector<std::string> out;
        for (const DrawnText& t : texts)
            if (t.page == page) out.push_back(t.text);
        return out;
    }
    int pages = 0;
    std::vector<std::string> calls;  // document and page operations
    std::vector<DrawnText> texts;
    std::vector<std::vector<int>> rules;  // page, left, right, y, pen
};

class FakeReportDevice : public ReportDevice {
public:
    explicit FakeReportDevice(Drawn& out) : out(out) {}
    void SetPortrait() override { out.calls.push_back("SetPortrait"); }
    PageMetrics Metrics() override { return metrics; }
    void StartDocument(const std::string& title) override {
        out.calls.push_back("StartDocument " + title);
        if (failStartDocument) throw std::runtime_error("no document");
    }
    void StartPage() override {
        out.calls.push_back("StartPage");
        ++out.pages;
    }
    void EndPage() override {
        out.calls.push_back("EndPage");
        if (failEndPage) throw std::runtime_error("paper jam");
    }
    void EndDocument() override { out.calls.push_back("EndDocument"); }
    void SelectFont(const ReportFont& selected) override { font = selected; }
    TextSize MeasureText(const std::string& text) override {
        return {static_cast<int>(ToUtf32(text).size()) * font.points, font.points * 2};
    }
    void DrawText(int x, int y, const std::string& text) override {
        out.texts.push_back({out.pages, x, y, text, font});
    }
    void DrawRule(int left, int right, int y, int pen) override {
        out.rules.push_back({out.pages, left, right, y, pen});
    }

    Drawn& out;
    PageMetrics metrics = kFakePage;
    ReportFont font;
    bool failStartDocument = false;
    bool failEndPage = false;
};

}  // namespace vigilor::test
