#pragma once
// The start-up picture: centred, above all windows, for 3000 ms or until
// clicked. Start-up goes on while it shows.
#include <windows.h>

#include <string>

namespace vigilor {

// pictureFile: a bitmap file shown instead of the built-in picture when
// it exists. The window closes itself.
HWND ShowSplash(const std::string& pictureFile, unsigned milliseconds = 3000);
// Puts the splash back on top after another window came to the front.
void RaiseSplash(HWND splash);

}  // namespace vigilor
