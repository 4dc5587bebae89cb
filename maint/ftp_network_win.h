#pragma once
// The FTP client's network over Winsock: the control connection, the data
// connection in either mode. Waits dispatch the thread's messages, so the
// dialog stays responsive and its Abort button works during a transfer.
#include <memory>

#include "maint/ftp_client.h"

namespace vigilor {

std::unique_ptr<FtpNetwork> MakeWinsockFtpNetwork();

// A client with a real network, as the update dialog uses it.
std::unique_ptr<TNMFTP> MakeFtpClient();

}  // namespace vigilor
