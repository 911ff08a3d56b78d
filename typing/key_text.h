// What the keys of the stream type on a US keyboard.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <utility>

#include "typing/key_stream.h"

namespace ravak {

// The character a key press types on a US keyboard, read as the US layout types it whatever
// language is active: the shifted one with Shift, the keypad's digits and operators as such
// (Caps Lock plays no part). 0 for a key that types no text of its own: a key let go, a
// modifier, a key with Ctrl, Alt or the Windows key held, the keys that type nothing (function,
// caret and editing keys), and those whose text is not the key's: a dead key and the key after
// it, an input method's key (VK_PROCESSKEY) and another program's Unicode input (VK_PACKET).
char16_t TypedChar(const UserKey& key);

// A modifier key or Caps Lock: it changes no text of its own.
bool IsPassiveKey(uint8_t vk);

// A dead key (an accent that waits for the next key) composes with the key that follows it: the
// field gets one character for the two, or two that are neither key's own. Told, for each key
// press that types text, whether it is a dead key of its layout, says whether it is composed.
class DeadKeyFollower {
 public:
  bool Composed(bool dead_key) { return std::exchange(pending_, dead_key) || dead_key; }

 private:
  bool pending_ = false;
};

// Caret steps over text with the Left arrow: a surrogate pair is one step, so is CR LF.
std::size_t CaretSteps(std::u16string_view text);

// How long a start two texts share, never splitting a surrogate pair: what a retyping can leave
// in place (it keeps its own format in a rich editor).
std::size_t SharedStart(std::u16string_view a, std::u16string_view b);

}  // namespace ravak
