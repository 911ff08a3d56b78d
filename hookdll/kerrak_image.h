// The file image of the Kerrak build that Ravak carries and writes out at start.
#pragma once

#include <cstdint>
#include <span>

namespace ravak {

// Exactly the bytes of the Kerrak.dll built alongside the program.
std::span<const uint8_t> KerrakImage();

}  // namespace ravak
