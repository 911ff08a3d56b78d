// The auto-correct engine: follows the user's keys in the order typed, rebuilds the characters
// typed since the last separator as the US English layout types them, and on a keyword of the
// list erases it in the foreground application and pastes the entry's text with the caret
// between its before and after parts.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

#include "autocorrect/autocorrect_list.h"
#include "platform/typing_target.h"
#include "typing/clipboard_text.h"
#include "typing/key_stream.h"
#include "typing/synthetic_input.h"
#include "typing/typed_record.h"

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

// What an entry's texts become when its keyword fires (its variables filled in); may raise
// Error, and the keyword then stays as typed.
using EntryFiller = std::function<AutoCorrectEntry(const AutoCorrectEntry&)>;

class AutoCorrectEngine {
 public:
  // fill: none leaves the texts as they stand.
  AutoCorrectEngine(const AutoCorrectList& list, SyntheticInput& input, ClipboardText& clipboard,
                    TypingTargetQuery& target, TypedRecord& record,
                    KeywordLookup lookup = KeywordLookup::kIndexed, EntryFiller fill = {});

  // One input of the user, in the order typed (taken: another feature acts on it). Only keys
  // that type text extend the word; any other key, and any click, ends it. A keyword completed
  // gives the replacement to carry out.
  KeyVerdict OnInput(const AutoCorrectSwitches& switches, const UserInput& input, bool taken);
  // Erases the keyword and types the entry's text as Unicode input, the caret then stepped back
  // over the after text; nothing in a password field. A text of several lines is pasted (a line
  // break typed would send a chat or a form), ready on the clipboard before the keyword is
  // erased. Errors travel to the caller.
  void Replace(const ReplacementPlan& plan);

  // The first row whose keyword is str, or -1.
  int32_t IsInACKey(const std::u16string& str) const;

  const std::u16string& TypedBuffer() const { return typed_buffer_; }
  WindowId TypedWindow() const { return typed_window_; }

 private:
  const AutoCorrectList& list_;
  SyntheticInput& input_;
  ClipboardText& clipboard_;
  TypingTargetQuery& target_;
  TypedRecord& record_;
  KeywordLookup lookup_;
  EntryFiller fill_;
  std::u16string typed_buffer_;
  WindowId typed_window_ = 0;
};

}  // namespace ravak
