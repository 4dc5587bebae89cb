#pragma once
// A fake SMTP server behind the client's socket interface: the greeting,
// then one scripted reply per command line; a command with no reply left
// fails to send. Receiving with nothing pending is a time-out.
#include <algorithm>
#include <deque>
#include <string>
#include <vector>

#include "notify/smtp_client.h"

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
    ScriptedSocket(Log& log, std::string greeting, std::deque<std::string> replies)
        : log_(log), greeting_(std::move(greeting)), replies_(std::move(replies)) {}

    WaitOutcome lookup = WaitOutcome::Done;
    WaitOutcome connect = WaitOutcome::Done;

    WaitOutcome LookupHost(const std::string& host, int, std::string& address) override {
        log_.lookups.push_back(host);
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
    WaitOutcome Receive(std::string& into, int) override {
        if (pending_.empty()) {
            ++log_.timeOuts;
            return WaitOutcome::TimedOut;
        }
        // Dribble the bytes in small pieces, as a network does.
        const size_t n = std::min<size_t>(pending_.size(), 5);
        into += pending_.substr(0, n);
        pending_.erase(0, n);
        return WaitOutcome::Done;
    }
    void Close() override {
        open_ = false;
        log_.closed = true;
    }

private:
    Log& log_;
    std::string greeting_;
    std::deque<std::string> replies_;
    std::string pending_;
    bool open_ = false;
    bool inData_ = false;
};

}  // namespace vigilor::test
