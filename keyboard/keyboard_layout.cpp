#include "keyboard/keyboard_layout.h"

#include <array>
#include <bitset>
#include <cstdio>

namespace ravak {

namespace {

constexpr std::array<uint8_t, 49> kTypingKeys = {
    scan::kGrave,
    0x02,
    0x03,
    0x04,
    0x05,
    0x06,
    0x07,
    0x08,
    0x09,
    0x0A,
    0x0B,
    0x0C,
    0x0D,  // 1-=
    0x10,
    0x11,
    0x12,
    0x13,
    0x14,
    0x15,
    0x16,
    0x17,
    0x18,
    0x19,
    0x1A,
    0x1B,  // Q-]
    0x1E,
    0x1F,
    0x20,
    0x21,
    0x22,
    0x23,
    0x24,
    0x25,
    0x26,
    0x27,
    0x28,              // A-'
    scan::kBackslash,  //
    scan::kOem102,
    0x2C,
    0x2D,
    0x2E,
    0x2F,
    0x30,
    0x31,
    0x32,
    0x33,
    0x34,
    0x35,  // Z-/
    scan::kSpace,
};

}  // namespace

const LayoutKey* KeyboardLayout::Key(uint8_t scan_code) const {
  for (const LayoutKey& key : keys) {
    if (key.scan == scan_code) return &key;
  }
  return nullptr;
}

char16_t KeyboardLayout::Combine(char16_t dead, char16_t base) const {
  for (const DeadKeyCombination& c : combinations) {
    if (c.dead == dead && c.base == base) return c.result;
  }
  return 0;
}

std::span<const uint8_t> TypingKeyScans() {
  return kTypingKeys;
}

std::optional<LayoutId> ParseLayoutId(std::string_view text) {
  if (text.size() != 8) return std::nullopt;
  LayoutId id = 0;
  for (const char c : text) {
    int digit = -1;
    if (c >= '0' && c <= '9') digit = c - '0';
    if (c >= 'a' && c <= 'f') digit = c - 'a' + 10;
    if (c >= 'A' && c <= 'F') digit = c - 'A' + 10;
    if (digit < 0) return std::nullopt;
    id = id << 4 | static_cast<LayoutId>(digit);
  }
  return id;
}

std::string FormatLayoutId(LayoutId id) {
  char text[9];
  std::snprintf(text, sizeof text, "%08X", static_cast<unsigned>(id));
  return text;
}

bool TypesLatinLetters(const KeyboardLayout& layout) {
  std::bitset<26> letters;
  for (const LayoutKey& key : layout.keys) {
    if (key.plain >= u'a' && key.plain <= u'z') letters.set(key.plain - u'a');
  }
  return letters.count() >= 20;
}

}  // namespace ravak
