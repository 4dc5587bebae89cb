// The FTP client over Winsock against real FTP servers on the loopback.
#include <gtest/gtest.h>

#include <cstdlib>
#include <map>
#include <sstream>

#include "maint/ftp_network_win.h"
#include "tests/support/wine_paths.h"

namespace vigilor {
namespace {

class StringSink : public FtpSink {
public:
    bool Write(std::string_view bytes) override {
        text += bytes;
        return true;
    }
    std::string text;
};

TEST(FtpClientOnTheLoopback, ADataPortBlockedSilentlyIsGotRoundPassiveOnANewConnection) {
    const char* folder = std::getenv("VIGILOR_FTP_SERVER");
    ASSERT_TRUE(folder) << "VIGILOR_FTP_SERVER is not set";
    const std::string server = test::WinePath(folder);
    std::map<std::string, std::string> ports;
    std::istringstream lines(test::ReadWholeFile(server + "\\ports"));
    for (std::string name, port; lines >> name >> port;) ports[name] = port;
    ASSERT_TRUE(ports.count("blocked"));

    const std::unique_ptr<TNMFTP> client = MakeFtpClient();
    client->Host = "127.0.0.1";
    client->Port = std::stoi(ports["blocked"]);
    client->UserID = "anonymous";
    client->Password = "guest@example.org";
    client->ReplyTimeOut = 2000;
    client->Connect();
    client->ChangeDir("Public");
    StringSink sink;
    client->Download("vigilorver.txt", sink);
    EXPECT_EQ(sink.text, test::ReadWholeFile(server + "\\root\\Public\\vigilorver.txt"));
    EXPECT_TRUE(client->Connected());
    const std::string log = test::ReadWholeFile(server + "\\blocked.log");
    EXPECT_NE(log.find("RETR vigilorver.txt\nUSER anonymous\nPASS ******\nCWD Public\nTYPE I\nPASV\n"
                       "RETR vigilorver.txt\n"),
              std::string::npos)
        << log;
    client->Disconnect();
}

}  // namespace
}  // namespace vigilor
