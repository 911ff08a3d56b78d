// A user typing into an application while Ravak watches, over the real key stream and key gate:
// each key the user types is offered to the gate as the low-level hook offers it, a key that
// goes on reaches the application (a FakeTextField), and the keys Ravak sends reach it too and
// come back through the gate as the hook sees them. The user-interface thread's pending work (a
// drain of what is held) runs at once, or when the test lets it (Idle) while the thread is busy,
// so a test can type on before Ravak has acted, as a fast typist does; and the watchers can be
// made too slow to judge a key in time. The system's key state (what the keyboard's IsKeyDown
// answers) follows every key event that reaches the application; each input is stamped with the
// window in front and its layout, as the hook stamps it, and a dead key of the layout marks
// itself and the key after it. A typist on another layout (Dvorak, Persian (Standard)) presses
// that layout's keys, with their scan codes.
#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "keyboard/keyboard_layout.h"
#include "platform/foreground.h"
#include "platform/typing_target.h"
#include "tests/fakes/fake_system.h"
#include "tests/fakes/fake_text_field.h"
#include "typing/key_gate.h"
#include "typing/key_text.h"

namespace ravak::testing {

class FakeTyping {
 public:
  FakeTyping(FakeKeyboard& keyboard, FakeClipboard& clipboard, ErrorReport& errors)
      : gate(stream, keyboard, errors, [this] { return now_ms; }),
        field(keyboard, clipboard),
        keyboard_(keyboard) {
    keyboard.on_key = [this](uint8_t vk, bool down) {
      const KeyStroke key{vk, 0, !down, false};
      gate.Passed(key);
      Reach(key);
    };
    gate.drain_requested = [this] { drain_due_ = true; };
    gate.foreground = [this] { return front ? front->ForegroundWindow() : window; };
  }

  // Types each character of a US-keyboard text with its key (Shift held for capitals and shifted
  // symbols; "\r" is Enter, "\t" Tab, "\b" Backspace), then lets the user-interface thread catch
  // up unless it is busy.
  void Type(std::u16string_view text) {
    for (const char16_t c : text) TypeKey(c);
    if (!busy) Idle();
  }
  // A key with modifiers held around it (a chord), then the user-interface thread catches up.
  void Chord(ModifierSet modifiers, uint8_t vk) {
    for (int bit = 0; bit < kModifierCount; ++bit)
      if (modifiers & (1u << bit)) Event(ModifierKey(bit), false);
    Event(vk, false);
    Event(vk, true);
    for (int bit = 0; bit < kModifierCount; ++bit)
      if (modifiers & (1u << bit)) Event(ModifierKey(bit), true);
    if (!busy) Idle();
  }
  // Types text on a layout: each character by the key that types it there, Shift held for a
  // shifted one, with the key's scan code and the virtual key the layout gives it; "\r", "\t"
  // and "\b" as Type does. A character the layout has no key for is left out.
  void TypeOn(const KeyboardLayout& keyboard, std::u16string_view text) {
    for (const char16_t c : text) {
      if (c == u'\r' || c == u'\t' || c == u'\b') {
        TypeKey(c);
        continue;
      }
      for (const LayoutKey& key : keyboard.keys) {
        const bool shift = key.plain != c;
        if (key.Types(shift) != c) continue;
        if (shift) Event(vk::kLShift, false);
        Event(key.vk, false, key.scan);
        Event(key.vk, true, key.scan);
        if (shift) Event(vk::kLShift, true);
        break;
      }
    }
    if (!busy) Idle();
  }
  // One key event of the user.
  void Event(uint8_t vk, bool up, uint8_t scan = 0) {
    UserInput input{UserInput::Kind::kKey, UserKey{KeyStroke{vk, scan, up, false}, 0}};
    if (!up && !IsPassiveKey(vk))
      input.key.composed = dead_keys_.Composed(dead_key && dead_key(vk));
    if (Offer(input)) Reach(input.key.stroke);
  }
  // The user lets go of a key where the hook cannot see it (in an elevated window): the system
  // and the application have it, the key gate never hears of it.
  void ReleasedUnseen(uint8_t vk) { Reach(KeyStroke{vk, 0, true, false}); }
  void Click() {
    UserInput input{UserInput::Kind::kClick, {}};
    Offer(input);
    if (!busy) Idle();
  }
  // The user-interface thread carries out what is held, until nothing is due.
  void Idle() {
    while (drain_due_) {
      drain_due_ = false;
      gate.Drain();
    }
  }

  KeyStream stream;
  KeyGate gate;
  FakeTextField field;
  // The user-interface thread drains only at Idle; with late_answers it does not judge a key
  // in time for the hook either.
  bool busy = false;
  bool late_answers = false;
  uint64_t now_ms = 0;
  // The window in front and its layout as each input comes (front and front_layout, when set,
  // tell them).
  ForegroundWindowQuery* front = nullptr;
  TypingTargetQuery* front_layout = nullptr;
  WindowId window = 1;
  uint32_t layout = 0x0409;
  // Whether a key (by virtual-key code) is a dead key of the layout.
  std::function<bool(uint8_t vk)> dead_key;

 private:
  void Reach(const KeyStroke& key) {
    if (key.up) {
      keyboard_.held_keys.erase(key.vk);
    } else {
      keyboard_.held_keys.insert(key.vk);
    }
    field.Key(key);
  }
  bool Offer(UserInput& input) {
    now_ms += 30;
    input.window = front ? front->ForegroundWindow() : window;
    input.layout = front_layout ? front_layout->ForegroundLayout() : layout;
    if (gate.Arrive(input) == KeyGate::Admission::kHeld) return input.kind != UserInput::Kind::kKey;
    if (!late_answers) gate.ClaimAndAnswer();
    bool drain = false;
    const bool passes = gate.Settle(input, drain);
    drain_due_ = drain_due_ || drain;
    return passes;
  }
  void TypeKey(char16_t c) {
    if (c == u'\r' || c == u'\t' || c == u'\b') {
      const uint8_t vk = c == u'\r' ? 0x0D : c == u'\t' ? 0x09 : vk::kBack;
      Event(vk, false);
      Event(vk, true);
      return;
    }
    for (int vk = 1; vk < 256; ++vk) {
      const auto key = static_cast<uint8_t>(vk);
      for (const ModifierSet shift : {ModifierSet{0}, modifier::kLShift}) {
        if (TypedChar(UserKey{KeyStroke{key, 0, false, false}, shift}) != c) continue;
        if (shift) Event(vk::kLShift, false);
        Event(key, false);
        Event(key, true);
        if (shift) Event(vk::kLShift, true);
        return;
      }
    }
  }
  bool drain_due_ = false;
  FakeKeyboard& keyboard_;
  DeadKeyFollower dead_keys_;
};

}  // namespace ravak::testing
