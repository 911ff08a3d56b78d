#include "autocorrect/autocorrect_engine.h"

#include <algorithm>
#include <utility>

#include "platform/keyboard.h"
#include "typing/field_check.h"
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
                                     ClipboardText& clipboard, TypingTargetQuery& target,
                                     TypedRecord& record, KeywordLookup lookup, EntryFiller fill)
    : list_(list),
      input_(input),
      clipboard_(clipboard),
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
  // A keyword belongs to the window it is typed in, whatever is in front when it is judged.
  if (input.window != typed_window_) {
    typed_window_ = input.window;
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
  // The keyword as the field shows it, when the record has it: the field must show it too.
  const auto& entries = record_.Entries();
  if (plan.backspaces > 0 && plan.backspaces <= entries.size()) {
    const std::u16string keyword = record_.Shown(entries.size() - plan.backspaces);
    if (ReadFieldEndingWith(target_, input_.pump(), keyword).agreement ==
        FieldAgreement::kDiffers) {
      record_.End();
      return;
    }
  }
  if (!input_.hold().Due()) {
    record_.End();
    return;
  }
  input_.ReleaseShifts();
  if (plan.paste.find_first_of(u"\r\n") == std::u16string::npos) {
    if (!input_.Retype(plan.backspaces, plan.paste)) {
      record_.End();
      return;
    }
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
