// A one-line text field of some application in the foreground. It takes every key event that
// reaches the application: Backspace erases before the caret, Ctrl+V pastes the clipboard's text
// at the caret, the Left arrow moves the caret back one step (a surrogate pair or CR LF is one
// step), Enter types a line break, and a key that types text types it at the caret (read as the
// US keyboard types it with the modifiers the application sees, then through layout; or what
// the keyboard it types with gives the key), so a modifier left down shows. Unicode input is
// typed at the caret. It shows what the user would see after the keys.
#pragma once

#include <cstddef>
#include <functional>
#include <string>

#include "keyboard/keyboard_layout.h"
#include "platform/keyboard.h"
#include "tests/fakes/fake_system.h"
#include "typing/key_text.h"

namespace ravak::testing {

class FakeTextField {
 public:
  // Takes the keys the recording keyboard sends.
  FakeTextField(FakeKeyboard& keyboard, FakeClipboard& clipboard) : clipboard_(clipboard) {
    keyboard.on_key = [this](uint8_t vk, bool down) { Key(KeyStroke{vk, 0, !down, false}); };
    keyboard.on_text = [this](std::u16string_view typed) { Type(typed); };
  }
  // What the user has typed so far; the caret at its end.
  void Show(const std::u16string& typed) {
    text = typed;
    caret = typed.size();
  }
  // The text with "|" at the caret.
  std::u16string WithCaret() const { return text.substr(0, caret) + u"|" + text.substr(caret); }

  // One key event that reached the application.
  void Key(const KeyStroke& key) {
    modifiers_ = Apply(modifiers_, key);
    if (key.up || caret > text.size()) return;
    const bool ctrl = (modifiers_ & modifier::kCtrl) != 0;
    if (key.vk == vk::kBack && caret > 0) {
      const std::size_t n = StepBack();
      text.erase(caret - n, n);
      caret -= n;
    }
    if (key.vk == vk::kLeft && caret > 0) caret -= StepBack();
    if (key.vk == 0x0D) Type(u"\r\n");
    if (key.vk == 0x56 && ctrl && clipboard_.has_text) Type(clipboard_.PasteByOtherApp());
    if (ctrl) return;
    if (const char16_t c = TypedChar(UserKey{key, modifiers_}))
      Type(std::u16string(1, Shows(key, c)));
  }
  void Type(std::u16string_view typed) {
    for (const char16_t c : typed) {
      if (accepts && !accepts(c)) continue;  // a field that takes digits only, say
      text.insert(caret, 1, c);
      ++caret;
    }
  }
  // What the field takes; none: everything.
  std::function<bool(char16_t)> accepts;

  std::u16string text;
  std::size_t caret = 0;
  // What the active layout types for a key that types c on the US keyboard; none: c.
  std::function<char16_t(char16_t)> layout;
  // The layout the application types with, which gives each key (by its virtual key) its
  // character; none: layout decides.
  const KeyboardLayout* types_with = nullptr;

 private:
  char16_t Shows(const KeyStroke& key, char16_t c) const {
    if (types_with) {
      for (const LayoutKey& k : types_with->keys) {
        if (k.vk == key.vk) return k.Types((modifiers_ & modifier::kShift) != 0);
      }
    }
    return layout ? layout(c) : c;
  }
  static bool Pair(char16_t a, char16_t b) {
    return (a >= 0xD800 && a <= 0xDBFF && b >= 0xDC00 && b <= 0xDFFF) || (a == u'\r' && b == u'\n');
  }
  std::size_t StepBack() const {
    return caret >= 2 && Pair(text[caret - 2], text[caret - 1]) ? 2 : 1;
  }
  FakeClipboard& clipboard_;
  ModifierSet modifiers_ = 0;  // as the application sees them
};

}  // namespace ravak::testing
