// The client over real sockets against a server of the test's own that
// answers as each case needs.
#include <gtest/gtest.h>
#include <winsock2.h>

#include <chrono>
#include <functional>
#include <map>

#include "notify/smtp_socket_win.h"
#include "platform/app_error.h"
#include "tests/support/scripted_smtp_server_win.h"

namespace vigilor {
namespace {

using test::ScriptedSmtpServer;
using test::SmtpAnswers;

struct Seen {
    std::vector<std::string> events;
    void Attach(TNMSMTP& c) {
        c.OnSuccess = [this] { events.push_back("Success"); };
        c.OnFailure = [this] { events.push_back("Failure"); };
        c.OnConnectionFailed = [this] { events.push_back("ConnectionFailed"); };
        c.OnRecipientNotFound = [this] { events.push_back("RecipientNotFound"); };
        c.OnAuthenticationFailed = [this](bool&) { events.push_back("AuthenticationFailed"); };
        c.OnInvalidHost = [this](bool&) { events.push_back("InvalidHost"); };
    }
};

class ScriptedServerTest : public ::testing::Test {
protected:
    TNMSMTP& ClientFor(const ScriptedSmtpServer& server) {
        client->Host = "127.0.0.1";
        client->Port = server.Port();
        client->UserID = "monitor";
        client->PostMessage.FromName = "Vigilor";
        client->PostMessage.FromAddress = "vigilor@example.org";
        client->PostMessage.ToAddress = {"ops@example.org"};
        client->PostMessage.Body = {"body"};
        seen.Attach(*client);
        return *client;
    }
    static std::string ErrorOf(const std::function<void()>& action) {
        try {
            action();
        } catch (const AppError& e) {
            return e.what();
        }
        return "(no error)";
    }

    std::unique_ptr<TNMSMTP> client = MakeSmtpClient();
    Seen seen;
};

TEST_F(ScriptedServerTest, HeloRefusedGivesAuthenticationFailed) {
    ScriptedSmtpServer server("220 ready\r\n", SmtpAnswers({{"HELO", "501 Syntax: HELO hostname\r\n"}}));
    TNMSMTP& c = ClientFor(server);
    EXPECT_EQ(ErrorOf([&] { c.SmtpConnect(); }), "Authentication failed");
    EXPECT_EQ(seen.events, std::vector<std::string>{"AuthenticationFailed"});
    EXPECT_FALSE(c.Connected());
    EXPECT_EQ(server.Received(), "HELO monitor\r\nQUIT\r\n");
}

TEST_F(ScriptedServerTest, RefusedRecipientWithAnAcceptedOneStillDelivers) {
    ScriptedSmtpServer server("220 ready\r\n", SmtpAnswers({{"RCPT TO:<ghost@", "550 5.1.1 no such user\r\n"}}));
    TNMSMTP& c = ClientFor(server);
    c.PostMessage.ToAddress = {"ghost@example.org", "ops@example.org"};
    c.SmtpConnect();
    c.SendPost();
    c.SmtpQuit();
    EXPECT_EQ(seen.events, (std::vector<std::string>{"RecipientNotFound", "Success"}));
    const std::string sent = server.Received();
    EXPECT_NE(sent.find("RCPT TO:<ops@example.org>\r\nDATA\r\n"), std::string::npos) << sent;
    EXPECT_NE(sent.find("\r\nbody\r\n.\r\nQUIT\r\n"), std::string::npos);
}

TEST_F(ScriptedServerTest, RefusalAfterTheDataGivesFailureAndTheReplyLineThenQuits) {
    ScriptedSmtpServer server("220 ready\r\n", SmtpAnswers({{".", "554 5.7.1 Message rejected\r\n"}}));
    TNMSMTP& c = ClientFor(server);
    c.SmtpConnect();
    EXPECT_EQ(ErrorOf([&] { c.SendPost(); }), "554 5.7.1 Message rejected");
    EXPECT_EQ(seen.events, std::vector<std::string>{"Failure"});
    EXPECT_FALSE(c.Connected());
    EXPECT_TRUE(server.Received().ends_with("\r\nbody\r\n.\r\nQUIT\r\n"));
}

TEST_F(ScriptedServerTest, MultiLineGreetingAndHeloReply) {
    ScriptedSmtpServer server("220-mail.example.org ESMTP\r\n220-second line\r\n220 ready\r\n",
                              SmtpAnswers({{"HELO", "250-mail.example.org\r\n250-SIZE 1000000\r\n250 HELP\r\n"}}));
    TNMSMTP& c = ClientFor(server);
    c.SmtpConnect();
    EXPECT_EQ(c.ReplyLine(), "250 HELP");
    c.SendPost();
    c.SmtpQuit();
    EXPECT_EQ(seen.events, std::vector<std::string>{"Success"});
}

TEST_F(ScriptedServerTest, ServerThatNeverAnswersGivesUpWithinTheTimeOut) {
    ScriptedSmtpServer server("", SmtpAnswers());
    TNMSMTP& c = ClientFor(server);
    c.TimeOut = 500;
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(ErrorOf([&] { c.SmtpConnect(); }), "Server reply Timed out");
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));
    EXPECT_FALSE(c.Connected());
}

TEST_F(ScriptedServerTest, NobodyListeningGivesConnectionFailed) {
    int port = 0;
    {
        ScriptedSmtpServer gone("220 ready\r\n", SmtpAnswers());
        port = gone.Port();
        // Connect once so that the server thread ends, then close it.
        TNMSMTP& c = ClientFor(gone);
        c.SmtpConnect();
        c.SmtpQuit();
    }
    client = MakeSmtpClient();
    seen.events.clear();
    seen.Attach(*client);
    client->Host = "127.0.0.1";
    client->Port = port;
    client->TimeOut = 5000;
    EXPECT_EQ(ErrorOf([&] { client->SmtpConnect(); }), "Connection Failed");
    EXPECT_EQ(seen.events, std::vector<std::string>{"ConnectionFailed"});
}

TEST_F(ScriptedServerTest, NameThatDoesNotResolveIsAnInvalidHost) {
    client->Host = std::string(70, 'x') + ".example";  // fails before any query leaves the machine
    client->Port = 25;
    seen.Attach(*client);
    EXPECT_EQ(ErrorOf([&] { client->SmtpConnect(); }), "Null Remote Address");
    EXPECT_EQ(seen.events, std::vector<std::string>{"InvalidHost"});
}

TEST_F(ScriptedServerTest, TheWindowKeepsWorkingWhileTheClientWaits) {
    ScriptedSmtpServer server("", SmtpAnswers());
    TNMSMTP& c = ClientFor(server);
    c.TimeOut = 600;
    // A timer message of this thread must be handled during the wait.
    int ticks = 0;
    static int* counter = nullptr;
    counter = &ticks;
    const UINT_PTR timer = SetTimer(nullptr, 0, 50, [](HWND, UINT, UINT_PTR, DWORD) { ++*counter; });
    EXPECT_EQ(ErrorOf([&] { c.SmtpConnect(); }), "Server reply Timed out");
    KillTimer(nullptr, timer);
    EXPECT_GT(ticks, 0);
}

}  // namespace
}  // namespace vigilor
