#include "net/ping_target.h"

#include "platform/text.h"

namespace vigilor {

std::string PingTargetOf(const std::string& server) {
    return UpperAscii(server.size() > 2 ? server.substr(2) : std::string());
}

}  // namespace vigilor
