// The settings as a plain model: what the user chose in the settings window, read live by the
// features. The values here are those of a first start, when nothing is stored.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "hotkeys/shortcut.h"

namespace ravak {

// Which key of the Persian layout the backslash key types: the Windows default Persian
// keyboard (پ) or the Farsi-type keyboard (ژ). Stored as its number; 2, an old name for the
// Windows default, is shown and used as 1. Any other stored number is kept as it is.
enum class KeyboardType : int32_t { kWindowsDefault = 1, kLegacyWindowsDefault = 2, kFarsi = 3 };

struct Settings {
  // Conversion (General tab)
  bool conversion_enabled = false;
  TShortCut conversion_hotkey = 0x8041;  // Alt+A
  bool switch_language = false;          // press the language chord after each conversion
  KeyboardType keyboard_type = KeyboardType::kWindowsDefault;
  bool slow_system = false;  // longer pauses between synthetic keys
  // Converting a selection or the word before the caret, on hotkeys of their own; keys that
  // today's programs leave alone (the Scroll Lock and Pause keys, with Alt).
  TShortCut selection_hotkey = 0x8091;  // Alt+Scroll Lock
  TShortCut last_word_hotkey = 0x8013;  // Alt+Pause
  // Automatic detection of words typed in the wrong layout (off until the user turns it on)
  bool auto_detect = false;
  // Fixing the Persian orthography of the selection or of the text typed since the caret last
  // moved, on a hotkey active with the conversion: Ctrl+Alt+Scroll Lock, a key no common program
  // takes with those modifiers (Alt+Scroll Lock is the selection's conversion).
  TShortCut orthography_hotkey = 0xC091;
  // After a conversion, the zero-width non-joiners of the Persian text it typed are put right.
  bool fix_non_joiners = false;
  // As each Persian word is typed, its non-joiners and letters are put right (off until the user
  // turns it on); kept out of the same programs as automatic switching.
  bool fix_as_typed = false;
  // Automatic switching and auto-correct stay out of the programs listed (executable file names)
  // and, while skip_full_screen is on, out of full-screen programs (games, presentations).
  std::vector<std::u16string> excluded_programs;
  bool skip_full_screen = true;
  // After an automatic switch, a mark near the caret shows the word as typed for a moment.
  bool switch_mark = true;
  // Daily sayings (General tab)
  bool saying_at_start = false;
  int32_t saying_position = 0;  // signed; moved by the sayings commands
  // Copy stack
  bool copy_stack_enabled = false;
  TShortCut copy_hotkey = 0xC043;   // Ctrl+Alt+C
  TShortCut paste_hotkey = 0xC056;  // Ctrl+Alt+V
  // Auto-correct
  bool autocorrect_enabled = false;
  bool autocorrect_right_to_left = false;  // reading order of the before and after edits

  bool operator==(const Settings&) const = default;
};

// The tray menu's "فعال": every hotkey and the auto-correct do nothing while it is off. On at
// every start, never stored.
struct MasterSwitch {
  bool on = true;
};

}  // namespace ravak
