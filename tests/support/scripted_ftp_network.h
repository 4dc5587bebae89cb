#pragma once
// A fake FTP server behind the client's network interface: the greeting,
// one scripted reply per command line (an empty one is silence), and a data
// connection that delivers scripted pieces and then ends as told. Time is
// a clock of its own: control bytes may take time to come, and what is not
// there is a time-out once the wait's time has passed on that clock.
#include <algorithm>
#include <deque>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "maint/ftp_client.h"

namespace vigilor::test {

struct FtpScript {
    std::string greeting = "220 ready\r\n";
    std::deque<std::string> replies;
    std::deque<std::string> data;
    FtpWait dataEnd = FtpWait::Closed;
    FtpWait lookup = FtpWait::Done;
    FtpWait connect = FtpWait::Done;
    FtpWait accept = FtpWait::Done;
    FtpWait dataConnect = FtpWait::Done;
    // Milliseconds each piece of control bytes takes to come.
    int pieceDelayMs = 0;
    // Addresses that connect to the active-mode data port before the
    // server does, each sending "from <address>".
    std::deque<std::string> strangers;
};

struct FtpLog {
    std::string sent;
    std::vector<std::string> lookups;
    std::vector<std::string> connects;  // "address:port", the control connection first
    int timeOuts = 0;
    bool dataClosedEarly = false;  // a data connection went with pieces still unsent
    long long clockMs = 0;
};

class ScriptedFtpNetwork : public FtpNetwork {
public:
    static constexpr int kListenPort = 5001;

    ScriptedFtpNetwork(FtpScript& script, FtpLog& log) : script_(script), log_(log) {}

    FtpWait LookupHost(const std::string& host, int, std::string& address) override {
        log_.lookups.push_back(host);
        address = "127.0.0.9";
        return canceled_ ? FtpWait::Canceled : script_.lookup;
    }
    FtpWait Connect(const std::string& address, int port, int, std::unique_ptr<FtpConnection>& connection) override {
        log_.connects.push_back(address + ":" + std::to_string(port));
        if (canceled_) return FtpWait::Canceled;
        if (log_.sent.ends_with("PASV\r\n")) {
            if (script_.dataConnect != FtpWait::Done) return script_.dataConnect;
            connection = std::make_unique<Data>(*this);
            return FtpWait::Done;
        }
        if (script_.connect != FtpWait::Done) return script_.connect;
        connection = std::make_unique<Control>(*this);
        return FtpWait::Done;
    }
    std::unique_ptr<FtpListener> Listen(const std::string&) override { return std::make_unique<Listener>(*this); }
    void Cancel() override { canceled_ = true; }
    void Rearm() override { canceled_ = false; }
    long long ClockMs() override { return log_.clockMs; }

private:
    class Control : public FtpConnection {
    public:
        explicit Control(ScriptedFtpNetwork& n) : n_(n), pending_(n.script_.greeting) {}
        bool Send(const std::string& bytes, int) override {
            n_.log_.sent += bytes;
            if (n_.script_.replies.empty()) return false;
            pending_ += n_.script_.replies.front();
            n_.script_.replies.pop_front();
            return true;
        }
        FtpWait Receive(std::string& into, int timeoutMs) override {
            if (n_.canceled_) return FtpWait::Canceled;
            if (pending_.empty() || n_.script_.pieceDelayMs > timeoutMs) {
                n_.log_.clockMs += timeoutMs;
                ++n_.log_.timeOuts;
                return FtpWait::TimedOut;
            }
            n_.log_.clockMs += n_.script_.pieceDelayMs;
            // Dribbled in small pieces, as a network does.
            const size_t n = std::min<size_t>(pending_.size(), 5);
            into += pending_.substr(0, n);
            pending_.erase(0, n);
            return FtpWait::Done;
        }
        std::string LocalAddress() const override { return "127.0.0.1"; }
        std::string PeerAddress() const override { return "127.0.0.9"; }

    private:
        ScriptedFtpNetwork& n_;
        std::string pending_;
    };

    class Data : public FtpConnection {
    public:
        explicit Data(ScriptedFtpNetwork& n, std::string stranger = {}) : n_(n), stranger_(std::move(stranger)) {}
        ~Data() override {
            if (stranger_.empty() && !n_.script_.data.empty()) n_.log_.dataClosedEarly = true;
        }
        bool Send(const std::string&, int) override { return false; }
        FtpWait Receive(std::string& into, int) override {
            if (n_.canceled_) return FtpWait::Canceled;
            if (!stranger_.empty()) {
                if (std::exchange(strangerSent_, true)) return FtpWait::Closed;
                into += "from " + stranger_;
                return FtpWait::Done;
            }
            if (n_.script_.data.empty()) return n_.script_.dataEnd;
            into += n_.script_.data.front();
            n_.script_.data.pop_front();
            return FtpWait::Done;
        }
        std::string LocalAddress() const override { return "127.0.0.1"; }
        std::string PeerAddress() const override { return stranger_.empty() ? "127.0.0.9" : stranger_; }

    private:
        ScriptedFtpNetwork& n_;
        std::string stranger_;
        bool strangerSent_ = false;
    };

    class Listener : public FtpListener {
    public:
        explicit Listener(ScriptedFtpNetwork& n) : n_(n) {}
        int Port() const override { return kListenPort; }
        FtpWait Accept(int, std::unique_ptr<FtpConnection>& connection) override {
            if (n_.canceled_) return FtpWait::Canceled;
            if (!n_.script_.strangers.empty()) {
                connection = std::make_unique<Data>(n_, n_.script_.strangers.front());
                n_.script_.strangers.pop_front();
                return FtpWait::Done;
            }
            if (n_.script_.accept != FtpWait::Done) return n_.script_.accept;
            connection = std::make_unique<Data>(n_);
            return FtpWait::Done;
        }

    private:
        ScriptedFtpNetwork& n_;
    };

    FtpScript& script_;
    FtpLog& log_;
    bool canceled_ = false;
};

}  // namespace vigilor::test
