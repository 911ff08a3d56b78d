// The tip card's picture, decoded from the carried PNG.
#pragma once

#include <windows.h>

namespace ravak::win32 {

// A 32-bit top-down DIB section holding the card at width x height, premultiplied; null when
// the system cannot make one.
HBITMAP CreateCardBitmap(int width, int height);

}  // namespace ravak::win32
