#pragma once
// The folder of the TLS mail servers (smtp_tls_servers.py) the fixture
// starts: their ports and the mails each has received.
#include <string>

#include "tests/support/wine_paths.h"

namespace vigilor::test {

// The port of the server of that name, from the "name port" lines of the
// folder's ports file; "0" when it is not there.
inline std::string TlsServerPort(const std::string& folder, const std::string& server) {
    const std::string ports = "\n" + ReadWholeFile(folder + "\\ports");
    const size_t at = ports.find("\n" + server + " ");
    if (at == std::string::npos) return "0";
    const size_t start = at + server.size() + 2;
    return ports.substr(start, ports.find_first_of("\r\n", start) - start);
}

inline std::string TlsServerMail(const std::string& folder, const std::string& server, int n) {
    return folder + "\\" + server + "-mail-" + std::to_string(n) + ".txt";
}

// How many mails the server has received.
inline int TlsServerMails(const std::string& folder, const std::string& server) {
    int n = 0;
    while (FileThere(TlsServerMail(folder, server, n + 1))) ++n;
    return n;
}

}  // namespace vigilor::test
