#pragma once
// Puts the status page, and the metrics file, in place as a whole: a web
// server that serves the page never sees half of it, and a failed write
// leaves the last good one.
#include <string>
#include <vector>

namespace vigilor {

// What to do when no draft can be made beside the file (a folder that takes
// no new file): write the file where it is, or refuse, for a file that
// must never be seen half written.
enum class WithoutDraft { WriteInPlace, Refuse };

// Puts the bytes in place as the file at the UTF-8 path: drafted beside it,
// then replaced over it, keeping its access list and attributes. Raises the
// errors of WriteStatusPage.
void ReplaceWholeFile(const std::string& path, const std::string& text, WithoutDraft withoutDraft);

// Writes the lines, each ended by CR LF, to the UTF-8 path. The page keeps
// its access list and attributes; in a folder that takes no new file it is
// written in place. Raises AppError "Cannot create file <path>" when the
// page cannot be put in place (at once for a read-only page; a reader
// holding the old page open is waited for about two seconds) and "Stream
// write error" when the bytes cannot be written.
void WriteStatusPage(const std::string& path, const std::vector<std::string>& lines);

}  // namespace vigilor
