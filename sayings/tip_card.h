// The tip window's card picture (ui/tip_card.png, made by ui/make_tip_card.sh): a 300x188 PNG
// with 8-bit alpha, carried inside the program.
#pragma once

#include <cstdint>
#include <span>

namespace ravak {

std::span<const uint8_t> TipCardPicture();

}  // namespace ravak
