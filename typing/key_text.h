// What the keys the keyboard hook reports type on a US keyboard.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "hotkeys/shortcut.h"

namespace ravak {

// The character a key types on a US keyboard: the shifted one when the modifier set is exactly
// {Shift}, else the unshifted one (Caps Lock plays no part). Only the key's low byte counts; a
// key outside the table gives the character with the key's code.
char16_t KeyToChar(uint16_t key, ShiftState shift);

// A letter, digit or punctuation key: one that types a character of its own.
bool TypesCharacter(uint16_t key);

// Caret steps over text with the Left arrow: a surrogate pair is one step, so is CR LF.
std::size_t CaretSteps(std::u16string_view text);

}  // namespace ravak
