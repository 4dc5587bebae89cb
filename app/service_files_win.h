#pragma once
// Where the Windows service leaves what it found: %ProgramData%\Vigilor,
// written by the service only; SYSTEM and the Administrators have full
// control, the users at the screen may read.
#include <filesystem>
#include <string>

namespace vigilor {

// The folder, made with that access list when it is not there.
std::filesystem::path ServiceDataFolder();

// The console's state file (ConsoleStateText), whether or not it exists.
std::string ConsoleStatePath();

}  // namespace vigilor
