#include "monitor/status_words.h"

namespace vigilor {

std::string WaitingStateWord(int state) {
    switch (state) {
        case 2: return "START PENDING";
        case 3: return "STOP PENDING";
        case 5: return "CONTINUE PENDING";
        case 6: return "PAUSE PENDING";
        case 7: return "PAUSED";
        default: return "";
    }
}

bool IsFailureStatus(std::string_view word) {
    if (word == kStatusStopped || word == kStatusNotFound || word == kStatusUnknown) return true;
    for (int state = 2; state <= 7; ++state)
        if (!WaitingStateWord(state).empty() && word == WaitingStateWord(state)) return true;
    return false;
}

}  // namespace vigilor
