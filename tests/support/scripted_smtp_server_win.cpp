#include "tests/support/scripted_smtp_server_win.h"

namespace vigilor::test {

ScriptedSmtpServer::ScriptedSmtpServer(std::string greeting, Reply reply, int connections,
                                       std::function<void()> onConnect)
    : greeting_(std::move(greeting)),
      reply_(std::move(reply)),
      onConnect_(std::move(onConnect)),
      server_([this](SOCKET client) { Serve(client); }, connections) {}

std::string ScriptedSmtpServer::Received() {
    server_.Join();
    return received_;
}

std::vector<std::string> ScriptedSmtpServer::Transcripts() {
    server_.Stop();
    return transcripts_;
}

void ScriptedSmtpServer::Serve(SOCKET client) {
    if (onConnect_) onConnect_();
    const auto say = [client](const std::string& text) {
        if (!text.empty()) send(client, text.data(), static_cast<int>(text.size()), 0);
    };
    say(greeting_);
    std::string& transcript = transcripts_.emplace_back();
    std::string pending;
    bool inData = false;
    for (char buffer[1024];;) {
        const int n = recv(client, buffer, sizeof buffer, 0);
        if (n <= 0) return;
        received_.append(buffer, static_cast<size_t>(n));
        pending.append(buffer, static_cast<size_t>(n));
        if (greeting_.empty()) continue;
        for (size_t end; (end = pending.find("\r\n")) != std::string::npos;) {
            const std::string line = pending.substr(0, end);
            pending.erase(0, end + 2);
            if (inData && line != ".") continue;
            inData = false;
            transcript += line + "\n";
            const std::string answer = reply_(line);
            if (line == "DATA" && answer.starts_with("354")) inData = true;
            say(answer);
            if (line == "QUIT") return;
        }
    }
}

ScriptedSmtpServer::Reply SmtpAnswers(std::map<std::string, std::string> special) {
    return [special = std::move(special)](const std::string& line) -> std::string {
        for (const auto& [prefix, answer] : special)
            if (line.starts_with(prefix)) return answer;
        if (line == "DATA") return "354 go ahead\r\n";
        if (line == "QUIT") return "221 bye\r\n";
        return "250 ok\r\n";
    };
}

}  // namespace vigilor::test
