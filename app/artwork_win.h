#pragma once
// The program's built-in picture, drawn rather than stored: used by the
// splash window and the About box.
#include <windows.h>

namespace vigilor {

void PaintArtwork(HDC dc, const RECT& area);

}  // namespace vigilor
