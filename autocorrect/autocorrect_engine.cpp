#include "autocorrect/autocorrect_engine.h"

#include <algorithm>
#include <utility>

#include "platform/keyboard.h"
#include "typing/key_text.h"

namespace ravak {

ReplacementPlan PlanReplacement(const AutoCorrectEntry& entry, const std::u16string& typed) {
  ReplacementPlan plan;
  if (entry.before == typed) {
    plan.paste = entry.after;
  } else {
    plan.backspaces = typed.size();
    plan.paste = entry.before + entry.after;
  }
  plan.left_arrows = CaretSteps(entry.after);
  return plan;
}

AutoCorrectEngine::AutoCorrectEngine(const AutoCorrectList& list, SyntheticInput& input,
                                     ClipboardText& clipboard, ForegroundWindowQuery& foreground,
                                     TypingTargetQuery& target, TypedRecord& record,
                                     KeywordLookup lookup, EntryFiller fill)
    : list_(list),
      input_(input),
      clipboard_(clipboard),
      foreground_(foreground),
      target_(target),
      record_(record),
      lookup_(lookup),
      fill_(std::move(fill)) {
  typed_buffer_.reserve(kMaxKeywordLength);
}

int32_t AutoCorrectEngine::IsInACKey(const std::u16string& str) const {
  return lookup_ == KeywordLookup::kIndexed ? list_.Find(str) : list_.FindLinear(str);
}

KeyVerdict AutoCorrectEngine::OnInput(const AutoCorrectSwitches& switches, const UserInput& input,
                                      bool taken) {
  if (!switches.active_flag || !switches.enabled || taken || input.kind != UserInput::Kind::kKey) {
    typed_buffer_.clear();
    return {};
  }
  const UserKey& key = input.key;
  if (key.stroke.up || IsPassiveKey(key.stroke.vk)) return {};
  const WindowId window = foreground_.ForegroundWindow();
  if (window != typed_window_) {
    typed_window_ = window;
    typed_buffer_.clear();
  }
  // A separator, or a key that types no text (a chord, a caret or function key): the word ends.
  const char16_t c = TypedChar(key);
  if (c == 0 || c == u' ' || typed_buffer_.size() >= kMaxKeywordLength) {
    typed_buffer_.clear();
    return {};
  }
  typed_buffer_.push_back(c);

  // Whole match first, then the last character alone.
  std::size_t typed_length = typed_buffer_.size();
  int32_t row = IsInACKey(typed_buffer_);
  if (row < 0) {
    typed_length = 1;
    row = IsInACKey(std::u16string(1, typed_buffer_.back()));
    if (row < 0) return {};
  }
  // The replacement holds its own texts: the list may change before it is carried out. The
  // variables in them are filled in then, when the text is typed.
  AutoCorrectEntry entry = list_.Row(static_cast<std::size_t>(row));
  std::u16string typed = typed_buffer_.substr(typed_buffer_.size() - typed_length);
  typed_buffer_.clear();
  return KeyVerdict{[this, entry = std::move(entry), typed = std::move(typed)] {
    Replace(PlanReplacement(fill_ ? fill_(entry) : entry, typed));
  }};
}

void AutoCorrectEngine::Replace(const ReplacementPlan& plan) {
  // What is typed into a password field is meant as typed, and nobody sees it.
  if (target_.FocusIsPassword()) return;
  Sequence sequence(input_);
  input_.ReleaseShifts();
  if (plan.paste.find_first_of(u"\r\n") == std::u16string::npos) {
    input_.Retype(plan.backspaces, plan.paste);
    record_.Edited(plan.backspaces, plan.paste);
  } else {
    Paste(input_, clipboard_, plan.paste, plan.backspaces);
    record_.End();
  }
  input_.ReleaseShifts();
  if (plan.left_arrows > 0) record_.End();
  input_.SendKeyTimes(vk::kLeft, plan.left_arrows);
}

}  // namespace ravak
