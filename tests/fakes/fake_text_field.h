// A one-line text field of some application in the foreground, fed by the recording keyboard:
// Backspace erases before the caret, Ctrl+V pastes the clipboard's text at the caret, the Left
// arrow moves the caret back one step (a surrogate pair or CR LF is one step). It shows what
// the user would see after a command's keys. Unicode input is typed at the caret; Enter types a
// line break.
#pragma once

#include <cstddef>
#include <string>

#include "platform/keyboard.h"
#include "tests/fakes/fake_system.h"

namespace ravak::testing {

class FakeTextField {
 public:
  FakeTextField(FakeKeyboard& keyboard, FakeClipboard& clipboard) : clipboard_(clipboard) {
    keyboard.on_key = [this](uint8_t vk, bool down) { Key(vk, down); };
    keyboard.on_text = [this](std::u16string_view typed) {
      text.insert(caret, typed);
      caret += typed.size();
    };
  }
  // What the user has typed so far; the caret at its end.
  void Show(const std::u16string& typed) {
    text = typed;
    caret = typed.size();
  }
  // The text with "|" at the caret.
  std::u16string WithCaret() const { return text.substr(0, caret) + u"|" + text.substr(caret); }

  std::u16string text;
  std::size_t caret = 0;

 private:
  static bool Pair(char16_t a, char16_t b) {
    return (a >= 0xD800 && a <= 0xDBFF && b >= 0xDC00 && b <= 0xDFFF) || (a == u'\r' && b == u'\n');
  }
  std::size_t StepBack() const {
    return caret >= 2 && Pair(text[caret - 2], text[caret - 1]) ? 2 : 1;
  }
  void Key(uint8_t key, bool down) {
    if (key == vk::kControl) ctrl_ = down;
    if (!down || caret > text.size()) return;
    if (key == vk::kBack && caret > 0) {
      const std::size_t n = StepBack();
      text.erase(caret - n, n);
      caret -= n;
    }
    if (key == vk::kLeft && caret > 0) caret -= StepBack();
    if (key == 0x0D) {
      text.insert(caret, u"\r\n");
      caret += 2;
    }
    if (key == 0x56 && ctrl_ && clipboard_.has_text) {
      const std::u16string pasted = clipboard_.PasteByOtherApp();
      text.insert(caret, pasted);
      caret += pasted.size();
    }
  }
  FakeClipboard& clipboard_;
  bool ctrl_ = false;
};

}  // namespace ravak::testing
