#include <gtest/gtest.h>

#include "maint/ftp_client.h"
#include "tests/support/error_of.h"
#include "tests/support/scripted_ftp_network.h"

namespace vigilor {
namespace {

using test::ErrorOf;

class StringSink : public FtpSink {
public:
    bool Write(std::string_view bytes) override {
        text += bytes;
        return writable;
    }
    std::string text;
    bool writable = true;
};

// A server that cannot tell a file's size.
const char* const kNoSize = "550 No size here.\r\n";

const char* Name(FtpOperation operation) { return operation == FtpOperation::ChangeDir ? "ChangeDir" : "Download"; }

class FtpDialogue : public ::testing::Test {
protected:
    FtpDialogue() {
        auto& c = client;
        c.Host = "127.0.0.1";
        c.UserID = "anonymous";
        c.Password = "guest@example.org";
        c.OnConnect = [this] { seen.push_back("Connect"); };
        c.OnDisconnect = [this] { seen.push_back("Disconnect"); };
        c.OnHostResolved = [this] { seen.push_back("HostResolved"); };
        c.OnInvalidHost = [this] { seen.push_back("InvalidHost"); };
        c.OnConnectionFailed = [this] { seen.push_back("ConnectionFailed"); };
        c.OnError = [this](int n, const std::string& t) { seen.push_back("Error " + std::to_string(n) + ": " + t); };
        c.OnTransactionStart = [this] { seen.push_back("TransactionStart"); };
        c.OnTransactionStop = [this] { seen.push_back("TransactionStop"); };
        c.OnPacketRecvd = [this] { seen.push_back("Packet " + std::to_string(client.BytesRecvd())); };
        c.OnSuccess = [this](FtpOperation o) { seen.push_back(std::string("Success ") + Name(o)); };
        c.OnFailure = [this](FtpOperation o) { seen.push_back(std::string("Failure ") + Name(o)); };
        c.OnUnSupportedFunction = [this](FtpOperation o) { seen.push_back(std::string("UnSupported ") + Name(o)); };
    }

    // Logs on with the usual replies, then forgets what that sent and raised.
    void LogOn(std::deque<std::string> then) {
        script.replies = {"331 password please\r\n", "230 welcome\r\n"};
        script.replies.insert(script.replies.end(), then.begin(), then.end());
        client.Connect();
        ASSERT_TRUE(client.Connected());
        log.sent.clear();
        seen.clear();
    }

