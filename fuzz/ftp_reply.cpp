// The FTP client's log-on, change of folder and download against a server
// whose control bytes and data come from the input.
//
// Fields: options, user, password, folder, remote file, the pieces of the
// data connection, and then the server's control bytes (the rest of the
// input). Option bytes:
//   0  size of the pieces the control bytes arrive in (1 + n % 16)
//   1  what follows the control bytes: n % 4 = time-out, closed, failed,
//      or more replies for ever
//   2  the replies for ever: n % 4 = "150" preliminaries, the lines of a
//      "226-" reply, lines starting with a blank, one line without an end
//   3  bit 0: the host is a name to look up; bits 1-2: the look-up
//      outcome; bits 3-4: the connect outcome; bit 5: through a proxy
//   4  bits 0-1: how the data connection ends; bits 2-3: the accept
//      outcome; bits 4-5: the passive connect outcome; bit 6: the local
//      file refuses writes; bit 7: no listening socket
//   5  bit 0: a received piece aborts; bit 1: a received piece
//      disconnects; bit 2: a second download
//   6  sends that succeed before the control connection breaks (0: all)
//
// Properties: the client gives up on replies that never end; nothing but
// AppError escapes; every command is one line with no CR or LF but its
// line end, of a known verb; the bytes counted are the bytes stored; the
// last reply's code is its text's; a failed connect, a disconnect and a
// disconnect asked for during a download leave the client disconnected
// and not busy; the number of commands is bounded.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz/fuzz_input.h"
#include "maint/ftp_client.h"
#include "platform/app_error.h"

namespace vigilor::fuzz {
namespace {

constexpr size_t kEndlessLimit = 1 << 20;

FtpWait WaitOf(unsigned n) {
    static constexpr FtpWait kWaits[] = {FtpWait::Done, FtpWait::Failed, FtpWait::TimedOut, FtpWait::Canceled};
    return kWaits[n % 4];
}

FtpWait EndOf(unsigned n) {
    static constexpr FtpWait kEnds[] = {FtpWait::Closed, FtpWait::Failed, FtpWait::TimedOut, FtpWait::Canceled};
    return kEnds[n % 4];
}

bool IsKnownCommand(const std::string& line) {
    for (const char* verb : {"USER ", "PASS ", "QUIT\r\n", "CWD ", "TYPE I\r\n", "SIZE ", "PORT ", "PASV\r\n", "RETR "})
        if (line.starts_with(verb)) return true;
    return false;
}

struct Script {
    std::string control;
    std::vector<std::string> data;
    size_t piece = 1;
    unsigned end = 0;
    unsigned endless = 0;
    FtpWait lookup = FtpWait::Done;
    FtpWait connect = FtpWait::Done;
    FtpWait dataEnd = FtpWait::Closed;
    FtpWait accept = FtpWait::Done;
    FtpWait dataConnect = FtpWait::Done;
    bool noListener = false;
    size_t sendBudget = 0;
};

class ScriptNetwork : public FtpNetwork {
public:
    explicit ScriptNetwork(Script& script) : s_(script) {}

    size_t Commands() const { return commands_; }

