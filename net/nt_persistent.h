#pragma once
// Base of the components that act on a named computer: the computer's
// name ("\\" + name, empty for the local computer), the logon credentials,
// the authenticated connection to its IPC$ share, and the network's list of
// computers.
//
// The components are built in code, never read from a stored form, so the
// rules that apply while a component is being loaded never arise here.
#include <string>
#include <vector>

#include "net/network_platform.h"

namespace vigilor {

struct TLogonAs {
    std::string UserName;
    std::string Password;
};

class TNTPersistent {
public:
    explicit TNTPersistent(NetworkPlatform& network) : network_(network) {}
    virtual ~TNTPersistent() = default;
    TNTPersistent(const TNTPersistent&) = delete;
    TNTPersistent& operator=(const TNTPersistent&) = delete;

    // An exactly equal name changes nothing; otherwise the connection to
    // the old computer is dropped, the name stored and the new computer
    // connected (both only when credentials are held).
    virtual void SetMachineName(const std::string& name);
    virtual std::string MachineName() const { return machineName_; }

    TLogonAs& LogonAs() { return logonAs_; }
    const TLogonAs& LogonAs() const { return logonAs_; }

    // A named computer other than this one, and a user name or password.
    bool NeedsConnection();
    // Opens the IPC$ connection when one is needed; when the server already
    // holds a connection under other credentials (1219) that one is
    // cancelled and the connection tried once more. Failures are not
    // reported: later calls to the computer fail on their own.
    void Connect();
    void Disconnect();

    // Every computer the browse list knows, each "\\" + name, collected over
    // all rounds of the enumeration. Raises AppError with the network error
    // text when the enumeration fails.
    std::vector<std::string> ServerList(const std::string& server);

    // This computer's name, without backslashes; raises AppError with the
    // system error text when it cannot be had.
    std::string LocalComputerName();

protected:
    NetworkPlatform& Network() { return network_; }

private:
    std::string IpcShare() const { return machineName_ + "\\IPC$"; }

    NetworkPlatform& network_;
    std::string machineName_;
    TLogonAs logonAs_;
};

}  // namespace vigilor
