#pragma once
// Which logon sessions of this computer belong to the user an alert is for.
#include <string>
#include <vector>

namespace vigilor {

struct UserSession {
    unsigned long id = 0;
    std::string userName;  // empty when nobody is logged on in it
    std::string domainName;
};

// The ids of the sessions of `recipient`, in the order given. The
// recipient is "user" (that user name in any domain), "DOMAIN\user", or
// the name of this computer, thisComputer (also with "\\" before it),
// which means every session with a user, as a message to a computer used
// to reach whoever sat at it. Letter case and blanks around the recipient
// do not matter. Sessions without a user never match.
std::vector<unsigned long> SessionsOfUser(const std::vector<UserSession>& sessions, const std::string& recipient,
                                          const std::string& thisComputer);

}  // namespace vigilor
