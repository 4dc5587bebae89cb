#include "net/ipv4_address.h"

namespace vigilor {

std::optional<std::array<std::uint8_t, 4>> ParseDottedIPv4(const std::string& text) {
    std::array<std::uint8_t, 4> address{};
    size_t i = 0;
    for (size_t part = 0; part < 4; ++part) {
        if (part > 0) {
            if (i >= text.size() || text[i] != '.') return std::nullopt;
            ++i;
        }
        int value = 0;
        size_t digits = 0;
        for (; i < text.size() && text[i] >= '0' && text[i] <= '9' && digits < 4; ++i, ++digits)
            value = value * 10 + (text[i] - '0');
        if (digits == 0 || digits > 3 || value > 255) return std::nullopt;
        address[part] = static_cast<std::uint8_t>(value);
    }
    if (i != text.size()) return std::nullopt;
    return address;
}

std::string DottedIPv4(const std::array<std::uint8_t, 4>& address) {
    return std::to_string(address[0]) + "." + std::to_string(address[1]) + "." + std::to_string(address[2]) + "." +
           std::to_string(address[3]);
}

}  // namespace vigilor
