#include "notify/failure_reports.h"

#include <filesystem>
#include <fstream>

#include "platform/app_error.h"

namespace vigilor {

void AppendFailureReport(FailureMemo& memo, const LocalTime& now, const std::string& message) {
    AppendStampedReports(memo, {ReportStamp(now) + " " + message});
}

void AppendStampedReports(FailureMemo& memo, const std::vector<std::string>& reports) {
    size_t next = 0;
    for (; next < reports.size() && memo.DisplayedLineCount() <= 1; ++next) memo.AppendLine(reports[next]);
    if (next == reports.size()) return;
    std::vector<std::string> lines;
    lines.reserve(2 * (reports.size() - next));
    for (; next < reports.size(); ++next) {
        lines.push_back(kReportSeparator);
        lines.push_back(reports[next]);
    }
    memo.AppendLines(lines);
}

std::vector<std::string> MemoLines(const std::string& text) {
    std::vector<std::string> lines;
    if (text.empty()) return lines;
    for (size_t start = 0;;) {
        const size_t end = text.find("\r\n", start);
        lines.push_back(text.substr(start, end == std::string::npos ? std::string::npos : end - start));
        if (end == std::string::npos) return lines;
        start = end + 2;
    }
}

std::string FailureReportFileText(const std::vector<std::string>& lines) {
    std::string text;
    for (const auto& line : lines) text += line + "\r\n";
    return text;
}

void WriteWholeFile(const std::string& path, const std::string& bytes) {
    const std::filesystem::path file(std::u8string(path.begin(), path.end()));
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.close();
    if (!out) throw AppError("Cannot create file " + path);
}

void SaveFailureReports(FailureMemo& memo, SaveFileChooser& chooser) {
    const std::vector<std::string> lines = memo.Lines();
    if (lines.empty()) return;
    const std::string path = chooser.ChooseSaveFile({"Text files (*.txt)|*.txt", "txt", true, true});
    if (path.empty()) return;
    WriteWholeFile(path, FailureReportFileText(lines));
}

}  // namespace vigilor
