#include "convert/typing_layouts.h"

#include "platform/keyboard.h"
#include "typing/key_text.h"

namespace ravak {

namespace {

constexpr uint8_t kNumpad0 = 0x60, kDivide = 0x6F;  // VK_NUMPAD0 .. VK_DIVIDE

// The layout's key that was pressed: by its scan code, which names the key's place whatever the
// layout; by its virtual key when there is none (a program's input sent without one).
const LayoutKey* KeyOf(const KeyboardLayout& layout, const KeyStroke& stroke) {
  if (stroke.scan != 0) {
    if (const LayoutKey* key = layout.Key(stroke.scan)) return key;
  }
  for (const LayoutKey& key : layout.keys) {
    if (key.vk == stroke.vk) return &key;
  }
  return nullptr;
}

}  // namespace

TypingLayouts::TypingLayouts(InstalledLayouts& system, LayoutMap& map)
    : system_(system), map_(map), keyboards_(system) {}

bool TypingLayouts::Refresh() {
  if (!keyboards_.Refresh()) return false;
  map_.Load(Pair().latin, Pair().persian);
  return true;
}

LayoutRole TypingLayouts::RoleOf(uint32_t layout) {
  LayoutRole role = keyboards_.RoleOf(layout);
  if (role == LayoutRole::kOther && !keyboards_.Listed(layout) && Refresh())
    role = keyboards_.RoleOf(layout);
  return role;
}

std::optional<TypingLayouts::KeyReading> TypingLayouts::Read(const UserKey& key,
                                                             LayoutRole side) const {
  if (side == LayoutRole::kOther || key.stroke.up || key.composed ||
      (key.modifiers & (modifier::kCtrl | modifier::kAlt | modifier::kWin)))
    return std::nullopt;
  // The keypad types its digits and operators whatever the layout.
  if (key.stroke.vk >= kNumpad0 && key.stroke.vk <= kDivide) {
    const char16_t c = TypedChar(key);
    if (c == 0) return std::nullopt;
    return KeyReading{c, c};
  }
  const bool shift = (key.modifiers & modifier::kShift) != 0;
  const bool latin = side == LayoutRole::kLatin;
  const LayoutKey* typed = KeyOf(latin ? map_.Latin() : map_.Persian(), key.stroke);
  if (!typed) return std::nullopt;
  KeyReading reading;
  // The map's entry where it has one: the key the keyboard type decides is there.
  if (const int entry = map_.KeyEntry(typed->scan, shift); entry != kNotFound) {
    const auto at = static_cast<std::size_t>(entry);
    reading.shown = latin ? map_.EnglishChars()[at] : map_.FarsiChars()[at];
    reading.latin = map_.EnglishChars()[at];
  } else {
    reading.shown = typed->Types(shift);
    const LayoutKey* same = map_.Latin().Key(typed->scan);
    reading.latin = same ? same->Types(shift) : 0;
  }
  if (reading.shown == 0) return std::nullopt;
  return reading;
}

std::optional<LayoutHandle> TypingLayouts::Installed(Language side) const {
  return side == Language::English ? Pair().latin_installed : Pair().persian_installed;
}

}  // namespace ravak
