#pragma once
// The list of recent failure reports on the main window: time-stamped lines
// with separators, and saving them to a text file.
#include <string>
#include <vector>

#include "notify/local_time.h"

namespace vigilor {

constexpr const char* kReportSeparator = "-------------------------------------";

// The memo control as the report code sees it; the main window implements it.
class FailureMemo {
public:
    virtual ~FailureMemo() = default;
    // The rows the control displays: a line that wraps counts once per
    // displayed row, a trailing empty row is not counted.
    virtual int DisplayedLineCount() = 0;
    virtual void AppendLine(const std::string& line) = 0;
    // Several lines at once; a control whose every change costs what it
    // already holds takes them in one change.
    virtual void AppendLines(const std::vector<std::string>& lines) {
        for (const std::string& line : lines) AppendLine(line);
    }
    // The lines as held (not as wrapped).
    virtual std::vector<std::string> Lines() = 0;
};

// Before the stamp and the message goes a separator whenever the memo
// already shows more than one row.
void AppendFailureReport(FailureMemo& memo, const LocalTime& now, const std::string& message);
// Reports already stamped, with the same separators. A memo that shows more
// than one row keeps doing so as lines are added, so the control is asked
// only until it does, and the rest go in as one append.
void AppendStampedReports(FailureMemo& memo, const std::vector<std::string>& reports);

struct SaveFileRequest {
    std::string filter;            // "Text files (*.txt)|*.txt"
    std::string defaultExtension;  // "txt"
    bool promptOverwrite = true;
    bool pathMustExist = true;
};

// The save dialog; empty answer = cancelled.
class SaveFileChooser {
public:
    virtual ~SaveFileChooser() = default;
    virtual std::string ChooseSaveFile(const SaveFileRequest& request) = 0;
};

// "Save failure reports to disk". Raises AppError when the file cannot be
// written; the memo is never changed.
void SaveFailureReports(FailureMemo& memo, SaveFileChooser& chooser);

// The lines of a memo's text, which CR LF separates; none for no text.
std::vector<std::string> MemoLines(const std::string& text);

// Each line followed by CR LF.
std::string FailureReportFileText(const std::vector<std::string>& lines);

// Replaces the file at the UTF-8 path with the bytes; raises AppError
// "Cannot create file <path>" when that fails.
void WriteWholeFile(const std::string& path, const std::string& bytes);

}  // namespace vigilor
