#pragma once
// The start-up picture: centred, above all windows, for 3000 ms or until
// clicked. Start-up goes on while it shows.
#include <string>

namespace vigilor {

// pictureFile: a bitmap file shown instead of the built-in picture when
// it exists.
void ShowSplash(const std::string& pictureFile, unsigned milliseconds = 3000);

}  // namespace vigilor