    FtpWait LookupHost(const std::string&, int, std::string& address) override {
        address = "127.0.0.1";
        return canceled_ ? FtpWait::Canceled : s_.lookup;
    }
    FtpWait Connect(const std::string&, int, int, std::unique_ptr<FtpConnection>& connection) override {
        if (canceled_) return FtpWait::Canceled;
        // Data after PASV; any other connection is a control connection,
        // a second one included (passive mode on a new connection).
        if (lastCommand_ == "PASV\r\n") {
            if (s_.dataConnect != FtpWait::Done) return s_.dataConnect;
            connection = std::make_unique<Data>(*this);
            return FtpWait::Done;
        }
        if (s_.connect != FtpWait::Done) return s_.connect;
        connection = std::make_unique<Control>(*this);
        return FtpWait::Done;
    }
    std::unique_ptr<FtpListener> Listen(const std::string&) override {
        if (s_.noListener) return nullptr;
        return std::make_unique<Listener>(*this);
    }
    void Cancel() override { canceled_ = true; }
    void Rearm() override { canceled_ = false; }

private:
    class Control : public FtpConnection {
    public:
        explicit Control(ScriptNetwork& n) : n_(n) {}
        bool Send(const std::string& bytes, int) override {
            FUZZ_REQUIRE(bytes.size() >= 2 && bytes.find_first_of("\r\n") == bytes.size() - 2 &&
                             bytes.ends_with("\r\n"),
                         "a command that is not exactly one line: " + Visible(bytes));
            FUZZ_REQUIRE(IsKnownCommand(bytes), "an unknown command: " + Visible(bytes));
            ++n_.commands_;
            n_.lastCommand_ = bytes;
            if (n_.s_.sendBudget != 0 && n_.sends_ == n_.s_.sendBudget) return false;
            ++n_.sends_;
            return true;
        }
        FtpWait Receive(std::string& into, int) override {
            if (n_.canceled_) return FtpWait::Canceled;
            const std::string& control = n_.s_.control;
            if (n_.next_ < control.size()) {
                const size_t n = std::min(n_.s_.piece, control.size() - n_.next_);
                into.append(control, n_.next_, n);
                n_.next_ += n;
                return FtpWait::Done;
            }
            switch (n_.s_.end) {
                case 0: return FtpWait::TimedOut;
                case 1: return FtpWait::Closed;
                case 2: return FtpWait::Failed;
                default: break;
            }
            static const char* const kEndless[] = {"150 still opening\r\n", "226-more of the same\r\n",
                                                   " more of the same\r\n", "xxxxxxxxxx"};
            const std::string more = kEndless[n_.s_.endless];
            n_.endlessBytes_ += more.size();
            FUZZ_REQUIRE(n_.endlessBytes_ <= kEndlessLimit,
                         "the client kept reading replies that never end: " + Visible(more) + " after " +
                             Visible(control));
            into += more;
            return FtpWait::Done;
        }
        std::string LocalAddress() const override { return "127.0.0.1"; }
        std::string PeerAddress() const override { return "127.0.0.2"; }

    private:
        ScriptNetwork& n_;
    };

    class Data : public FtpConnection {
    public:
        explicit Data(ScriptNetwork& n) : n_(n) {}
        bool Send(const std::string&, int) override { return false; }
        FtpWait Receive(std::string& into, int) override {
            if (n_.canceled_) return FtpWait::Canceled;
            if (n_.nextData_ >= n_.s_.data.size()) return n_.s_.dataEnd;
            into += n_.s_.data[n_.nextData_++];
            return FtpWait::Done;
        }
        std::string LocalAddress() const override { return "127.0.0.1"; }
        std::string PeerAddress() const override { return "127.0.0.2"; }

    private:
        ScriptNetwork& n_;
    };

    class Listener : public FtpListener {
    public:
        explicit Listener(ScriptNetwork& n) : n_(n) {}
        int Port() const override { return 5001; }
        FtpWait Accept(int, std::unique_ptr<FtpConnection>& connection) override {
            if (n_.canceled_) return FtpWait::Canceled;
            if (n_.s_.accept != FtpWait::Done) return n_.s_.accept;
            connection = std::make_unique<Data>(n_);
            return FtpWait::Done;
        }

    private:
        ScriptNetwork& n_;
    };

