// The shortcut word: a 16-bit key combination as the hotkey edits give it, the settings store
// keeps it and the global hotkey component registers it.
#pragma once

#include <cstdint>

namespace ravak {

using TShortCut = uint16_t;

constexpr TShortCut kShortCutKeyMask = 0x1FFF;
constexpr TShortCut kShortCutShift = 0x2000;
constexpr TShortCut kShortCutCtrl = 0x4000;
constexpr TShortCut kShortCutAlt = 0x8000;

// A set of ssShift, ssAlt, ssCtrl.
struct ShiftState {
  bool shift = false;
  bool alt = false;
  bool ctrl = false;
  bool operator==(const ShiftState&) const = default;
};

struct DecodedShortCut {
  uint16_t key;
  ShiftState shift;
};

// key := word AND 0x1FFF; Shift, Ctrl, Alt from bits 13, 14, 15.
DecodedShortCut ShortCutToKey(TShortCut word);

// RegisterHotKey modifier flags: MOD_ALT 1, MOD_CONTROL 2, MOD_SHIFT 4; never MOD_WIN.
constexpr unsigned kModAlt = 1;
constexpr unsigned kModControl = 2;
constexpr unsigned kModShift = 4;
unsigned ModifierFlags(ShiftState state);

// The system hot key edit control: HKM_GETHOTKEY gives the key in the low byte and HOTKEYF_*
// flags (SHIFT 1, CONTROL 2, ALT 4, EXT 8) in the high byte; EXT is dropped.
constexpr unsigned kHotkeyfShift = 1;
constexpr unsigned kHotkeyfControl = 2;
constexpr unsigned kHotkeyfAlt = 4;
constexpr unsigned kHotkeyfExt = 8;
TShortCut ShortCutFromHotKeyControl(uint16_t hkm_gethotkey);
// The HKM_SETHOTKEY argument for a shortcut word: (modifier flags << 8) | low byte of the key.
uint16_t HotKeyControlValue(TShortCut word);

// The settings window's hotkey edits refuse a combination without modifier, with Shift alone
// and with Shift+Alt, and put in their substitute modifiers instead: Alt for the conversion,
// Ctrl+Alt for the copy and paste hotkeys.
constexpr TShortCut kConversionSubstitute = kShortCutAlt;
constexpr TShortCut kCopyPasteSubstitute = kShortCutCtrl | kShortCutAlt;
// A stored shortcut word as such an edit would hold it: the key's low byte with the word's
// modifiers, a refused combination with the substitute modifiers. A word without a key (low
// byte 0) is no combination: 0.
TShortCut NormalizeShortCut(TShortCut word, TShortCut substitute_modifiers);

}  // namespace ravak
