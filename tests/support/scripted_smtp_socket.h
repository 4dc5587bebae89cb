#pragma once
// A fake SMTP server behind the client's socket interface: the greeting,
// then one scripted reply per command line; a command with no reply left
// fails to send. Receiving with nothing pending is a time-out, or a close
// by the server with hangsUp. Time is a clock of its own that only the
// waits move on: no test waits for real.
#include <algorithm>
#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "notify/smtp_client.h"
#include "platform/app_error.h"

namespace vigilor::test {

class ScriptedSocket : public SmtpSocket {
public:
    struct Log {
        std::string sent;
        std::vector<std::string> lookups;
        std::string connectedTo;
        int timeOuts = 0;
        bool closed = false;
    };
    // Marks the start of TLS in the log of what was sent.
    static constexpr const char* kTlsMark = "<TLS>";
    ScriptedSocket(Log& log, std::string greeting, std::deque<std::string> replies)
        : log_(log), greeting_(std::move(greeting)), replies_(std::move(replies)) {}

    WaitOutcome lookup = WaitOutcome::Done;
    WaitOutcome connect = WaitOutcome::Done;
    bool hangsUp = false;
    // The error a TLS start raises; none: it succeeds.
    std::string tlsRefusal;
    // How the bytes come: so many at a time, each piece after so long.
    size_t bytesPerReceive = 5;
    int msPerReceive = 0;
    long long clock = 0;
    // Runs at every wait for the server, as the window's handlers run while
    // the real socket waits.
    std::function<void()> duringWait;

    WaitOutcome LookupHost(const std::string& host, int, std::string& address) override {
        log_.lookups.push_back(host);
        if (duringWait) duringWait();
        address = "127.0.0.9";
        return lookup;
    }
    WaitOutcome Connect(const std::string& address, int port, int) override {
        log_.connectedTo = address + ":" + std::to_string(port);
        if (connect != WaitOutcome::Done) return connect;
        open_ = true;
        pending_ = greeting_;
        return WaitOutcome::Done;
    }
    bool IsOpen() const override { return open_; }
    bool Send(const std::string& bytes, int) override {
        log_.sent += bytes;
        if (bytes == ".\r\n") inData_ = false;
        // Only a complete command (not the message text) gets a reply.
        if (bytes.ends_with("\r\n") && !inData_) {
            if (replies_.empty()) return false;
            pending_ += replies_.front();
            replies_.pop_front();
        }
        if (bytes == "DATA\r\n") inData_ = true;
        return true;
    }
    WaitOutcome Receive(std::string& into, int timeoutMs) override {
        if (duringWait) duringWait();
        if (pending_.empty() && hangsUp) return WaitOutcome::Failed;
        if (pending_.empty() || msPerReceive > timeoutMs) {
            clock += timeoutMs;
            ++log_.timeOuts;
            return WaitOutcome::TimedOut;
        }
        // Dribble the bytes in small pieces, as a network does.
        clock += msPerReceive;
        const size_t n = std::min(pending_.size(), bytesPerReceive);
        into += pending_.substr(0, n);
        pending_.erase(0, n);
        return WaitOutcome::Done;
    }
    void Close() override {
        open_ = false;
        log_.closed = true;
    }
    void StartTls(const std::string& serverName, int) override {
        log_.sent += kTlsMark + serverName + "\r\n";
        if (!tlsRefusal.empty()) throw AppError(tlsRefusal);
    }
    std::string ClientDomain() override { return "client.test"; }
    long long ClockMs() override { return clock; }

private:
    Log& log_;
    std::string greeting_;
    std::deque<std::string> replies_;
    std::string pending_;
    bool open_ = false;
    bool inData_ = false;
};

}  // namespace vigilor::test
