// A keyboard layout as Ravak reads it: for each key of the typing area, by its scan code and with
// the virtual-key code the layout gives it, the character it types plain and with Shift, whether
// that character is a dead key (it waits for the next key), and what the dead keys make with the
// keys after them. Plain data: the built-in tables, the layouts read from Windows and the tests'
// fakes all hold one.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace ravak {

// A layout's identifier as Windows names it (its KLID): the language in the low word, the
// variant above it. 0x00000409 is US, 0x00050429 Persian (Standard).
using LayoutId = uint32_t;
constexpr LayoutId kUsLayout = 0x00000409;
constexpr LayoutId kPersianLayout = 0x00000429;  // Persian, as Windows had it before Windows 8
constexpr LayoutId kPersianStandardLayout = 0x00050429;

// Scan codes (set 1) of the keys the layouts are read on.
namespace scan {
constexpr uint8_t kGrave = 0x29;      // left of 1
constexpr uint8_t kBackslash = 0x2B;  // right of the quote key (above Enter on 102-key keyboards)
constexpr uint8_t kOem102 = 0x56;     // left of Z, on 102-key keyboards
constexpr uint8_t kSpace = 0x39;
}  // namespace scan

struct LayoutKey {
  uint8_t scan = 0;
  uint8_t vk = 0;
  char16_t plain = 0;    // 0: it types nothing, or more than one code unit
  char16_t shifted = 0;  // with Shift
  bool plain_dead = false;
  bool shifted_dead = false;

  char16_t Types(bool shift) const { return shift ? shifted : plain; }
  bool Dead(bool shift) const { return shift ? shifted_dead : plain_dead; }
};

// A dead key's character, the character of the key typed after it, and the one they make.
struct DeadKeyCombination {
  char16_t dead = 0;
  char16_t base = 0;
  char16_t result = 0;
};

struct KeyboardLayout {
  LayoutId id = 0;
  std::u16string name;  // as the system or the table names it: "Persian (Standard)"
  std::vector<LayoutKey> keys;
  std::vector<DeadKeyCombination> combinations;

  // The language the layout is for (a LANGID: 0x0429 Persian).
  uint16_t Language() const { return static_cast<uint16_t>(id & 0xFFFF); }
  const LayoutKey* Key(uint8_t scan_code) const;
  // What a dead key makes with the character typed after it; 0 when the pair makes nothing.
  char16_t Combine(char16_t dead, char16_t base) const;
};

// The keys a layout is read on, in this order: the number row from the key left of 1, the three
// letter rows (the top one from Q, the middle one from A with the key right of it, the bottom one
// from the key left of Z), and the space bar.
std::span<const uint8_t> TypingKeyScans();

// "00050429" (eight hexadecimal digits, as Windows writes a KLID); nothing for anything else.
std::optional<LayoutId> ParseLayoutId(std::string_view text);
std::string FormatLayoutId(LayoutId id);

// Whether a layout's language is Persian (0x0429), whatever the variant.
constexpr bool IsPersianLanguage(uint16_t language) {
  return language == 0x0429;
}
// Whether the layout types Latin script: at least 20 of the letters a to z on its keys without
// Shift (English, French, German, Turkish..., Dvorak and Colemak as well as QWERTY).
bool TypesLatinLetters(const KeyboardLayout& layout);

}  // namespace ravak
