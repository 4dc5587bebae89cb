#pragma once
// A fake FTP server behind the client's network interface: the greeting,
// one scripted reply per command line (an empty one is silence), and a data
// connection that delivers scripted pieces and then ends as told. Nothing
// waits: what is not there is a time-out at once.
#include <algorithm>
#include <deque>
#include <memory>
#include <string>
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
};

struct FtpLog {
    std::string sent;
    std::vector<std::string> lookups;
    std::vector<std::string> connects;  // "address:port", the control connection first
    int timeOuts = 0;
    bool dataClosedEarly = false;  // a data connection went with pieces still unsent
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
        if (controlOpen_) {
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

private:
    class Control : public FtpConnection {
    public:
        explicit Control(ScriptedFtpNetwork& n) : n_(n), pending_(n.script_.greeting) { n_.controlOpen_ = true; }
        ~Control() override { n_.controlOpen_ = false; }
        bool Send(const std::string& bytes, int) override {
            n_.log_.sent += bytes;
            if (n_.script_.replies.empty()) return false;
            pending_ += n_.script_.replies.front();
            n_.script_.replies.pop_front();
            return true;
        }
        FtpWait Receive(std::string& into, int) override {
            if (n_.canceled_) return FtpWait::Canceled;
            if (pending_.empty()) {
                ++n_.log_.timeOuts;
                return FtpWait::TimedOut;
            }
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
        explicit Data(ScriptedFtpNetwork& n) : n_(n) {}
        ~Data() override {
            if (!n_.script_.data.empty()) n_.log_.dataClosedEarly = true;
        }
        bool Send(const std::string&, int) override { return false; }
        FtpWait Receive(std::string& into, int) override {
            if (n_.canceled_) return FtpWait::Canceled;
            if (n_.script_.data.empty()) return n_.script_.dataEnd;
            into += n_.script_.data.front();
            n_.script_.data.pop_front();
            return FtpWait::Done;
        }
        std::string LocalAddress() const override { return "127.0.0.1"; }
        std::string PeerAddress() const override { return "127.0.0.9"; }

    private:
        ScriptedFtpNetwork& n_;
    };

    class Listener : public FtpListener {
    public:
        explicit Listener(ScriptedFtpNetwork& n) : n_(n) {}
        int Port() const override { return kListenPort; }
        FtpWait Accept(int, std::unique_ptr<FtpConnection>& connection) override {
            if (n_.canceled_) return FtpWait::Canceled;
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
    bool controlOpen_ = false;
};

}  // namespace vigilor::test
