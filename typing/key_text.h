// What the keys of the stream type on a US keyboard.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "typing/key_stream.h"

namespace ravak {

// The character a key press types on a US keyboard, read as the US layout types it whatever
// language is active: the shifted one with Shift, the keypad's digits and operators as such
// (Caps Lock plays no part). 0 for a key that types no text: a key let go, a modifier, a key
// with Ctrl, Alt or the Windows key held, and the keys that type nothing of their own
// (function, caret and editing keys).
char16_t TypedChar(const UserKey& key);

// A modifier key, Caps Lock, or a key that stands for input of another kind (Unicode input, an
// input method's key): it changes no text position of its own.
bool IsPassiveKey(uint8_t vk);

// Caret steps over text with the Left arrow: a surrogate pair is one step, so is CR LF.
std::size_t CaretSteps(std::u16string_view text);

}  // namespace ravak
