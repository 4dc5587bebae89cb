#pragma once
// The command line a launched program is started with.
#include <string>

namespace vigilor {

// The command line RunAndWait hands to the system: one that is a single
// path holding blanks gets quoted, so that the system starts the named
// file and not a shorter path that happens to exist; a line that starts
// with a quote, or has no blank, is left as it is.
std::string QuotedCommandLine(const std::string& commandLine);

}  // namespace vigilor
