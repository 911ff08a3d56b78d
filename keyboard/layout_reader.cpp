#include "keyboard/layout_reader.h"

#include "keyboard/builtin_layouts.h"

namespace ravak {

namespace {

// Fewer keys with a character than the letters of the smallest alphabet read: the system could
// not say what the layout types (as Wine does for a layout it does not know).
constexpr int kFewestKeys = 26;

char16_t OneCharacter(const std::u16string& text) {
  return text.size() == 1 && text[0] >= u' ' ? text[0] : 0;
}

// Where the system's layout cannot be read: Ravak's table of it, else its default.
KeyboardLayout BuiltinFor(uint32_t id, LayoutId fallback) {
  if (const KeyboardLayout* carried = BuiltinLayout(id)) return *carried;
  return *BuiltinLayout(fallback);
}

}  // namespace

std::optional<KeyboardLayout> ReadLayout(InstalledLayouts& system, LayoutHandle layout) {
  KeyboardLayout read;
  // Without the system's word, the input language alone.
  const uint32_t id = system.Id(layout);
  read.id = id != 0 ? id : static_cast<LayoutId>(layout & 0xFFFF);
  read.name = system.Name(layout);
  // A system that does not name it (Wine): the name of Ravak's table of it.
  if (const KeyboardLayout* carried = BuiltinLayout(read.id); read.name.empty() && carried)
    read.name = carried->name;
  int typing = 0;
  for (const uint8_t scan : TypingKeyScans()) {
    const uint8_t vk = system.VirtualKey(layout, scan);
    if (vk == 0) continue;
    LayoutKey key;
    key.scan = scan;
    key.vk = vk;
    const KeyTyped plain = system.Type(layout, {vk, scan, false});
    const KeyTyped shifted = system.Type(layout, {vk, scan, true});
    key.plain = OneCharacter(plain.text);
    key.shifted = OneCharacter(shifted.text);
    key.plain_dead = plain.dead && key.plain != 0;
    key.shifted_dead = shifted.dead && key.shifted != 0;
    typing += key.plain != 0;
    read.keys.push_back(key);
  }
  if (typing < kFewestKeys) return std::nullopt;
  // What each dead key makes with each key that types a character of its own.
  for (const LayoutKey& dead : read.keys) {
    for (const bool dead_shift : {false, true}) {
      if (!dead.Dead(dead_shift)) continue;
      const char16_t d = dead.Types(dead_shift);
      for (const LayoutKey& next : read.keys) {
        for (const bool shift : {false, true}) {
          const char16_t base = next.Types(shift);
          if (base == 0 || next.Dead(shift)) continue;
          const char16_t made = OneCharacter(system.TypeAfterDeadKey(
              layout, {dead.vk, dead.scan, dead_shift}, {next.vk, next.scan, shift}));
          if (made != 0 && (made != base || base == u' ') && read.Combine(d, base) == 0)
            read.combinations.push_back({d, base, made});
        }
      }
    }
  }
  return read;
}

KeyboardPair FindKeyboardPair(InstalledLayouts& system) {
  KeyboardPair pair;
  bool have_latin = false, have_persian = false;
  for (const LayoutHandle layout : system.List()) {
    // The layout's own language; without the system's word, the input language it serves.
    const uint32_t id = system.Id(layout);
    const bool persian =
        IsPersianLanguage(static_cast<uint16_t>(id != 0 ? id & 0xFFFF : layout & 0xFFFF));
    if (persian ? have_persian : have_latin) continue;
    std::optional<KeyboardLayout> read = ReadLayout(system, layout);
    if (persian) {
      // The user's Persian layout, read or as Ravak carries it.
      have_persian = true;
      if (read) {
        pair.persian = std::move(*read);
        pair.persian_installed = layout;
      } else {
        pair.persian = BuiltinFor(id, kPersianLayout);
      }
    } else if (read && TypesLatinLetters(*read)) {
      have_latin = true;
      pair.latin = std::move(*read);
      pair.latin_installed = layout;
    } else if (!read) {
      // A layout that cannot be read is Latin when Ravak's table of it is.
      const KeyboardLayout* carried = BuiltinLayout(id);
      if (carried && TypesLatinLetters(*carried)) {
        have_latin = true;
        pair.latin = *carried;
      }
    }
    if (have_latin && have_persian) break;
  }
  if (!have_latin) pair.latin = *BuiltinLayout(kUsLayout);
  if (!have_persian) pair.persian = *BuiltinLayout(kPersianLayout);
  return pair;
}

SystemKeyboards::SystemKeyboards(InstalledLayouts& system) : system_(system) {
  pair_.latin = *BuiltinLayout(kUsLayout);
  pair_.persian = *BuiltinLayout(kPersianLayout);
}

bool SystemKeyboards::Refresh() {
  std::vector<LayoutHandle> list = system_.List();
  if (read_ && list == list_) return false;
  read_ = true;
  list_ = std::move(list);
  pair_ = FindKeyboardPair(system_);
  return true;
}

namespace {

bool SameLayout(LayoutHandle a, LayoutHandle b) {
  return static_cast<uint32_t>(a) == static_cast<uint32_t>(b);
}

}  // namespace

LayoutRole SystemKeyboards::RoleOf(LayoutHandle layout) const {
  const auto is = [layout](const std::optional<LayoutHandle>& installed) {
    return installed && SameLayout(*installed, layout);
  };
  if (is(pair_.persian_installed)) return LayoutRole::kPersian;
  if (is(pair_.latin_installed)) return LayoutRole::kLatin;
  const auto language = static_cast<uint16_t>(layout & 0xFFFF);
  if (!pair_.persian_installed && IsPersianLanguage(language)) return LayoutRole::kPersian;
  if (!pair_.latin_installed && language == pair_.latin.Language()) return LayoutRole::kLatin;
  return LayoutRole::kOther;
}

bool SystemKeyboards::Listed(LayoutHandle layout) const {
  for (const LayoutHandle listed : list_) {
    if (SameLayout(listed, layout)) return true;
  }
  return false;
}

}  // namespace ravak
