#pragma once
// A short text put in front of a named user.
#include <string>

namespace vigilor {

// On Windows a network pop-up message (the messenger service of the
// recipient's computer shows it). Under Wine that call would end the
// process, so there the text is shown in a message window of its own when
// the recipient is the logged-on user or this computer, and false is
// returned for anyone else, and while kMaxOpenScreenMessages are still
// open. Never waits for the user.
bool SendScreenMessage(const std::string& message, const std::string& recipient);

// Under Wine, at most this many message windows are open at a time.
constexpr int kMaxOpenScreenMessages = 8;

// The caption of the message window shown under Wine.
constexpr const char* kScreenMessageCaption = "Vigilor message";

}  // namespace vigilor
