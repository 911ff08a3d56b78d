// Synthetic keyboard output: the one way Ravak acts on other applications besides the clipboard.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace ravak {

// Windows virtual-key codes and keybd_event flags used by the commands.
namespace vk {
constexpr uint8_t kBack = 0x08;
constexpr uint8_t kShift = 0x10;
constexpr uint8_t kControl = 0x11;
constexpr uint8_t kMenu = 0x12;
constexpr uint8_t kHome = 0x24;
constexpr uint8_t kLeft = 0x25;
constexpr uint8_t kRight = 0x27;
constexpr uint8_t kLWin = 0x5B;
constexpr uint8_t kRWin = 0x5C;
constexpr uint8_t kLShift = 0xA0;
constexpr uint8_t kRShift = 0xA1;
constexpr uint8_t kLControl = 0xA2;
constexpr uint8_t kRControl = 0xA3;
constexpr uint8_t kLMenu = 0xA4;
constexpr uint8_t kRMenu = 0xA5;
// Unassigned key: pressing it between Alt down and Alt up keeps the Alt release from
// activating the focused application's menu bar, and it types nothing.
constexpr uint8_t kMask = 0xE8;
}  // namespace vk

constexpr uint32_t kKeyEventExtended = 0x0001;  // KEYEVENTF_EXTENDEDKEY
constexpr uint32_t kKeyEventKeyUp = 0x0002;     // KEYEVENTF_KEYUP

class KeyboardOutput {
 public:
  virtual ~KeyboardOutput() = default;
  // One keybd_event call, marked as Ravak's own; it reports nothing. Scan code 0: the key's own.
  virtual void KeyEvent(uint8_t vk, uint8_t scan, uint32_t flags) = 0;
  // GetAsyncKeyState: whether the key is down right now.
  virtual bool IsKeyDown(uint8_t vk) = 0;
  // SendInput of each code unit as Unicode input (KEYEVENTF_UNICODE), whatever the layout.
  virtual void TypeText(std::u16string_view text) = 0;
  // erase Backspaces, then text as Unicode input, in one go.
  virtual void EraseAndType(std::size_t erase, std::u16string_view text) {
    for (std::size_t i = 0; i < erase; ++i) {
      KeyEvent(vk::kBack, 0, 0);
      KeyEvent(vk::kBack, 0, kKeyEventKeyUp);
    }
    if (!text.empty()) TypeText(text);
  }
  // When the window in front is a console: erase characters erased with Backspace and text
  // typed, written straight into the console's input, which a console may not take as Unicode
  // key input. False when it is no console, or its input cannot be reached.
  virtual bool TypeIntoConsole(std::size_t erase, std::u16string_view text) {
    (void)erase;
    (void)text;
    return false;
  }
};

}  // namespace ravak