    test::FtpScript script;
    test::FtpLog log;
    TNMFTP client{std::make_unique<test::ScriptedFtpNetwork>(script, log)};
    std::vector<std::string> seen;
    StringSink sink;
};

TEST_F(FtpDialogue, LogOnReadsEveryLineOfMultiLineReplies) {
    script.greeting = "220-Welcome\r\n220-to the update server\r\n220 ready\r\n";
    script.replies = {"331-Anonymous\r\n331 send your address\r\n", "230-Hello\r\n plain text line\r\n230 in\r\n",
                      "250 ok\r\n"};
    client.Connect();
    EXPECT_TRUE(client.Connected());
    EXPECT_EQ(client.LastReply().text, "230-Hello\n plain text line\n230 in");
    client.ChangeDir("Public");
    EXPECT_EQ(log.sent, "USER anonymous\r\nPASS guest@example.org\r\nCWD Public\r\n");
    EXPECT_EQ(seen, (std::vector<std::string>{"HostResolved", "Connect", "Success ChangeDir"}));
    EXPECT_EQ(log.connects, std::vector<std::string>{"127.0.0.1:21"});
    EXPECT_TRUE(log.lookups.empty()) << "a dotted address is used without a look-up";
}

TEST_F(FtpDialogue, UserAcceptedAtOnceSendsNoPassword) {
    script.replies = {"230 no password needed\r\n"};
    client.Connect();
    EXPECT_TRUE(client.Connected());
    EXPECT_EQ(log.sent, "USER anonymous\r\n");
}

TEST_F(FtpDialogue, RefusedLogOnIsAConnectionFailureAndCloses) {
    const struct {
        const char* greeting;
        std::deque<std::string> replies;
        const char* sent;
    } cases[] = {
        {"421 Too many users\r\n", {}, ""},
        {"220 ready\r\n", {"530 This FTP server is anonymous only.\r\n"}, "USER anonymous\r\n"},
        {"220 ready\r\n", {"331 ok\r\n", "530 Login incorrect.\r\n"}, "USER anonymous\r\nPASS guest@example.org\r\n"},
        {"220 ready\r\n", {"331 ok\r\n", "332 Need account\r\n"}, "USER anonymous\r\nPASS guest@example.org\r\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.sent);
        script.greeting = c.greeting;
        script.replies = c.replies;
        log.sent.clear();
        seen.clear();
        EXPECT_NE(ErrorOf([&] { client.Connect(); }), "(no error)");
        EXPECT_FALSE(client.Connected());
        EXPECT_EQ(log.sent, c.sent);
        EXPECT_EQ(seen, (std::vector<std::string>{"HostResolved", "Connect", "ConnectionFailed", "Disconnect"}));
    }
}

TEST_F(FtpDialogue, ThroughAProxyTheUserNameCarriesTheHost) {
    client.Host = "ftp.vigilor.example.org";
    client.Proxy = "proxy.example.org";
    client.ProxyPort = 8021;
    script.replies = {"331 ok\r\n", "230 in\r\n"};
    client.Connect();
    EXPECT_EQ(log.lookups, std::vector<std::string>{"proxy.example.org"});
    EXPECT_EQ(log.connects, std::vector<std::string>{"127.0.0.9:8021"});
    EXPECT_EQ(log.sent, "USER anonymous@ftp.vigilor.example.org\r\nPASS guest@example.org\r\n");
}

TEST_F(FtpDialogue, UnknownHostAndRefusedConnection) {
    client.Host = "nowhere.invalid";
    script.lookup = FtpWait::Failed;
    EXPECT_EQ(ErrorOf([&] { client.Connect(); }), "Invalid Host");
    script.lookup = FtpWait::Done;
    script.connect = FtpWait::TimedOut;
    EXPECT_EQ(ErrorOf([&] { client.Connect(); }), "Connection Failed");
    EXPECT_EQ(seen, (std::vector<std::string>{"InvalidHost", "HostResolved", "ConnectionFailed"}));
    EXPECT_FALSE(client.Connected());
}

TEST_F(FtpDialogue, ChangeDirReplies) {
    const struct {
        const char* reply;
        std::vector<std::string> events;
    } cases[] = {
        {"250 Directory changed\r\n", {"Success ChangeDir"}},
        {"550 No such directory\r\n", {"Failure ChangeDir"}},
        {"450 Busy\r\n", {"Failure ChangeDir"}},
        {"500 Unknown command\r\n", {"UnSupported ChangeDir", "Failure ChangeDir"}},
        {"502 Not implemented\r\n", {"UnSupported ChangeDir", "Failure ChangeDir"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.reply);
        LogOn({c.reply});
        const std::string error = ErrorOf([&] { client.ChangeDir("Public"); });
        EXPECT_EQ(seen, c.events);
        EXPECT_EQ(error == "(no error)", c.events[0] == "Success ChangeDir") << error;
        EXPECT_TRUE(client.Connected());
    }
}

TEST_F(FtpDialogue, ActiveDownloadAnnouncesThePortAndTakesTheSizeFromTheOpeningReply) {
    LogOn({"200 Type set to I.\r\n", kNoSize, "200 PORT command successful\r\n",
           "150 Opening BINARY mode data connection for vigilor.exe (11 bytes).\r\n226 done\r\n"});
    script.data = {"hello ", "world"};
    client.Download("vigilor.exe", sink);
    EXPECT_EQ(sink.text, "hello world");
    EXPECT_EQ(log.sent, "TYPE I\r\nSIZE vigilor.exe\r\nPORT 127,0,0,1,19,137\r\nRETR vigilor.exe\r\n");
    EXPECT_EQ(client.BytesTotal(), 11u);
    EXPECT_EQ(seen, (std::vector<std::string>{"TransactionStart", "Packet 6", "Packet 11", "TransactionStop",
                                              "Success Download"}));
    EXPECT_EQ(log.connects.size(), 1u) << "active mode: the server connects to us";
}

TEST_F(FtpDialogue, NoActiveDataPathRepeatsTheTransferOnceInPassiveMode) {
    const struct {
        const char* name;
        std::deque<std::string> activeReplies;
        FtpWait accept;
    } cases[] = {
        {"PORT refused", {"500 Illegal PORT command.\r\n"}, FtpWait::Done},
        {"server cannot connect", {"200 ok\r\n", "425 Can't open data connection.\r\n"}, FtpWait::Done},
        {"no connection in time", {"200 ok\r\n", "150 Opening\r\n425 Can't open data connection.\r\n"},
         FtpWait::TimedOut},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::deque<std::string> replies = c.activeReplies;
        replies.push_front(kNoSize);
        replies.push_front("200 Type set to I.\r\n");
        replies.insert(replies.end(),
                       {"227 Entering Passive Mode (10,1,2,3,19,140).\r\n", "125 Go (5 bytes)\r\n226 Done\r\n"});
        LogOn(replies);
        script.accept = c.accept;
        script.data = {"12345"};
        sink.text.clear();
        client.Download("vigilor.exe", sink);
        EXPECT_EQ(sink.text, "12345");
        EXPECT_TRUE(log.sent.ends_with("PASV\r\nRETR vigilor.exe\r\n")) << log.sent;
        EXPECT_EQ(log.connects.back(), "127.0.0.9:5004") << "the control connection's peer, not the reply's address";
        EXPECT_EQ(seen.back(), "Success Download");
        log.connects.clear();
    }
}

TEST_F(FtpDialogue, AnUnansweredActiveRetrieveIsRepeatedPassiveOnANewConnection) {
    const struct {
        const char* name;
        const char* retrieveReply;
        FtpWait accept;
    } cases[] = {
        {"no reply to RETR", "", FtpWait::Done},
        // The server says it opens the connection, then tries for longer
        // than a reply's time.
        {"no data connection and no final reply", "150 Opening data connection\r\n", FtpWait::TimedOut},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        LogOn({"250 ok\r\n"});
        client.ChangeDir("Public");
        script.replies = {"200 Type set to I.\r\n", kNoSize, "200 PORT command successful\r\n", c.retrieveReply,
                          // the new connection, after its greeting
                          "331 password please\r\n", "230 welcome\r\n", "250 ok\r\n", "200 Type set to I.\r\n",
                          "227 Entering Passive Mode (10,1,2,3,19,140).\r\n",
                          "150 Opening (5 bytes)\r\n226 Done\r\n", "250 in step\r\n"};
        script.accept = c.accept;
        script.data = {"12345"};
        sink.text.clear();
        log = {};
        seen.clear();
        client.Download("vigilor.exe", sink);
        EXPECT_EQ(sink.text, "12345");
        EXPECT_EQ(log.sent, "TYPE I\r\nSIZE vigilor.exe\r\nPORT 127,0,0,1,19,137\r\nRETR vigilor.exe\r\n"
                            "USER anonymous\r\nPASS guest@example.org\r\nCWD Public\r\nTYPE I\r\nPASV\r\nRETR "
                            "vigilor.exe\r\n");
        EXPECT_EQ(log.connects, (std::vector<std::string>{"127.0.0.9:21", "127.0.0.9:5004"}));
        EXPECT_EQ(log.clockMs, TNMFTP::kDefaultTimeOut) << "one reply's wait";
        EXPECT_EQ(seen,
                  (std::vector<std::string>{"TransactionStart", "Packet 5", "TransactionStop", "Success Download"}));
        client.ChangeDir("Public");
        EXPECT_EQ(client.LastReply().text, "250 in step");
        client.Disconnect();
    }
}

TEST_F(FtpDialogue, TheActiveDataConnectionIsTakenOnlyFromTheServer) {
    LogOn({"200 Type set to I.\r\n", kNoSize, "200 PORT command successful\r\n", "150 Opening (5 bytes)\r\n226 Done\r\n"});
    script.strangers = {"10.6.6.6", "127.0.0.66"};
    script.data = {"12345"};
    client.Download("vigilor.exe", sink);
    EXPECT_EQ(sink.text, "12345");
    EXPECT_TRUE(script.strangers.empty());
    EXPECT_EQ(seen.back(), "Success Download");
}

TEST_F(FtpDialogue, AReceivedSizeOtherThanTheAnnouncedOneIsAFailure) {
    const struct {
        const char* data;
        const char* sizeReply;
        const char* opening;
    } cases[] = {
        {"hello", kNoSize, "150 Opening BINARY mode data connection for vigilor.exe (11 bytes).\r\n226 done\r\n"},
        {"hello world!", kNoSize,
         "150 Opening BINARY mode data connection for vigilor.exe (11 bytes).\r\n226 done\r\n"},
        // An opening reply without the size: the one SIZE gave counts.
        {"hello", "213 11\r\n", "125 Data connection already open; Transfer starting.\r\n226 done\r\n"},
    };
    for (const auto& c : cases) {
        const std::string data = c.data;
        SCOPED_TRACE(data + " " + c.opening);
        LogOn({"200 Type set to I.\r\n", c.sizeReply, "200 PORT command successful\r\n", c.opening,
               "250 still in step\r\n"});
        script.data = {data};
        const std::string failure = "Received " + std::to_string(data.size()) + " of 11 bytes";
        EXPECT_EQ(ErrorOf([&] { client.Download("vigilor.exe", sink); }), failure);
        EXPECT_EQ(seen, (std::vector<std::string>{"TransactionStart", "Packet " + std::to_string(data.size()),
                                                  "TransactionStop", "Error 10054: " + failure, "Failure Download"}));
        client.ChangeDir("Public");
        EXPECT_EQ(client.LastReply().text, "250 still in step");
    }
}

TEST_F(FtpDialogue, RefusedTransfersAreFailuresAndTheDialogueStaysInStep) {
    const struct {
        const char* name;
        std::deque<std::string> replies;
        std::vector<std::string> events;
    } cases[] = {
        {"no such file", {"200 ok\r\n", "550 No such file.\r\n"}, {"Failure Download"}},
        {"RETR unknown", {"200 ok\r\n", "500 Unknown command.\r\n"}, {"UnSupported Download", "Failure Download"}},
        {"both modes refused", {"501 No.\r\n", "502 PASV not implemented.\r\n"},
         {"UnSupported Download", "Failure Download"}},
        {"ends badly", {"200 ok\r\n", "150 Go\r\n451 Local error.\r\n"},
         {"TransactionStart", "Packet 3", "TransactionStop", "Failure Download"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::deque<std::string> replies = c.replies;
        replies.push_front(kNoSize);
        replies.push_front("200 Type set to I.\r\n");
        replies.push_back("250 still in step\r\n");
        LogOn(replies);
        script.data = {"abc"};
        EXPECT_NE(ErrorOf([&] { client.Download("vigilor.exe", sink); }), "(no error)");
        EXPECT_EQ(seen, c.events);
        client.ChangeDir("Public");
        EXPECT_EQ(client.LastReply().text, "250 still in step");
    }
}

TEST_F(FtpDialogue, AbortClosesTheDataConnectionAndHearsTheServerOut) {
    LogOn({"200 Type set to I.\r\n", kNoSize, "200 ok\r\n", "150 Go (9 bytes)\r\n426 Transfer aborted.\r\n", "250 in step\r\n"});
    script.data = {"abc", "def", "ghi"};
    client.OnPacketRecvd = [this] { client.Abort(); };
    EXPECT_EQ(ErrorOf([&] { client.Download("vigilor.exe", sink); }), "Transfer aborted");
    EXPECT_EQ(sink.text, "abc");
    EXPECT_TRUE(log.dataClosedEarly);
    EXPECT_EQ(seen, (std::vector<std::string>{"TransactionStart", "Failure Download"}));
    client.ChangeDir("Public");
    EXPECT_EQ(client.LastReply().text, "250 in step");
}

TEST_F(FtpDialogue, DisconnectWhileATransferWaitsEndsItAndCloses) {
    LogOn({"200 Type set to I.\r\n", kNoSize, "200 ok\r\n", "150 Go\r\n"});
    script.data = {"abc", "def"};
    client.OnPacketRecvd = [this] { client.Disconnect(); };
    EXPECT_EQ(ErrorOf([&] { client.Download("vigilor.exe", sink); }), "Transfer aborted");
    EXPECT_FALSE(client.Connected());
    EXPECT_EQ(seen, (std::vector<std::string>{"TransactionStart", "Failure Download", "Disconnect"}));
    EXPECT_EQ(log.sent.find("QUIT"), std::string::npos);
}

TEST_F(FtpDialogue, AServerThatStopsGivesABoundedError) {
    const struct {
        const char* name;
        std::deque<std::string> replies;
        FtpWait dataEnd;
        std::vector<std::string> events;
        bool connected;
    } cases[] = {
        {"transfer stalls", {"200 ok\r\n", "150 Go\r\n426 Timed out.\r\n"}, FtpWait::TimedOut,
         {"TransactionStart", "Packet 3", "Error 10060: Data transfer Timed out", "Failure Download"}, true},
        {"data connection breaks", {"200 ok\r\n", "150 Go\r\n426 Broken.\r\n"}, FtpWait::Failed,
         {"TransactionStart", "Packet 3", "Error 10054: Data connection lost", "Failure Download"}, true},
        // ... nor on the new connection that tries passive mode
        {"no reply to RETR", {"200 ok\r\n", "", ""}, FtpWait::Closed,
         {"Error 10060: Server reply Timed out", "Failure Download", "Disconnect"}, false},
        {"no final reply", {"200 ok\r\n", "150 Go\r\n"}, FtpWait::Closed,
         {"TransactionStart", "Packet 3", "TransactionStop", "Error 10060: Server reply Timed out", "Failure Download",
          "Disconnect"},
         false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::deque<std::string> replies = c.replies;
        replies.push_front(kNoSize);
        replies.push_front("200 Type set to I.\r\n");
        if (!client.Connected()) LogOn(replies);
        else {
            script.replies = replies;
            seen.clear();
        }
        script.data = {"abc"};
        script.dataEnd = c.dataEnd;
        EXPECT_NE(ErrorOf([&] { client.Download("vigilor.exe", sink); }), "(no error)");
        EXPECT_EQ(seen, c.events);
        EXPECT_EQ(client.Connected(), c.connected);
    }
}

TEST_F(FtpDialogue, AllLinesOfAReplyMustComeWithinOneReplyTime) {
    const struct {
        const char* name;
        std::string greeting;
        int pieceDelayMs;
        bool connected;
    } cases[] = {
        {"a line trickled", "220 ready when you are\r\n", 29000, false},
        {"lines that each come in time", "220-a\r\n220-b\r\n220 c\r\n", 12000, false},
        {"in time", "220 ok\r\n", 5000, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        script.greeting = c.greeting;
        script.pieceDelayMs = c.pieceDelayMs;
        script.replies = {"331 ok\r\n", "230 in\r\n"};
        log.clockMs = 0;
        seen.clear();
        const std::string error = ErrorOf([&] { client.Connect(); });
        EXPECT_EQ(client.Connected(), c.connected);
        if (c.connected) continue;
        EXPECT_EQ(error, "Server reply Timed out");
        EXPECT_EQ(log.clockMs, TNMFTP::kDefaultTimeOut);
        EXPECT_EQ(seen, (std::vector<std::string>{"HostResolved", "Connect", "Error 10060: Server reply Timed out",
                                                  "Disconnect"}));
    }
}

TEST_F(FtpDialogue, PreliminaryRepliesWithoutEndAfterABrokenTransferAreGivenUpOn) {
    std::string preliminaries = "150 Go\r\n";
    for (int i = 0; i < 40; ++i) preliminaries += "150 Still going\r\n";
    LogOn({"200 Type set to I.\r\n", kNoSize, "200 ok\r\n", preliminaries + "226 Done at last\r\n"});
    script.data = {"abc"};
    script.dataEnd = FtpWait::Failed;
    EXPECT_EQ(ErrorOf([&] { client.Download("vigilor.exe", sink); }), "Data connection lost");
    EXPECT_EQ(seen, (std::vector<std::string>{"TransactionStart", "Packet 3", "Error 10054: Data connection lost",
                                              "Error 0: Invalid server reply: no final reply", "Failure Download",
                                              "Disconnect"}));
    EXPECT_FALSE(client.Connected());
}

TEST_F(FtpDialogue, HostileRepliesGiveClearErrorsNeverAHang) {
    std::string endless = "220-start\r\n";
    while (endless.size() < 70000) endless += "more of a reply that never ends\r\n";
    const std::pair<std::string, std::string> cases[] = {
        {std::string(10000, '2'), "Invalid server reply: line too long"},
        {"hello there\r\n", "Invalid server reply: hello there"},
        {endless, "Invalid server reply: too long"},
    };
    for (const auto& [greeting, error] : cases) {
        SCOPED_TRACE(error);
        script.greeting = greeting;
        seen.clear();
        EXPECT_EQ(ErrorOf([&] { client.Connect(); }), error);
        EXPECT_EQ(seen, (std::vector<std::string>{"HostResolved", "Connect", "Error 0: " + error, "Disconnect"}));
        EXPECT_FALSE(client.Connected());
    }
}

TEST_F(FtpDialogue, ArgumentsWithLineBreaksAreRefusedBeforeAnythingIsSent) {
    LogOn({});
    EXPECT_NE(ErrorOf([&] { client.ChangeDir("Public\r\nDELE vigilor.exe"); }), "(no error)");
    EXPECT_EQ(log.sent, "");
}

TEST_F(FtpDialogue, ALocalFileThatCannotBeWrittenEndsTheTransfer) {
    LogOn({"200 Type set to I.\r\n", kNoSize, "200 ok\r\n", "150 Go\r\n426 Aborted.\r\n"});
    script.data = {"abc", "def"};
    sink.writable = false;
    EXPECT_EQ(ErrorOf([&] { client.Download("vigilor.exe", sink); }), "The local file could not be written");
    EXPECT_TRUE(log.dataClosedEarly);
    EXPECT_EQ(seen, (std::vector<std::string>{"TransactionStart", "Failure Download"}));
    EXPECT_TRUE(client.Connected());
}

TEST(FtpReplies, SizeOfTheOpeningReply) {
    const std::pair<const char*, std::uint64_t> cases[] = {
        {"150 Opening BINARY mode data connection for vigilor.exe (12345 bytes).", 12345},
        {"150 77BYTES", 77},
        {"125 Size 99 Bytes, then 12 bytes", 99},
        {"150 Opening data connection.", 0},
        {"150 (bytes)", 0},
        {"150 999999999999999999 bytes", 999999999999999999u},
        {"150 99999999999999999999999999999999999999 bytes", 0},
    };
    for (const auto& [reply, size] : cases) EXPECT_EQ(ExpectedSizeOf(reply), size) << reply;
}

TEST(FtpReplies, PortArgumentsAndPassiveReplies) {
    EXPECT_EQ(PortArgument("127.0.0.1", 50000), "127,0,0,1,195,80");
    const std::pair<const char*, std::optional<int>> cases[] = {
        {"227 Entering Passive Mode (127,0,0,1,195,80).", 50000},
        {"227 =127,0,0,1,0,21", 21},
        {"227 Entering Passive Mode (127,0,0,1,256,80).", std::nullopt},
        {"227 Entering Passive Mode (127,0,0,1,195).", std::nullopt},
        {"227 Entering Passive Mode (127,0,0,1,0,0).", std::nullopt},
        {"227 Entering Passive Mode", std::nullopt},
    };
    for (const auto& [reply, port] : cases) EXPECT_EQ(PassivePortOf(reply), port) << reply;
    EXPECT_EQ(FtpReplyCode("230 in"), 230);
    EXPECT_EQ(FtpReplyCode("099 no"), std::nullopt);
    EXPECT_EQ(FtpReplyCode("2x0"), std::nullopt);
}

}  // namespace
}  // namespace vigilor
