#pragma once
// Dotted IPv4 addresses ("a.b.c.d", four decimal parts 0-255).
#include <array>
#include <cstdint>
#include <optional>
#include <string>

namespace vigilor {

std::optional<std::array<std::uint8_t, 4>> ParseDottedIPv4(const std::string& text);
std::string DottedIPv4(const std::array<std::uint8_t, 4>& address);

}  // namespace vigilor
