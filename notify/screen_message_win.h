#pragma once
// A short text put in front of a named user.
#include <string>

namespace vigilor {

// On Windows a message box, through Remote Desktop Services, in every
// session of this computer where the recipient ("user" or "DOMAIN\user")
// is logged on (every session with a user, when the recipient is this
// computer); true when at least one got it. With no such session, the
// old network pop-up (the messenger service of the recipient's computer,
// absent from current Windows, where it fails). Under Wine the session
// calls do nothing and the network call would end the process, so there
// the text is shown in a message window of its own when the recipient is
// the logged-on user or this computer, and false is returned for anyone
// else, and while kMaxOpenScreenMessages are still open. Never waits for
// the user.
bool SendScreenMessage(const std::string& message, const std::string& recipient);

// From a service, which has no screen of its own: only the boxes through
// Remote Desktop Services, in the recipient's sessions, or in every session
// with a user when there is no recipient; true when one got it. Under Wine,
// whose session calls are stubs, always false: never a box of the
// service's own.
bool SendScreenMessageToSessions(const std::string& message, const std::string& recipient);

// Under Wine, at most this many message windows are open at a time.
constexpr int kMaxOpenScreenMessages = 8;

// The caption of the message box.
constexpr const char* kScreenMessageCaption = "Vigilor message";

}  // namespace vigilor
