#pragma once
// The ASCII form of an internationalised host name, as the resolver
// needs it.
#include <optional>
#include <string>

namespace vigilor {

// "xn--" labels for the labels outside ASCII (IdnToAscii); nullopt when the
// name has no such form.
std::optional<std::string> AsciiHostName(const std::string& name);

}  // namespace vigilor
