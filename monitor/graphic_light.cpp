#include "monitor/graphic_light.h"

namespace vigilor {

std::string LightBitmapName(const LightState& state) {
    static const char* const kNames[] = {"RED", "BLUE", "GREEN", "YELLOW", "MANGENTA", "GRAY", "CYAN", "WHITE"};
    const std::string colour = kNames[static_cast<int>(state.activeLight)];
    if (state.darkLite && !state.heavyLite && state.activeLight == ActiveLight::alWhite) return "BLACK";
    return (state.darkLite ? "DARK_" : "") + colour + (state.heavyLite ? "_LITE" : "");
}

}  // namespace vigilor