    Script& s_;
    size_t next_ = 0;
    size_t nextData_ = 0;
    size_t endlessBytes_ = 0;
    size_t sends_ = 0;
    size_t commands_ = 0;
    bool canceled_ = false;
    std::string lastCommand_;
};

class CountingSink : public FtpSink {
public:
    explicit CountingSink(bool writable) : writable_(writable) {}
    bool Write(std::string_view bytes) override {
        if (writable_) stored += bytes.size();
        return writable_;
    }
    std::uint64_t stored = 0;

private:
    bool writable_;
};

void CheckLastReply(const TNMFTP& client) {
    const FtpReply& reply = client.LastReply();
    if (reply.code == 0) return;
    FUZZ_REQUIRE(FtpReplyCode(reply.text) == reply.code,
                 "the last reply's code is not its text's: " + std::to_string(reply.code) + " " + Visible(reply.text));
    FUZZ_REQUIRE(reply.text.size() <= TNMFTP::kMaxReplyText + TNMFTP::kMaxReplyLine + 16,
                 "a reply longer than its bound: " + std::to_string(reply.text.size()));
}

void Dialogue(const uint8_t* data, size_t size) {
    Fields fields(data, size);
    const std::string options = fields.Next();
    Script script;
    const std::string user = fields.Next();
    const std::string password = fields.Next();
    const std::string folder = fields.Next();
    const std::string remote = fields.Next();
    script.data = fields.NextList();
    script.control = fields.Rest();
    script.piece = 1 + Option(options, 0) % 16;
    script.end = Option(options, 1) % 4;
    script.endless = Option(options, 2) % 4;
    const unsigned connection = Option(options, 3);
    script.lookup = WaitOf(connection >> 1);
    script.connect = WaitOf(connection >> 3);
    const unsigned transfer = Option(options, 4);
    script.dataEnd = EndOf(transfer);
    script.accept = WaitOf(transfer >> 2);
    script.dataConnect = WaitOf(transfer >> 4);
    script.noListener = transfer & 0x80;
    script.sendBudget = Option(options, 6);
    const unsigned handlers = Option(options, 5);

    auto owned = std::make_unique<ScriptNetwork>(script);
    const ScriptNetwork& network = *owned;
    TNMFTP client(std::move(owned));
    client.Host = (connection & 1) ? "ftp.example.org" : "127.0.0.1";
    if (connection & 0x20) {
        client.Proxy = "127.0.0.3";
        client.ProxyPort = 8021;
    }
    client.UserID = user;
    client.Password = password;
    bool disconnectAsked = false;
    client.OnPacketRecvd = [&] {
        if (handlers & 1) client.Abort();
        if (handlers & 2) {
            disconnectAsked = true;
            client.Disconnect();
        }
    };

    try {
        client.Connect();
    } catch (const AppError&) {
        FUZZ_REQUIRE(!client.Connected(), "a failed log-on left the client connected");
        FUZZ_REQUIRE(!client.Busy(), "busy after a failed log-on");
        return;
    }
    CheckLastReply(client);
    try {
        client.ChangeDir(folder);
    } catch (const AppError&) {
    }
    CheckLastReply(client);
    const int downloads = (handlers & 4) ? 2 : 1;
    for (int i = 0; i < downloads; ++i) {
        CountingSink sink(!(transfer & 0x40));
        const size_t before = network.Commands();
        try {
            client.Download(remote, sink);
        } catch (const AppError&) {
        }
        // A download refused before its first command keeps the last count.
        if (network.Commands() != before)
            FUZZ_REQUIRE(client.BytesRecvd() == sink.stored, "bytes counted " + std::to_string(client.BytesRecvd()) +
                                                                 ", stored " + std::to_string(sink.stored));
        FUZZ_REQUIRE(!client.Busy(), "busy after a download");
        if (disconnectAsked) FUZZ_REQUIRE(!client.Connected(), "a disconnect asked for while busy was lost");
        CheckLastReply(client);
    }
    client.Disconnect();
    FUZZ_REQUIRE(!client.Connected(), "connected after a disconnect");
    // USER and PASS; CWD; TYPE, SIZE, PORT, RETR, PASV and RETR per download; QUIT.
    const size_t limit = 2 + 1 + 6 * static_cast<size_t>(downloads) + 1;
    FUZZ_REQUIRE(network.Commands() <= limit, "more commands than the operations need: " +
                                                  std::to_string(network.Commands()) + " > " + std::to_string(limit));
}

}  // namespace
}  // namespace vigilor::fuzz

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    vigilor::fuzz::Dialogue(data, size);
    return 0;
}
