#pragma once
// Puts the status page in place as a whole: a web server that serves it
// never sees half a page, and a failed write leaves the last good one.
#include <string>
#include <vector>

namespace vigilor {

// Writes the lines, each ended by CR LF, to the UTF-8 path. The page keeps
// its access list and attributes; in a folder that takes no new file it is
// written in place. Raises AppError "Cannot create file <path>" when the
// page cannot be put in place (at once for a read-only page; a reader
// holding the old page open is waited for about two seconds) and "Stream
// write error" when the bytes cannot be written.
void WriteStatusPage(const std::string& path, const std::vector<std::string>& lines);

}  // namespace vigilor
