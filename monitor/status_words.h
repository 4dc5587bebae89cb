#pragma once
// The words a check pass gives a row, as the status page shows them.
#include <string>
#include <string_view>

namespace vigilor {

constexpr const char* kStatusRunning = "RUNNING";
constexpr const char* kStatusStopped = "STOPPED";
constexpr const char* kStatusRestarted = "RESTARTED";
// No key name for the display name on a computer whose manager answers.
constexpr const char* kStatusNotFound = "NOT FOUND";
// The manager or the service could not be opened or queried.
constexpr const char* kStatusUnknown = "UNKNOWN";

// A pending or paused state code (2, 3, 5, 6, 7) in capitals, "STOP PENDING"
// or "PAUSED"; empty for any other code.
std::string WaitingStateWord(int state);

// True for the words that report a failure: shown in red.
bool IsFailureStatus(std::string_view word);

}  // namespace vigilor
