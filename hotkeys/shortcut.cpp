#include "hotkeys/shortcut.h"

namespace ravak {

DecodedShortCut ShortCutToKey(TShortCut word) {
  DecodedShortCut d{};
  d.key = word & kShortCutKeyMask;
  d.shift.shift = (word & kShortCutShift) != 0;
  d.shift.ctrl = (word & kShortCutCtrl) != 0;
  d.shift.alt = (word & kShortCutAlt) != 0;
  return d;
}

unsigned ModifierFlags(ShiftState state) {
  unsigned flags = 0;
  if (state.ctrl) flags |= kModControl;
  if (state.alt) flags |= kModAlt;
  if (state.shift) flags |= kModShift;
  return flags;
}

TShortCut ShortCutFromHotKeyControl(uint16_t value) {
  const unsigned mods = value >> 8;
  unsigned word = value & 0xFF;
  if (mods & kHotkeyfShift) word |= kShortCutShift;
  if (mods & kHotkeyfControl) word |= kShortCutCtrl;
  if (mods & kHotkeyfAlt) word |= kShortCutAlt;
  return static_cast<TShortCut>(word);
}

uint16_t HotKeyControlValue(TShortCut word) {
  unsigned mods = 0;
  if (word & kShortCutShift) mods |= kHotkeyfShift;
  if (word & kShortCutCtrl) mods |= kHotkeyfControl;
  if (word & kShortCutAlt) mods |= kHotkeyfAlt;
  return static_cast<uint16_t>((mods << 8) | (word & 0xFF));
}

TShortCut NormalizeShortCut(TShortCut word, TShortCut substitute_modifiers) {
  const unsigned key = word & 0xFF;
  if (key == 0) return 0;
  unsigned mods = word & (kShortCutShift | kShortCutCtrl | kShortCutAlt);
  const bool refused =
      mods == 0 || mods == kShortCutShift || mods == (kShortCutShift | kShortCutAlt);
  if (refused) mods = substitute_modifiers;
  return static_cast<TShortCut>(mods | key);
}

}  // namespace ravak
