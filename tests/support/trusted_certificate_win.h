#pragma once
// Trust for a test certificate: added to the local machine's root store of
// the Wine prefix the test runs in (the build tree's own test prefixes).
#include <string>

namespace vigilor::test {

// Reads a DER certificate file (a path as the program sees it, such as
// WinePath of the Linux one) and adds it to the local machine's "ROOT"
// system store, replacing the same certificate if it is there. On failure
// says why in error.
// Wine reads the root store once per process, when the process builds its
// first certificate chain: trust added later goes unseen until the next
// run, so call this before any chain is built (e.g. from a test
// environment's SetUp).
bool TrustInRootStore(const std::string& derPath, std::string& error);

}  // namespace vigilor::test
