#pragma once
// A mail server of the test's own on the loopback that answers each command
// line as the test says, for the cases a real server cannot be made to
// show: a reply held back, a refusal at a chosen step, a close that comes
// while the client waits.
#include <winsock2.h>

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "tests/support/loopback_server_win.h"

namespace vigilor::test {

class ScriptedSmtpServer {
public:
    // The reply to a command line (without CR LF), also to the "." that ends
    // the data; "" sends nothing. It runs on the server's thread.
    using Reply = std::function<std::string(const std::string& line)>;

    // An empty greeting makes a server that never speaks. The connections
    // are served one after another; onConnect runs as each comes, before
    // the greeting.
    ScriptedSmtpServer(std::string greeting, Reply reply, int connections = 1,
                       std::function<void()> onConnect = {});
    int Port() const { return server_.Port(); }
    // Everything the clients sent, once the connections have ended.
    std::string Received();
    // The command lines of each connection, each ended by "\n", once no
    // more connections are taken.
    std::vector<std::string> Transcripts();

private:
    void Serve(SOCKET client);

    std::string greeting_;
    Reply reply_;
    std::function<void()> onConnect_;
    std::string received_;
    std::vector<std::string> transcripts_;
    // Last, so that it starts serving once the rest is there and stops first.
    LoopbackServer server_;
};

// A polite server's replies, with those to the lines that begin with one
// of the given prefixes replaced.
ScriptedSmtpServer::Reply SmtpAnswers(std::map<std::string, std::string> special = {});

}  // namespace vigilor::test
