// The auto-correct engine: follows the keys reported by the keyboard hook, rebuilds the
// characters typed since the last separator as the US English layout types them, and on a
// keyword of the list erases it in the foreground application and pastes the entry's text
// with the caret between its before and after parts.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "autocorrect/autocorrect_list.h"
#include "hotkeys/shortcut.h"
#include "platform/foreground.h"
#include "typing/clipboard_text.h"
#include "typing/key_text.h"
#include "typing/synthetic_input.h"

namespace ravak {

// What a replacement sends: Backspaces, one paste, Left arrows.
struct ReplacementPlan {
  std::size_t backspaces = 0;
  std::u16string paste;
  std::size_t left_arrows = 0;
  bool operator==(const ReplacementPlan&) const = default;
};

// typed: the keys that matched (the whole buffer, or its last character). When the before
// text is what was typed, nothing is erased and only the after text is pasted.
ReplacementPlan PlanReplacement(const AutoCorrectEntry& entry, const std::u16string& typed);

// The settings the handler reads at each key.
struct AutoCorrectSwitches {
  bool active_flag = true;  // master switch, tray menu "فعال"
  bool enabled = false;     // the auto-correct check box
};

// How keywords are looked up: through the list's index, or by scanning every row (the
// reference, measured against the index).
enum class KeywordLookup { kIndexed, kLinearScan };

class AutoCorrectEngine {
 public:
  AutoCorrectEngine(const AutoCorrectList& list, SyntheticInput& input, ClipboardText& clipboard,
                    ForegroundWindowQuery& foreground,
                    KeywordLookup lookup = KeywordLookup::kIndexed);

  // One key press reported by the hook. Returns whether a replacement was
  // carried out. Errors of the paste travel to the caller; the engine is ready for the next
  // key whatever happens.
  bool KeyDown(const AutoCorrectSwitches& switches, uint16_t key, ShiftState shift);

  // The first row whose keyword is str, or -1.
  int32_t IsInACKey(const std::u16string& str) const;

  const std::u16string& TypedBuffer() const { return typed_buffer_; }
  WindowId TypedWindow() const { return typed_window_; }
  bool AutoCorrectBusy() const { return busy_; }

 private:
  void Execute(const ReplacementPlan& plan);

  const AutoCorrectList& list_;
  SyntheticInput& input_;
  ClipboardText& clipboard_;
  ForegroundWindowQuery& foreground_;
  KeywordLookup lookup_;
  std::u16string typed_buffer_;
  WindowId typed_window_ = 0;
  bool busy_ = false;
};

}  // namespace ravak
