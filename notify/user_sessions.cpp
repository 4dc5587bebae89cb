#include "notify/user_sessions.h"

#include <optional>
#include <string_view>

#include "platform/text.h"

namespace vigilor {

std::vector<unsigned long> SessionsOfUser(const std::vector<UserSession>& sessions, const std::string& recipient,
                                          const std::string& thisComputer) {
    const std::string name = Trim(recipient);
    std::string_view computer = name;
    if (computer.starts_with("\\\\")) computer.remove_prefix(2);
    const bool everyone = !computer.empty() && EqualsIgnoringAsciiCase(computer, thisComputer);
    std::string_view user = name;
    std::optional<std::string_view> domain;
    if (const size_t slash = user.find('\\'); slash != std::string_view::npos) {
        domain = user.substr(0, slash);
        user = user.substr(slash + 1);
    }
    std::vector<unsigned long> ids;
    for (const UserSession& session : sessions) {
        if (session.userName.empty()) continue;
        if (everyone) {
            ids.push_back(session.id);
            continue;
        }
        if (!EqualsIgnoringAsciiCase(session.userName, user)) continue;
        if (domain && !EqualsIgnoringAsciiCase(session.domainName, *domain)) continue;
        ids.push_back(session.id);
    }
    return ids;
}

}  // namespace vigilor
