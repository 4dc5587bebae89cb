#include "net/network_error_text.h"

namespace vigilor {

namespace {
constexpr unsigned long kFirstNetworkCode = 2100;
}

std::string NetworkErrorText(SystemErrorSource& system, unsigned long code) {
    if (code < kFirstNetworkCode) return SystemErrorText(system, code);
    const auto text = NetworkMessageTableText(code);
    return std::to_string(code) + ": " + (text ? std::string(*text) : std::string("Unknown error"));
}

}  // namespace vigilor
