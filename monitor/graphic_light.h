#pragma once
// The status light's state and which of its bitmaps shows it.
#include <string>

namespace vigilor {

enum class ActiveLight { alRed, alBlue, alGreen, alYellow, alMangenta, alGray, alCyan, alWhite };

struct LightState {
    ActiveLight activeLight = ActiveLight::alGreen;
    bool darkLite = true;
    bool heavyLite = false;
    bool operator==(const LightState&) const = default;
};

// The resource name of the bitmap for a state: "GREEN", "DARK_RED_LITE",
// "BLACK" (dark white) ...
std::string LightBitmapName(const LightState& state);

}  // namespace vigilor
